// The polynomial and its orders of evaluation, as data: each order is a straight-line program, a list
// of operations { name, a, op, b, step, label }: name = a op b, with op ×, + or −, and each operand x,
// y, an integer written out, or the name of an earlier operation (its latest value). An operation
// whose value is a step of the evaluation says which (step: 'power', a value held and reused; 'term',
// a term of f, signed by the operation that takes it; 'sum', the running value); the rest are partial
// results inside the next step's chain. evaluate() runs a program in any arithmetic (arithmetic.mjs)
// and records every operation's value and every step: the views render the steps from these fields.
import { NARROWEST, WIDEST, CHAINS, exactTracking } from './arithmetic.mjs';

const SYMBOL = { 1: '+', [-1]: '−' }; // the operation that sums a term with its sign in f

// An operation: name = a op b, with more fields (step, label) where given.
const operation = (name, a, op, b, more = {}) => ({ name, a, op, b, ...more });

// The operations that multiply the factors into name left to right, the last one the step `step`,
// called label where the step has a name of its own.
function product(name, [first, ...rest], step, label) {
  const ops = rest.map((factor, k) => operation(name, k ? name : first, '×', factor));
  Object.assign(ops.at(-1), { step }, label && { label });
  return ops;
}

// A product's factors from a compact spelling: coefficient, then its variables one by one.
const factors = (first, ...rest) => [first, ...rest.flatMap(power => [...power])];

// The terms of f, as the program writes them, with their signs in f: 83521·y⁸ + 578·x²·y⁴ − 2·x⁴
// + 2·x⁶ − x⁸ (83521 = 17⁴ and 578 = 2·17²). Each term's chain of operations is made once, and every
// program that sums the terms shares it.
const F_TERMS = [
  { label: 'T1', factors: factors('83521', 'yyyyyyyy'), sign: 1 },
  { label: 'T2', factors: factors('578', 'xx', 'yyyy'), sign: 1 },
  { label: 'T3', factors: factors('2', 'xxxx'), sign: -1 },
  { label: 'T4', factors: factors('2', 'xxxxxx'), sign: 1 },
  { label: 'T5', factors: factors('x', 'xxxxxxx'), sign: -1 },
].map(term => ({ ...term, ops: product(term.label, term.factors, 'term') }));

// The operation that adds `term` to the running sum S after the terms `before` (none: the term
// starts the sum, 0 − it where it is negative; one: S = first ± term).
function summing(before, term) {
  if (!before.length) return term.sign > 0 ? [] : [operation('S', '0', '−', term.label, { step: 'sum' })];
  const [first] = before;
  const into = before.length === 1 && first.sign > 0 ? first.label : 'S';
  return [operation('S', into, SYMBOL[term.sign], term.label, { step: 'sum' })];
}

// The program that sums the terms one after another in the order given, each term's chain followed
// by its sum: the chains are shared, the sums its own.
const inOrder = terms => terms.flatMap((term, k) => [...term.ops, ...summing(terms.slice(0, k), term)]);

// Every order of summing the terms one after another, in lexicographic order of the terms' places:
// its program, as inOrder writes it. Programs that begin alike share their first operations, so that
// a memo of operations computes each prefix once.
function everyOrder(terms, before = [], ops = []) {
  if (!terms.length) return [ops];
  return terms.flatMap((term, i) => {
    const added = [...ops, ...term.ops, ...summing(before, term)];
    return everyOrder(
      terms.filter((_, j) => j !== i),
      [...before, term],
      added,
    );
  });
}

// The orders of summation of the five terms; the first is the program's own, term by term.
export const SUMMATION_ORDERS = everyOrder(F_TERMS);

// The program's orders: term by term (Double and Extended), the same with T2 subtracted (Single,
// which evaluates another polynomial, g), and with x⁴ and y⁴ computed once and reused (Extended2,
// whose sum S starts as its first term, U1); 1 − 2·x·x, which is f on the points where
// x² − 17·y² = 1; and Horner's scheme in s = x·x.
export const TERM_BY_TERM = SUMMATION_ORDERS[0];
export const T2_SUBTRACTED = inOrder(F_TERMS.map(term => (term.label === 'T2' ? { ...term, sign: -1 } : term)));
export const POWERS_REUSED = [
  ...product('X4', factors('x', 'xxx'), 'power'),
  ...product('Y4', factors('y', 'yyy'), 'power'),
  ...product('S', ['83521', 'Y4', 'Y4'], 'term', 'U1'),
  ...product('U2', ['578', 'x', 'x', 'Y4'], 'term'),
  operation('S', 'S', '+', 'U2', { step: 'sum' }),
  ...product('U3', ['2', 'X4'], 'term'),
  operation('S', 'S', '−', 'U3', { step: 'sum' }),
  ...product('U4', ['2', 'x', 'x', 'X4'], 'term'),
  operation('S', 'S', '+', 'U4', { step: 'sum' }),
  ...product('U5', ['X4', 'X4'], 'term'),
  operation('S', 'S', '−', 'U5', { step: 'sum' }),
];
export const ONE_MINUS_2X2 = [
  ...product('R2', ['2', 'x', 'x'], 'term'),
  operation('S', '1', '−', 'R2', { step: 'sum' }),
];

// Horner's scheme in s = x·x: f = (((−s + 2)·s − 2)·s + c1)·s + c0, with c1 = 578·y⁴ and
// c0 = 83521·y⁸, each coefficient formed left to right; every operation rounded.
export const HORNER = [
  ...product('s', ['x', 'x'], 'power'),
  ...product('c1', factors('578', 'yyyy'), 'power'),
  ...product('c0', factors('83521', 'yyyyyyyy'), 'power'),
  ...[
    ['-1', '+', '2'],
    ['h', '−', '2'],
    ['h', '+', 'c1'],
    ['h', '+', 'c0'],
  ].flatMap(([h, op, c]) => [operation('h', h, '×', 's'), operation('h', 'h', op, c, { step: 'sum' })]),
];

// Whether a name is an input: x, y or an integer written out.
const isInput = name => name === 'x' || name === 'y' || /^-?[0-9]+$/.test(name);

// The value of an input at the point: x, y or the integer written out.
export function operandValue(name, { x, y }) {
  return name === 'x' ? x : name === 'y' ? y : BigInt(name);
}

// A program resolved once: for each operation, what each operand names (an input, or the operation it
// reads and whether that is a power), and the step it ends, if any; the steps with their chains.
// Kept for each program.
const readings = new WeakMap();
export function resolved(program) {
  if (readings.has(program)) return readings.get(program);
  const latest = new Map();
  const steps = [];
  let chain = [];
  const ops = program.map((op, i) => {
    const source = name => {
      if (isInput(name)) return { input: name };
      if (!latest.has(name)) throw new Error(`operation ${i} reads ${name}, which nothing has assigned`);
      const at = latest.get(name);
      return { at, power: program[at].step === 'power' };
    };
    const read = { ...op, index: i, from: [source(op.a), source(op.b)] };
    latest.set(op.name, i);
    chain.push(read);
    if (op.step) {
      steps.push({ role: op.step, name: op.name, label: op.label ?? op.name, at: i, chain });
      chain = [];
    }
    return read;
  });
  if (chain.length) throw new Error('a program ends with a step');
  const reading = { ops, steps };
  readings.set(program, reading);
  return reading;
}

// The sign with which a term enters its sum: negative where an operation subtracts it.
function termSign({ ops }, step) {
  const taker = ops.find(op => op.from.some(source => source.at === step.at));
  return taker?.op === '−' && taker.from[1].at === step.at ? -1 : 1;
}

// The values of one evaluation: every operation's (all), the inputs as the arithmetic holds them
// (inputs), and the steps in the order they arise, each { role, name, label, sign (a term's in f),
// ops (its chain), value }. The last step is the result.
export class Run {
  constructor(program, all, inputs) {
    const reading = resolved(program);
    Object.assign(this, { program, all, inputs });
    this.steps = reading.steps.map(step => ({
      role: step.role,
      name: step.name,
      label: step.label,
      ops: step.chain,
      at: step.at,
      ...(step.role === 'term' && { sign: termSign(reading, step) }),
      value: all[step.at],
    }));
  }

  get values() {
    return this.steps.map(step => step.value);
  }

  // A Run of the same program whose steps have other values (the module's, say), and no others.
  withValues(values) {
    const all = [];
    this.steps.forEach((step, k) => (all[step.at] = values[k]));
    return new Run(this.program, all, this.inputs);
  }

  // The indices of the steps of one role, in order.
  indices(role) {
    return this.steps.flatMap((step, i) => (step.role === role ? [i] : []));
  }

  get result() {
    return this.steps.at(-1).value;
  }
}

// The values of operations as resolved() gives them ({ op, from }, each reading inputs or earlier ones)
// at the point { x, y } in the arithmetic ar, in order, and the inputs as ar holds them: each input
// is converted once, as the program holds it in a variable.
function valuesOf(ops, ar, point) {
  const inputs = new Map();
  const all = [];
  const value = source => {
    if (source.at !== undefined) return all[source.at];
    if (!inputs.has(source.input)) inputs.set(source.input, ar.of(operandValue(source.input, point), source.input));
    return inputs.get(source.input);
  };
  const apply = { '×': ar.mul, '+': ar.add, '−': ar.sub };
  for (const op of ops) all.push(apply[op.op](value(op.from[0]), value(op.from[1])));
  return { all, inputs };
}

// Programs that share operations read once as one: every distinct operation once, each after what it
// reads, with its sources (an input's name, or an earlier operation's place), and the place of each
// program's result. Kept for each list of programs.
const plans = new WeakMap();
function planOf(programs) {
  if (plans.has(programs)) return plans.get(programs);
  const places = new Map();
  const ops = [];
  const results = programs.map(program =>
    resolved(program)
      .ops.map(op => {
        const own = program[op.index];
        if (!places.has(own)) {
          const from = op.from.map(source =>
            source.at === undefined ? source : { at: places.get(program[source.at]) },
          );
          places.set(own, ops.length);
          ops.push({ op: op.op, from });
        }
        return places.get(own);
      })
      .at(-1),
  );
  plans.set(programs, { ops, results });
  return plans.get(programs);
}

// The program at the point { x, y } in the arithmetic ar: its Run.
export function evaluate(program, ar, point) {
  const { all, inputs } = valuesOf(resolved(program).ops, ar, point);
  return new Run(program, all, inputs);
}

// The number the program ends with at the point in the arithmetic ar (its result, before ar reads it).
export const lastOf = (program, ar, point) => valuesOf(resolved(program).ops, ar, point).all.at(-1);

// The result of each program at the point in the arithmetic ar, read as ar reads it; operations the
// programs share (the orders of summation share their terms and their first sums) computed once.
export function resultsOf(programs, ar, point) {
  const { ops, results } = planOf(programs);
  const { all } = valuesOf(ops, ar, point);
  return results.map(at => ar.result(all[at]));
}

// The first `count` solutions of x² − 17·y² = 1 after (1, 0), each the previous one times 33 + 8·√17:
// the points where the terms cancel as at the program's, which is the fourth.
export function pellChain(count = 6) {
  const points = [{ x: 33n, y: 8n }];
  while (points.length < count)
    points.push({ x: 33n * points.at(-1).x + 136n * points.at(-1).y, y: 8n * points.at(-1).x + 33n * points.at(-1).y });
  return points;
}

// The signed terms of a Run: each term step's value times its sign in f.
export const signedOf = run =>
  run.steps.filter(step => step.role === 'term').map(step => BigInt(step.sign) * step.value);

// The five terms of f at the integers x and y, exactly, each with the sign it has in f; with an
// arithmetic ar of exact products, those of the operands ar converts.
export function signedTerms(x, y, ar = exactTracking()) {
  return signedOf(evaluate(TERM_BY_TERM, ar, { x, y }));
}

// The program's exact value at the integers x and y: f, or g for Single's program.
export function exactValue(x, y, program = TERM_BY_TERM) {
  return evaluate(program, exactTracking(), { x, y }).result;
}

// The most roundings an input's error goes through on its way to the result of the program, and how
// many of them are products' and sums' ({ roundings, products, sums }): a product collects both its
// factors' and its own, a sum the longer chain of its operands and its own (T1 is formed by eight
// products and then passes four sums).
export const longestChain = program => evaluate(program, CHAINS, { x: 0n, y: 0n }).result;

// The most significant bits any input, operation or result of the programs needs at (x, y): from
// that width on, no arithmetic here rounds anything, and each gives the exact value of every step.
export function widthWithoutRounding(x, y, programs) {
  const exact = exactTracking();
  resultsOf(programs, exact, { x, y });
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
