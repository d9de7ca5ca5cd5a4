// How wrong a result is, and which operation made it so: a verdict on one result against the exact
// value, and the account of one evaluation, operation by operation. Exact integer work on BigInt
// values, read from the steps' fields; the views write it out.
import { abs, bitLength } from './arithmetic.mjs';

// The exponent of the spacing of p-bit numbers at the largest of the exact terms: a value there is
// a multiple of 2^(top − p + 1), top being the largest term's leading bit. null when every term is 0.
export function stepExponent(terms, p) {
  const largest = terms.map(abs).reduce((a, b) => (b > a ? b : a));
  return largest === 0n ? null : bitLength(largest) - p;
}

// Whether S − T is exact by Sterbenz's lemma: T/2 <= S <= 2T.
function sterbenz(s, t) {
  return t > 0n && t <= 2n * s && s <= 2n * t;
}

// The account of one evaluation, its Run `run` (BigInt values) beside the same order's Run in exact
// arithmetic, `exact`. For each step its fields, its exact value, its error (a term's or a power's
// from all its roundings, a sum's own rounding) and that error's effect on the result (null for a
// power, whose error is inside the terms built from it, whose labels `inside` lists), and a note:
// 'exact' where nothing rounded, 'absorbed' where a sum did not change, 'Sterbenz' where the last
// subtraction is exact by Sterbenz's lemma. total is the sum of the effects, error the result's
// distance from the exact value.
export function account(run, exact) {
  const rows = run.steps.map((step, i) => ({ ...step, exact: exact.values[i] }));
  const terms = run.indices('term');
  const note = error => (error === 0n ? 'exact' : null);
  for (const i of run.indices('power')) {
    const error = rows[i].value - rows[i].exact;
    const inside = terms.filter(t => rows[t].factors.includes(rows[i].label)).map(t => rows[t].label);
    Object.assign(rows[i], { error, effect: null, inside, note: note(error) });
  }
  let total = 0n;
  let running = null;
  terms.forEach((i, k) => {
    const { value: term, sign } = rows[i];
    const error = term - rows[i].exact;
    Object.assign(rows[i], { error, effect: BigInt(sign) * error, note: note(error) });
    total += BigInt(sign) * error;
    if (k === 0) {
      running = term; // the first term starts the sum
      return;
    }
    const sum = rows[run.steps.findIndex((step, s) => s > i && step.role === 'sum')]; // the sum that takes it
    const sumError = sum.value - (running + BigInt(sign) * term);
    let sumNote = note(sumError);
    if (sum.value === running && term !== 0n) sumNote = 'absorbed';
    if (k === terms.length - 1 && sign < 0 && sterbenz(running, term)) sumNote = 'Sterbenz';
    Object.assign(sum, { error: sumError, effect: sumError, note: sumNote });
    total += sumError;
    running = sum.value;
  });
  return { rows, total, result: run.result, exact: exact.result, error: run.result - exact.result };
}

// The shares of a term's or power's error (a step of `run`, whose exact run is `exact`): the step is
// a chain of products from its first factor, each multiplication's rounding and each factor's own
// error (its rounding to p bits, or a power's error) carried to the step by the exact factors that
// follow it. Rounding k's share is (the product after multiplication k − the product of its
// operands) × the exact factors after k; they and the factors' shares add up to the step's error
// exactly. Returns the roundings in order ({ step, operand, share }) and the factors whose error has
// a share ({ operand, power, count, share }), a power's marked.
export function shares(step, run, exact) {
  const names = step.factors;
  const value = name => run.factorValues.get(name);
  const after = names.map(() => 1n); // after[j]: the exact factors after factor j
  for (let j = names.length - 2; j >= 0; --j) after[j] = exact.factorValues.get(names[j + 1]) * after[j + 1];
  const partial = [value(names[0]), ...step.chain];
  const powers = new Set(run.indices('power').map(i => run.steps[i].label));
  const operands = new Map();
  const add = (name, share) => {
    const seen = operands.get(name) ?? { operand: name, power: powers.has(name), count: 0, share: 0n };
    operands.set(name, { ...seen, count: seen.count + 1, share: seen.share + share });
  };
  add(names[0], (partial[0] - exact.factorValues.get(names[0])) * after[0]);
  const roundings = names.slice(1).map((name, k) => {
    add(name, partial[k] * (value(name) - exact.factorValues.get(name)) * after[k + 1]);
    return { step: k + 1, operand: name, share: (partial[k + 1] - partial[k] * value(name)) * after[k + 1] };
  });
  return { roundings, operands: [...operands.values()].filter(({ share }) => share !== 0n) };
}

// How wrong a result is, from its relative error r against a nonzero exact value: 'good' with at
// least one correct digit (r < 10⁻¹), 'fair' with the sign right and no digit, 'lost' for a result
// of 0 (r = 1), 'bad' with the sign wrong or r up to WORSE, and 'worst' beyond.
export const WORSE = 1000n;
function tone(sign, [num, den]) {
  if (num * 10n < den) return 'good';
  if (sign === 'lost') return 'lost';
  if (sign === 'right' && num < den) return 'fair';
  return num <= WORSE * den ? 'bad' : 'worst';
}

// The verdict on a result against the exact value: its error, its relative error (a fraction, null
// when the exact value is 0), whether its sign is right ('right', 'wrong', 'lost' when the result is
// 0 and the exact value is not, 'none' when the exact value is 0 and the result is not), its correct
// digits (d where 10^−(d+1) <= r < 10^−d, 0 from r >= 10⁻¹, null for no error or no exact value),
// and its tone: exact, good, fair, lost, bad, worst, or bad where the exact value is 0.
export function verdict(result, exact) {
  const error = result - exact;
  const relative = exact === 0n ? null : [abs(error), abs(exact)];
  let sign = 'right';
  if (exact === 0n) sign = result === 0n ? 'right' : 'none';
  else if (result === 0n) sign = 'lost';
  else if (result < 0n !== exact < 0n) sign = 'wrong';
  let digits = null;
  if (relative !== null && error !== 0n) {
    digits = 0;
    while (relative[0] * 10n ** BigInt(digits + 1) < relative[1]) ++digits;
  }
  const judged = error === 0n ? 'exact' : relative === null ? 'bad' : tone(sign, relative);
  return { result, exact, error, relative, sign, digits, tone: judged, good: judged === 'exact' || judged === 'good' };
}
