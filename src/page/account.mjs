// How wrong a result is, and which operation made it so: a verdict on one result against the exact
// value, and the account of one evaluation, operation by operation, in spacing steps at the largest
// term. Exact integer work on BigInt values; the views write it out.
import { abs, bitLength, reusingPowers, signedTerms, termByTerm } from './arithmetic.mjs';

// The arithmetic that counts roundings: each number is the most roundings any exact term's error
// has collected on its way to it; a product collects both its factors' and its own, a sum the
// longer chain of its operands and its own.
const CHAINS = {
  of: () => 0,
  mul: (a, b) => a + b + 1,
  add: (a, b) => Math.max(a, b) + 1,
  sub: (a, b) => Math.max(a, b) + 1,
};

// The most roundings a term goes through on its way to the result, in either order: those that form
// it and one for each sum after it (T1 is formed by eight and then passes four sums).
export const LONGEST_CHAIN = Math.max(
  ...[termByTerm(CHAINS, 0n, 0n), reusingPowers(CHAINS, 0n, 0n)].flatMap(run =>
    run.indices('term').map(i => run.values[i] + run.roles.slice(i + 1).filter(role => role === 'sum').length),
  ),
);

// The exponent of the spacing of p-bit numbers at the largest of the exact terms: a value there is
// a multiple of 2^(top − p + 1), top being the largest term's leading bit. null when every term is 0.
export function stepExponent(x, y, p) {
  const largest = signedTerms(x, y)
    .map(abs)
    .reduce((a, b) => (b > a ? b : a));
  return largest === 0n ? null : bitLength(largest) - 1 - (p - 1);
}

// Whether S − T is exact by Sterbenz's lemma: T/2 <= S <= 2T.
function sterbenz(s, t) {
  return t > 0n && t <= 2n * s && s <= 2n * t;
}

// The label of a step, from its name: U1 for "S = U1 = 83521·Y4·Y4", X4 for "X4 = x·x·x·x".
function label(name) {
  return name.split(' = ').at(-2);
}

// The account of one evaluation, its Run `run` (BigInt values) beside the same order's Run in exact
// arithmetic, `exact`, at a point whose terms, with the signs they have in the polynomial evaluated,
// are `terms`. For each step: its name, role, value and exact value, its error (a term's or a power's
// from all its roundings, a sum's own rounding) and that error's effect
// on the result (null for x⁴ and y⁴, whose errors are inside the terms built from them, whose labels
// `inside` lists), and a note: 'exact' where nothing rounded, 'absorbed' where a sum did not change,
// 'Sterbenz' where the last subtraction is exact by Sterbenz's lemma. total is the sum of the effects,
// error the result's distance from the exact value.
export function account(run, exact, terms) {
  const rows = run.values.map((value, i) => ({
    name: run.names[i],
    role: run.roles[i],
    value,
    exact: exact.values[i],
  }));
  const note = error => (error === 0n ? 'exact' : null);
  for (const i of run.indices('power')) {
    const error = rows[i].value - rows[i].exact;
    const inside = run.indices('term').filter(t => run.names[t].split(' = ').at(-1).includes(label(run.names[i])));
    Object.assign(rows[i], { error, effect: null, inside: inside.map(t => label(run.names[t])), note: note(error) });
  }
  let total = 0n;
  let running = null;
  run.indices('term').forEach((i, k) => {
    const term = rows[i].value;
    const sign = terms[k] < 0n ? -1n : 1n;
    const error = term - rows[i].exact;
    Object.assign(rows[i], { error, effect: sign * error, note: note(error) });
    total += sign * error;
    if (k === 0) {
      running = term; // the first term starts the sum
      return;
    }
    const sum = rows[run.roles.indexOf('sum', i)]; // the sum that takes this term
    const sumError = sum.value - (running + sign * term);
    let sumNote = note(sumError);
    if (sum.value === running && term !== 0n) sumNote = 'absorbed';
    if (k === terms.length - 1 && sign < 0n && sterbenz(running, term)) sumNote = 'Sterbenz';
    Object.assign(sum, { error: sumError, effect: sumError, note: sumNote });
    total += sumError;
    running = sum.value;
  });
  return { rows, total, result: run.result, exact: exact.result, error: run.result - exact.result };
}

// The labels of a run's powers (X4, Y4), by their values: what shares takes.
export function powerLabels(run) {
  return new Map(run.indices('power').map(i => [run.values[i], label(run.names[i])]));
}

// The shares of a term's error, from its traced number (arithmetic.mjs's traced) in a run whose
// powers are `powers` (powerLabels: traced numbers, with their labels): the term is a chain of products from a
// first operand (a power counts as one), each multiplication's rounding and each operand's own error
// (its rounding to p bits, or a power's error) carried to the term by the exact factors that follow
// it. Rounding k's share is (the product after step k − the product of its operands) × the exact
// factors after k; they and the operands' shares add up to the term's error exactly. Returns the
// roundings in order ({ step, operand, share }) and the operands whose error has a share, by label
// ({ operand, count, share }).
export function shares(term, powers) {
  const label = node => powers.get(node) ?? node.name;
  const steps = [];
  let first = term;
  for (; first.left && !powers.has(first); first = first.left) steps.unshift(first);
  const after = [1n]; // after[k]: the exact factors after step k, counted from the last
  for (const step of [...steps].reverse()) after.unshift(step.right.exact * after[0]);
  const operands = new Map();
  const add = (node, share) => {
    const seen = operands.get(label(node)) ?? { operand: label(node), count: 0, share: 0n };
    operands.set(label(node), { ...seen, count: seen.count + 1, share: seen.share + share });
  };
  add(first, (first.value - first.exact) * after[0]);
  const roundings = steps.map((step, k) => {
    add(step.right, step.left.value * (step.right.value - step.right.exact) * after[k + 1]);
    return {
      step: k + 1,
      operand: label(step.right),
      share: (step.value - step.left.value * step.right.value) * after[k + 1],
    };
  });
  return { roundings, operands: [...operands.values()].filter(({ share }) => share !== 0n) };
}

// The verdict on a result against the exact value: its error, its relative error (a fraction, null
// when the exact value is 0), whether its sign is right ('right', 'wrong', 'lost' when the result is
// 0 and the exact value is not, 'none' when the exact value is 0 and the result is not), whether it
// is good (exact, or with at least one correct digit) and a word.
export function verdict(result, exact) {
  const error = result - exact;
  const relative = exact === 0n ? null : [abs(error), abs(exact)];
  let sign = 'right';
  if (exact === 0n) sign = result === 0n ? 'right' : 'none';
  else if (result === 0n) sign = 'lost';
  else if (result < 0n !== exact < 0n) sign = 'wrong';
  const good = error === 0n || (sign === 'right' && relative[0] * 10n < relative[1]);
  let summary;
  if (error === 0n) summary = 'exact';
  else if (sign === 'lost') summary = '100 % wrong, sign lost';
  else if (sign === 'none') summary = 'wrong: the exact value is 0';
  else if (sign === 'wrong') summary = 'wrong sign, no correct digit';
  else if (relative[0] >= relative[1]) summary = 'no correct digit';
  else summary = correctDigits(relative);
  return { result, exact, error, relative, sign, good, summary };
}

// A relative error num/den < 1 in words: how many leading digits it leaves right, d where
// 10^−(d+1) <= num/den < 10^−d, or, above a tenth, the percentage.
function correctDigits([num, den]) {
  if (num * 10n >= den) return `off by ${(num * 100n + den / 2n) / den} %`;
  let digits = 1;
  while (num * 10n ** BigInt(digits + 1) < den) ++digits;
  return `about ${digits} correct digit${digits === 1 ? '' : 's'}`;
}
