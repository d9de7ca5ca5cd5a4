// The words the page says about numbers, as text and number parts (text.mjs) that the views render
// last: a verdict in a few words, a relative error, a least width.
import { WIDEST } from './arithmetic.mjs';
import { scientific } from './text.mjs';
import { glossed } from './glossary.mjs';

// The least width of a mark in words: from p bits on, or at no width up to the widest.
export const fromWidth = w => (w === null ? `at no width up to ${WIDEST} bits` : `from ${w} bits on`);
// A row's least widths of its sign and of f in the words every view uses: sign from 36 bits on, exact
// from 48 bits on.
export const signAndExact = ({ sign, exact }) => `sign ${fromWidth(sign)}, exact ${fromWidth(exact)}`;

// Words joined as a list is written: "U1 and U2", "U3, U4 and U5".
export const listed = words =>
  words.length < 2 ? words.join('') : `${words.slice(0, -1).join(', ')} and ${words.at(-1)}`;

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

// γₙ with n in subscript digits: γ₁₂.
export const gammaName = n => `γ${[...String(n)].map(d => '₀₁₂₃₄₅₆₇₈₉'[d]).join('')}`;

// What n counts in γₙ, from its chain of roundings: 12: 8 multiplications and 4 sums.
export const chainWords = ({ roundings, products, sums }) =>
  `${roundings}: ${products} multiplications and ${sums} sums`;

// What κ and γₙ·κ need, said wherever they are shown, and what a program can compute without f.
export const NEEDS_F = [
  glossed('kappa', 'κ'),
  ' and γₙ·κ need f, which a program does not have; from its own terms it can compute ',
  glossed('gamma', 'γₙ'),
  '·Σ|Tᵢ|, which bounds the absolute error |computed − f|.',
];

// The colours the page gives a result, each with one meaning, by tone (account.mjs's, and neutral),
// in the order of the legend that names them: [tone, colour, what it means]. exact shares good's green.
export const TONES = [
  [
    'good',
    'green',
    [
      'exact, or at least one ',
      glossed('correct-digits', 'correct digit'),
      ': a ',
      glossed('relative-error', 'relative error'),
      ' below 10⁻¹',
    ],
  ],
  ['fair', 'amber', 'the sign alone right, no correct digit'],
  ['lost', 'orange', '0: all of |f| lost, and its sign'],
  ['bad', 'red', 'a wrong sign, or an error of |f| or more; in words, a field the page cannot take'],
  ['worst', 'dark red, a wider bar', 'an error of 10³ times |f| or more'],
  [
    'neutral',
    'olive, a double bar',
    'Single’s line, a result of another polynomial, g: its digits are g’s, so against f it is neither good nor bad, and it is judged against g as well',
  ],
  ['none', 'grey', 'no result: an evaluation that does not apply at the point'],
];
// What the legend says besides: the detectors' colours, the chart's and the page's own.
export const OTHER_COLOURS = [
  'The checks under “How would you know?” take the colour of the grade each gives the result (green: it vouches for a correct digit; amber: for the sign alone; red: for nothing, not even the sign), whether or not it is right; ✓ or ✗ beside it says whether it is.',
  'On the chart each evaluation has a colour of its own, named in its legend, which says nothing of how wrong it is; blue marks what you chose or can follow: the width p, the keyboard’s focus, links.',
];
