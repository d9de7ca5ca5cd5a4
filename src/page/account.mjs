// How wrong a result is, and which operation made it so: a verdict on one result against the exact
// value, and the account of one evaluation, operation by operation, in spacing steps at the largest
// term. Exact integer work on BigInt values; the views write it out.
import { abs, bitLength, exactTerms } from './arithmetic.mjs';

// The two orders: the names of their steps, and where their powers, terms and sums stand among them.
export const TERM_BY_TERM = {
  names: subtractT2 => [
    'T1 = 83521·y·y·y·y·y·y·y·y',
    'T2 = 578·x·x·y·y·y·y',
    `S = T1 ${subtractT2 ? '−' : '+'} T2`,
    'T3 = 2·x·x·x·x',
    'S = S − T3',
    'T4 = 2·x·x·x·x·x·x',
    'S = S + T4',
    'T5 = x·x·x·x·x·x·x·x',
    'S = S − T5',
  ],
  powers: [],
  terms: [0, 1, 3, 5, 7],
  sums: [2, 4, 6, 8],
};
export const REUSING_POWERS = {
  names: () => [
    'X4 = x·x·x·x',
    'Y4 = y·y·y·y',
    'S = U1 = 83521·Y4·Y4',
    'U2 = 578·x·x·Y4',
    'S = S + U2',
    'U3 = 2·X4',
    'S = S − U3',
    'U4 = 2·x·x·X4',
    'S = S + U4',
    'U5 = X4·X4',
    'S = S − U5',
  ],
  powers: [0, 1],
  terms: [2, 3, 5, 7, 9],
  sums: [4, 6, 8, 10],
  inside: ['U3, U4 and U5', 'U1 and U2'],
};
// The most roundings a term goes through on its way to the result, in either order: T1 (or U1) is
// formed by eight roundings and then passes the four sums.
export const LONGEST_CHAIN = 12;

// The sign each term has in the sum; Single's order subtracts T2.
export function termSigns(subtractT2 = false) {
  return [1n, subtractT2 ? -1n : 1n, -1n, 1n, -1n];
}

// The exponent of the spacing of p-bit numbers at the largest of the exact terms: a value there is
// a multiple of 2^(top − p + 1), top being the largest term's leading bit. null when every term is 0.
export function stepExponent(x, y, p) {
  const largest = exactTerms(x, y).reduce((a, b) => (b > a ? b : a));
  return largest === 0n ? null : bitLength(largest) - 1 - (p - 1);
}

// Whether S − T is exact by Sterbenz's lemma: T/2 <= S <= 2T.
function sterbenz(s, t) {
  return t > 0n && t <= 2n * s && s <= 2n * t;
}

// The account of one evaluation: for each step its value, its exact value, its rounding error and
// that error's effect on the result (null for x⁴ and y⁴, whose errors are inside the terms built
// from them, named by inside), and a note: 'exact' where nothing rounded, 'absorbed' where a sum did
// not change, 'Sterbenz' where the last subtraction is exact by Sterbenz's lemma. total, the sum of
// the effects, is result − exact.
export function account(order, steps, x, y, subtractT2 = false) {
  const terms = exactTerms(x, y);
  const signs = termSigns(subtractT2);
  const exactPowers = [x ** 4n, y ** 4n];
  const rows = steps.map((value, i) => ({ name: order.names(subtractT2)[i], value }));
  const exactNote = error => (error === 0n ? 'exact' : null);
  let total = 0n;
  let running = null;
  let exactRunning = 0n;
  order.powers.forEach((i, k) => {
    const error = rows[i].value - exactPowers[k];
    const inside = order.inside[k];
    Object.assign(rows[i], { exact: exactPowers[k], error, effect: null, inside, note: exactNote(error) });
  });
  order.terms.forEach((i, k) => {
    const term = rows[i].value;
    const error = term - terms[k];
    const effect = signs[k] * error;
    exactRunning += signs[k] * terms[k];
    Object.assign(rows[i], { exact: terms[k], error, effect, note: exactNote(error) });
    total += effect;
    if (k === 0) {
      // the first term starts the sum
      running = term;
      return;
    }
    const sum = rows[order.sums[k - 1]];
    const sumError = sum.value - (running + signs[k] * term);
    let note = exactNote(sumError);
    if (sum.value === running && term !== 0n) note = 'absorbed';
    if (k === order.terms.length - 1 && signs[k] < 0n && sterbenz(running, term)) note = 'Sterbenz';
    Object.assign(sum, { exact: exactRunning, error: sumError, effect: sumError, note });
    total += sumError;
    running = sum.value;
  });
  return { rows, total, result: running, exact: exactRunning };
}

// The verdict on a result against the exact value: its error, its relative error (a fraction, null
// when the exact value is 0), whether its sign is right ('right', 'wrong', 'lost' when the result is
// 0 and the exact value is not, 'none' when the exact value is 0 and the result is not), and a word.
export function verdict(result, exact) {
  const error = result - exact;
  const relative = exact === 0n ? null : [abs(error), abs(exact)];
  let sign = 'right';
  if (exact === 0n) sign = result === 0n ? 'right' : 'none';
  else if (result === 0n) sign = 'lost';
  else if (result < 0n !== exact < 0n) sign = 'wrong';
  let summary;
  if (error === 0n) summary = 'exact';
  else if (sign === 'lost') summary = '100 % wrong, sign lost';
  else if (sign === 'none') summary = 'wrong: the exact value is 0';
  else if (sign === 'wrong') summary = 'wrong sign, no correct digit';
  else if (relative[0] >= relative[1]) summary = 'no correct digit';
  else summary = correctDigits(relative);
  return { result, exact, error, relative, sign, summary };
}

// A relative error num/den < 1 in words: how many leading digits it leaves right, d where
// 10^−(d+1) <= num/den < 10^−d, or, above a tenth, the percentage.
function correctDigits([num, den]) {
  if (num * 10n >= den) return `off by ${(num * 100n + den / 2n) / den} %`;
  let digits = 1;
  while (num * 10n ** BigInt(digits + 1) < den) ++digits;
  return `about ${digits} correct digit${digits === 1 ? '' : 's'}`;
}
