// The words the page says about numbers, as text and number parts (text.mjs) that the views render
// last: a verdict in a few words, a relative error, a least width.
import { WIDEST } from './arithmetic.mjs';
import { scientific } from './text.mjs';

// The least width of a mark in words: from p bits on, or at no width up to the widest.
export const fromWidth = w => (w === null ? `at no width up to ${WIDEST} bits` : `from ${w} bits on`);
// A row's least widths of its sign and of f in the words every view uses: sign from 36 bits on, exact
// from 48 bits on.
export const signAndExact = ({ sign, exact }) => `sign ${fromWidth(sign)}, exact ${fromWidth(exact)}`;

// A relative error num/den against the exact value named `of` (f or g), in words.
export function relativeText(relative, of) {
  if (relative === null) return `none: ${of} = 0`;
  const [num, den] = relative;
  if (num === den) return `1: all of |${of}|`;
  return [scientific(num, den), num < den ? ` of |${of}|` : ` times |${of}|`];
}

// A verdict (account.mjs's) in a few words: exact, its correct digits, or how wrong it is.
export function summary(v, of = 'f') {
  if (v.tone === 'exact') return 'exact';
  if (v.sign === 'none') return `wrong: the exact value is 0`;
  if (v.tone === 'good') return `about ${v.digits} correct digit${v.digits === 1 ? '' : 's'}`;
  if (v.tone === 'lost') return `0: every digit of ${of} lost, and its sign`;
  let how = v.sign === 'wrong' ? 'the wrong sign' : 'no correct digit';
  if (v.tone === 'fair') how = 'the sign right, no correct digit';
  return [how, ': off by ', relativeText(v.relative, of)];
}

// What n counts in γₙ, from its chain of roundings: 12: 8 multiplications and 4 sums.
export const chainWords = ({ roundings, products, sums }) =>
  `${roundings}: ${products} multiplications and ${sums} sums`;

// What κ and γₙ·κ need, said wherever they are shown, and what a program can compute without f.
export const NEEDS_F =
  'κ and γₙ·κ need f, which a program evaluating f does not have. Without f it can compute γₙ·Σ|Tᵢ| from ' +
  'its own terms, and that bounds the absolute error, |computed − f|.';
