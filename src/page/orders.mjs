// The polynomial and its orders of evaluation, as data: each order is its powers and its terms, each
// a product of named factors taken left to right, and the terms are summed in order, each with the
// sign it has in f. evaluate() runs an order in any arithmetic (arithmetic.mjs) and records every
// step with its role, label, factors or operands, sign and value: the views render those fields.
import { NARROWEST, WIDEST, CHAINS, exactTracking, total } from './arithmetic.mjs';

// A product's factors from a compact spelling: coefficient, then its variables one by one.
const factors = (first, ...rest) => [first, ...rest.flatMap(power => [...power])];

// The terms of f, as the program writes them, with their signs in f: 83521·y⁸ + 578·x²·y⁴ − 2·x⁴
// + 2·x⁶ − x⁸ (83521 = 17⁴ and 578 = 2·17²).
const F_TERMS = [
  { label: 'T1', factors: factors('83521', 'yyyyyyyy'), sign: 1 },
  { label: 'T2', factors: factors('578', 'xx', 'yyyy'), sign: 1 },
  { label: 'T3', factors: factors('2', 'xxxx'), sign: -1 },
  { label: 'T4', factors: factors('2', 'xxxxxx'), sign: 1 },
  { label: 'T5', factors: factors('x', 'xxxxxxx'), sign: -1 },
];

// The program's orders: term by term (Double and Extended; Single with T2 subtracted) and with x⁴ and
// y⁴ computed once and reused (Extended2, whose sum S starts as its first term); and 1 − 2·x·x, which
// is f on the points where x² − 17·y² = 1.
export const TERM_BY_TERM = { powers: [], terms: F_TERMS };
export const POWERS_REUSED = {
  powers: [
    { label: 'X4', factors: factors('x', 'xxx') },
    { label: 'Y4', factors: factors('y', 'yyy') },
  ],
  startsSum: true,
  terms: [
    { label: 'U1', factors: ['83521', 'Y4', 'Y4'], sign: 1 },
    { label: 'U2', factors: ['578', 'x', 'x', 'Y4'], sign: 1 },
    { label: 'U3', factors: ['2', 'X4'], sign: -1 },
    { label: 'U4', factors: ['2', 'x', 'x', 'X4'], sign: 1 },
    { label: 'U5', factors: ['X4', 'X4'], sign: -1 },
  ],
};
export const ONE_MINUS_2X2 = {
  powers: [],
  terms: [
    { label: 'R1', factors: ['1'], sign: 1 },
    { label: 'R2', factors: ['2', 'x', 'x'], sign: -1 },
  ],
};

// The steps of one evaluation in the order they arise: each { role, label, factors (a power's or a
// term's), operands (a sum's two labels), sign (a term's in the sum, a sum's operation), value }.
// A 'power' is x⁴ or y⁴, which later terms are built from; a 'term' is a term of the polynomial; a
// 'sum' is the running sum once it has taken a term (the first term starts it). The last step is the
// result. A term's or power's chain holds its partial products, each rounded as the arithmetic rounds;
// startsSum marks a first term that the program holds in S itself (Extended2's U1).
export class Run {
  constructor() {
    this.steps = [];
    this.factorValues = new Map(); // each operand and power by name, as it enters the products
  }

  // Records a step and returns its value.
  record(step) {
    this.steps.push(step);
    return step.value;
  }

  get values() {
    return this.steps.map(step => step.value);
  }

  // A Run of the same steps with other values: the module's, say.
  withValues(values) {
    const run = new Run();
    this.steps.forEach((step, i) => run.record({ ...step, value: values[i], chain: undefined }));
    return run;
  }

  // The indices of the steps of one role, in order.
  indices(role) {
    return this.steps.flatMap((step, i) => (step.role === role ? [i] : []));
  }

  get result() {
    return this.steps.at(-1).value;
  }
}

// The value of an operand name at the point: x, y or a constant written out.
export function operandValue(name, { x, y }) {
  return name === 'x' ? x : name === 'y' ? y : BigInt(name);
}

// The order at the point { x, y } in the arithmetic ar, with T2's sign times t2 (−1: Single's g): its
// Run. Each operand is converted once, as the program holds it in a variable.
export function evaluate(order, ar, point, t2 = 1) {
  const run = new Run();
  const known = run.factorValues;
  const factor = name => {
    if (!known.has(name)) known.set(name, ar.of(operandValue(name, point), name));
    return known.get(name);
  };
  const product = names => {
    const chain = [];
    let value = factor(names[0]);
    for (const name of names.slice(1)) chain.push((value = ar.mul(value, factor(name))));
    return { value, chain };
  };
  for (const { label, factors: names } of order.powers) {
    known.set(label, run.record({ role: 'power', label, factors: names, ...product(names) }));
  }
  let sum = null;
  order.terms.forEach(({ label, factors: names, sign }, k) => {
    const signed = k === 1 ? sign * t2 : sign;
    const startsSum = k === 0 && Boolean(order.startsSum);
    const term = run.record({ role: 'term', label, factors: names, sign: signed, startsSum, ...product(names) });
    const operands = [k === 1 && !order.startsSum ? order.terms[0].label : 'S', label];
    if (k === 0)
      sum = term; // the first term starts the sum
    else
      sum = run.record({
        role: 'sum',
        label: 'S',
        operands,
        sign: signed,
        value: (signed > 0 ? ar.add : ar.sub)(sum, term),
      });
  });
  return run;
}

// The first `count` solutions of x² − 17·y² = 1 after (1, 0), each the previous one times 33 + 8·√17:
// the points where the terms cancel as at the program's, which is the fourth.
export function pellChain(count = 6) {
  const points = [{ x: 33n, y: 8n }];
  while (points.length < count)
    points.push({ x: 33n * points.at(-1).x + 136n * points.at(-1).y, y: 8n * points.at(-1).x + 33n * points.at(-1).y });
  return points;
}

// The five terms of f at the integers x and y, exactly, each with the sign it has in f; with t2 = −1,
// those of g, the polynomial Single evaluates (its 578·x²·y⁴ subtracted); with an arithmetic ar of
// exact products, those of the operands ar converts.
export function signedTerms(x, y, t2 = 1, ar = exactTracking()) {
  const run = evaluate(TERM_BY_TERM, ar, { x, y }, t2);
  return run.indices('term').map(i => BigInt(run.steps[i].sign) * run.steps[i].value);
}

// f(x, y) exactly; with t2 = −1, g(x, y).
export function exactValue(x, y, t2 = 1) {
  return total(signedTerms(x, y, t2));
}

// The most roundings a term goes through on its way to the result in the order: those that form it
// and one for each sum after it (T1 is formed by eight and then passes four sums).
export function longestChain(order) {
  const run = evaluate(order, CHAINS, { x: 0n, y: 0n });
  return Math.max(...run.indices('term').map(i => run.values[i] + run.indices('sum').filter(s => s > i).length));
}

// The most significant bits any operand, product or sum of the program's orders needs at (x, y):
// from that width on, no arithmetic here rounds anything, and each gives the exact value of every step.
export function widthWithoutRounding(x, y) {
  const exact = exactTracking();
  for (const order of [TERM_BY_TERM, POWERS_REUSED]) for (const t2 of [1, -1]) evaluate(order, exact, { x, y }, t2);
  return exact.widest.bits;
}

// The least width from which holds(p) is true at every width up to WIDEST, or null where it is false
// at WIDEST. holds cannot change from `still` on, the width from which nothing rounds, so the search
// starts there (or at WIDEST) and goes down.
export function leastWidthFrom(holds, still) {
  let p = Math.min(Math.max(still, NARROWEST), WIDEST);
  if (!holds(p)) return null;
  while (p > NARROWEST && holds(p - 1)) --p;
  return p;
}
