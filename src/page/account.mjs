// How wrong a result is, and which operation made it so: a verdict on one result against the exact
// value, and the account of one evaluation, operation by operation. Exact integer work on BigInt
// values, read from the steps' fields; the views write it out.
import { abs, bitLength } from './arithmetic.mjs';
import { resolved } from './orders.mjs';

// The exponent of the spacing of p-bit numbers at the largest of the exact terms: a value there is
// a multiple of 2^(top − p + 1), top being the largest term's leading bit. null when every term is 0.
export function stepExponent(terms, p) {
  const largest = terms.map(abs).reduce((a, b) => (b > a ? b : a));
  return largest === 0n ? null : bitLength(largest) - p;
}

// Whether a op b, a subtraction or an addition, is exact by Sterbenz's lemma: a and what is taken
// from it (b, or −b for an addition) of one sign, each within a factor of 2 of the other.
function sterbenz(a, op, b) {
  const taken = op === '−' ? b : -b;
  return a !== 0n && taken !== 0n && a < 0n === taken < 0n && abs(taken) <= 2n * abs(a) && abs(a) <= 2n * abs(taken);
}

// The exact value of a and b combined by the operation op.
const APPLY = { '×': (a, b) => a * b, '+': (a, b) => a + b, '−': (a, b) => a - b };

// Every operation's value in the program of `run` when its first `done` steps are done and the rest
// are computed exactly: a done step has its value in `run` (the page's or the module's); a step not
// done computes its chain exactly, from the inputs' and the powers' exact values (an input's rounding
// and a power's error enter each use with the step that uses it) and from earlier steps as they are.
function stateAfter(run, exact, done) {
  const { ops, steps } = resolved(run.program);
  const finished = new Set(steps.slice(0, done).map(step => step.at));
  const state = [];
  const value = source => {
    if (source.at === undefined) return exact.inputs.get(source.input);
    return (source.power ? exact.all : state)[source.at];
  };
  for (const op of ops) state.push(finished.has(op.index) ? run.all[op.index] : APPLY[op.op](...op.from.map(value)));
  return state;
}

// What happened at a step formed by one addition or subtraction, from its operands as computed and
// its value: 'absorbed' where it equals its first operand though the second is not 0, 'Sterbenz'
// where the lemma makes it exact; else null.
function sumNote(step, state, value) {
  const [op] = step.ops;
  if (step.ops.length !== 1 || op.op === '×') return null;
  const [a, b] = op.from.map(source => (source.at === undefined ? null : state[source.at]));
  if (a === null || b === null) return null;
  if (value === a && b !== 0n) return 'absorbed';
  return sterbenz(a, op.op, b) ? 'Sterbenz' : null;
}

// The account of one evaluation, its Run `run` (its steps' values, the page's or the module's)
// beside the same program's Run in exact arithmetic, `exact`, step by step: each step done in turn,
// the rest computed exactly. For each step its fields, its exact value, its error (what its own
// operations made of it: a term's or a power's from all its roundings, the operands' among them, a
// sum's own rounding), the effect of that on the result (null for a power, whose error enters the
// steps that use it, whose labels `inside` lists), and a note: 'exact' where nothing rounded,
// 'absorbed' where a sum did not change, 'Sterbenz' where a subtraction is exact by the lemma. The
// effects add up to the result less the exact value, total.
export function account(run, exact) {
  const states = run.steps.map((_, k) => stateAfter(run, exact, k));
  states.push(run.all);
  const last = run.program.length - 1;
  const rows = run.steps.map((step, k) => {
    const error = step.value - states[k][step.at];
    const power = step.role === 'power';
    const effect = power ? null : states[k + 1][last] - states[k][last];
    const note = sumNote(step, states[k], step.value) ?? (error === 0n ? 'exact' : null);
    const readers = run.steps.filter(other => other.ops.some(op => op.from.some(source => source.at === step.at)));
    return {
      ...step,
      exact: exact.all[step.at],
      error,
      effect,
      note,
      ...(power && { inside: readers.map(r => r.label) }),
    };
  });
  const total = rows.reduce((sum, row) => sum + (row.effect ?? 0n), 0n);
  return { rows, total, result: run.result, exact: exact.result, error: run.result - exact.result };
}

// The shares of a step's error (a step of `run`, whose exact run is `exact`): its chain's events in
// order, each operand that is an input or a power entering (its rounding, or the power's error), then
// each operation's rounding, applied one by one to the chain computed exactly; an event's share is
// what it changes of the step's value. With what flows in from earlier steps (carried), they add up
// to the step's error exactly. Returns the roundings in order ({ step, operand, share }), the
// operands whose entries have a share ({ operand, power, count, share }, all uses of one name
// together, a power's marked), and carried.
export function shares(step, run, exact) {
  const events = step.ops.flatMap(op => [
    ...op.from.flatMap((source, side) => (source.at === undefined || source.power ? [{ op, side }] : [])),
    { op },
  ]);
  const valueAfter = applied => {
    const entered = new Set(
      events
        .slice(0, applied)
        .filter(e => e.side !== undefined)
        .map(e => `${e.op.index} ${e.side}`),
    );
    const rounded = new Set(
      events
        .slice(0, applied)
        .filter(e => e.side === undefined)
        .map(e => e.op.index),
    );
    const chain = new Map();
    const value = (source, op, side) => {
      const inChain = chain.has(source.at);
      if (inChain) return chain.get(source.at);
      const entered_ = entered.has(`${op.index} ${side}`);
      if (source.at === undefined) return (entered_ ? run : exact).inputs.get(source.input);
      return (source.power && !entered_ ? exact : run).all[source.at];
    };
    for (const op of step.ops) {
      const exactly = APPLY[op.op](...op.from.map((source, side) => value(source, op, side)));
      chain.set(op.index, rounded.has(op.index) ? run.all[op.index] : exactly);
    }
    return chain.get(step.at);
  };
  const values = events.map((_, k) => valueAfter(k));
  values.push(step.value);
  const roundings = [];
  const operands = new Map();
  events.forEach((event, k) => {
    const share = values[k + 1] - values[k];
    const { op, side } = event;
    if (side === undefined) {
      roundings.push({ step: roundings.length + 1, operand: op.b, share });
      return;
    }
    const name = side ? op.b : op.a;
    const seen = operands.get(name) ?? { operand: name, power: op.from[side].power === true, count: 0, share: 0n };
    operands.set(name, { ...seen, count: seen.count + 1, share: seen.share + share });
  });
  return {
    roundings,
    operands: [...operands.values()].filter(({ share }) => share !== 0n),
    carried: values[0] - exact.all[step.at],
  };
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
