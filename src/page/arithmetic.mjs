// Exact arithmetic with a significand of any width p: every value of the evaluations is an integer,
// so a BigInt holds it exactly, and rounding it to p bits (to nearest, ties to even, or outward for
// intervals) is integer work. The exponent is unbounded: nothing overflows and nothing is subnormal.

// The coefficients of y⁸, x²·y⁴, x⁴ and x⁶ in f (17⁴, 2·17², 2 and 2).
export const COEFFICIENTS = [83521n, 578n, 2n, 2n];
// The widths the page accepts: from the narrowest that rounds at all to four times binary128's.
export const NARROWEST = 2;
export const WIDEST = 1024;

// |n|.
export function abs(n) {
  return n < 0n ? -n : n;
}

// The number of bits of |n|; 0 for 0.
export function bitLength(n) {
  if (n < 0n) n = -n;
  if (n === 0n) return 0;
  const hex = n.toString(16);
  return (hex.length - 1) * 4 + (32 - Math.clz32(parseInt(hex[0], 16)));
}

// The significant bits of n: its length without the trailing zero bits; 0 for 0.
export function significantBits(n) {
  if (n < 0n) n = -n;
  if (n === 0n) return 0;
  return bitLength(n) - (bitLength(n & -n) - 1);
}

// |n| split at the p-th bit from the top: the kept part q (as an integer), the dropped rest and the
// unit 2^dropped that q counts in; null when n has at most p bits and nothing is dropped.
function split(n, p) {
  const magnitude = abs(n);
  const dropped = bitLength(magnitude) - p;
  if (dropped <= 0) return null;
  const unit = 1n << BigInt(dropped);
  return { q: magnitude >> BigInt(dropped), rest: magnitude & (unit - 1n), unit };
}

// n rounded to p significant bits, to nearest with ties to even. A carry out of the top bit gives a
// power of two, which has one significant bit and is therefore in the format.
export function roundNearest(n, p) {
  const parts = split(n, p);
  if (parts === null) return n;
  const { rest, unit } = parts;
  let { q } = parts;
  const half = unit >> 1n;
  if (rest > half || (rest === half && (q & 1n) === 1n)) q += 1n;
  return n < 0n ? -q * unit : q * unit;
}

// n rounded to p significant bits toward −∞ (up = false) or toward +∞ (up = true).
export function roundDirected(n, p, up) {
  const parts = split(n, p);
  if (parts === null) return n;
  const { rest, unit } = parts;
  let { q } = parts;
  // Away from zero when the direction points away from zero: up for a positive n, down for a negative.
  if (rest !== 0n && up === n > 0n) q += 1n;
  return n < 0n ? -q * unit : q * unit;
}

// An arithmetic is what the orders below run in: of(n, name) makes a number of it from the integer
// n, the operand called name, and mul, add and sub combine two of its numbers. Each returns its
// numbers' own form: a BigInt, a pair [low, high] for intervals, { value, pending } for fused sums,
// the history of a traced number.

// The arithmetic of p-bit numbers, to nearest: every operand and result rounded once.
export function nearest(p) {
  const round = n => roundNearest(n, p);
  return { of: round, mul: (a, b) => round(a * b), add: (a, b) => round(a + b), sub: (a, b) => round(a - b) };
}

// Exact arithmetic that notes the most significant bits any operand or result needs (widest.bits):
// from that width on, nothing rounds.
export function exactTracking() {
  const widest = { bits: 0 };
  const note = n => {
    widest.bits = Math.max(widest.bits, significantBits(n));
    return n;
  };
  return { widest, of: note, mul: (a, b) => note(a * b), add: (a, b) => note(a + b), sub: (a, b) => note(a - b) };
}

// Interval arithmetic at p bits: each value a pair [low, high], each end rounded outward, so that
// the pair encloses the exact value of every step.
export function outward(p) {
  const low = n => roundDirected(n, p, false);
  const high = n => roundDirected(n, p, true);
  const min = values => values.reduce((a, b) => (b < a ? b : a));
  const max = values => values.reduce((a, b) => (b > a ? b : a));
  return {
    of: n => [low(n), high(n)],
    add: ([a, b], [c, d]) => [low(a + c), high(b + d)],
    sub: ([a, b], [c, d]) => [low(a - d), high(b - c)],
    mul([a, b], [c, d]) {
      const products = [a * c, a * d, b * c, b * d];
      return [low(min(products)), high(max(products))];
    },
  };
}

// p-bit arithmetic in which an addition or subtraction is fused with the last multiplication of one
// of its operands and rounded once, as a compiler contracts them: a product stays exact (pending)
// until a sum takes it; anything else takes it rounded. Where both operands are such products, an
// addition fuses its second and a subtraction its first, which is how GCC 12 contracted the
// program's sums on the targets with fused multiply-add. A number is { value, pending }, value
// rounded to p bits and pending the exact product or null.
export function fused(p) {
  const round = n => roundNearest(n, p);
  const settled = n => ({ value: round(n), pending: null });
  return {
    of: settled,
    mul(a, b) {
      const product = a.value * b.value;
      return { value: round(product), pending: product };
    },
    add: (a, b) => settled(b.pending !== null ? a.value + b.pending : (a.pending ?? a.value) + b.value),
    sub: (a, b) => settled(a.pending !== null ? a.pending - b.value : a.value - (b.pending ?? b.value)),
  };
}

// The arithmetic ar with each number's history, for the shares of a term's error: its value in ar,
// its exact value, and for a product its two operands (left, right), for an operand its name.
export function traced(ar) {
  return {
    of: (n, name) => ({ value: ar.of(n), exact: n, name }),
    mul: (a, b) => ({ value: ar.mul(a.value, b.value), exact: a.exact * b.exact, left: a, right: b }),
    add: (a, b) => ({ value: ar.add(a.value, b.value), exact: a.exact + b.exact }),
    sub: (a, b) => ({ value: ar.sub(a.value, b.value), exact: a.exact - b.exact }),
  };
}

// The steps of one evaluation in the order they arise, each with its name and its role: a 'power'
// (x⁴ or y⁴, which later terms are built from), a 'term' of the polynomial, or a 'sum' (the running
// sum once it has taken a term; the first term starts it). The last step is the result.
export class Run {
  constructor() {
    this.names = [];
    this.roles = [];
    this.values = [];
  }

  // Records a step and returns its value.
  record(role, name, value) {
    this.names.push(name);
    this.roles.push(role);
    this.values.push(value);
    return value;
  }

  // A Run of the same steps, names and roles with other values: another arithmetic's, or the module's.
  withValues(values) {
    const run = new Run();
    values.forEach((value, i) => run.record(this.roles[i], this.names[i], value));
    return run;
  }

  // The indices of the steps of one role, in order.
  indices(role) {
    return this.roles.flatMap((each, i) => (each === role ? [i] : []));
  }

  get result() {
    return this.values.at(-1);
  }
}

// first times factor, count times, each product rounded: the program's way to form a power.
function multiply(ar, first, factor, count) {
  for (let i = 0; i < count; ++i) first = ar.mul(first, factor);
  return first;
}

// The term-by-term order (Double and Extended; Single with subtractT2) at the integers x and y in the
// arithmetic ar: its Run, T1, T2, S, T3, S, T4, S, T5, S.
export function termByTerm(ar, x, y, subtractT2 = false) {
  const run = new Run();
  [x, y] = [ar.of(x, 'x'), ar.of(y, 'y')];
  const [c1, c2, c3, c4] = COEFFICIENTS.map(c => ar.of(c, String(c)));
  const t1 = run.record('term', 'T1 = 83521·y·y·y·y·y·y·y·y', multiply(ar, c1, y, 8));
  const t2 = run.record('term', 'T2 = 578·x·x·y·y·y·y', multiply(ar, multiply(ar, c2, x, 2), y, 4));
  let s = run.record('sum', `S = T1 ${subtractT2 ? '−' : '+'} T2`, subtractT2 ? ar.sub(t1, t2) : ar.add(t1, t2));
  const t3 = run.record('term', 'T3 = 2·x·x·x·x', multiply(ar, c3, x, 4));
  s = run.record('sum', 'S = S − T3', ar.sub(s, t3));
  const t4 = run.record('term', 'T4 = 2·x·x·x·x·x·x', multiply(ar, c4, x, 6));
  s = run.record('sum', 'S = S + T4', ar.add(s, t4));
  const t5 = run.record('term', 'T5 = x·x·x·x·x·x·x·x', multiply(ar, x, x, 7));
  run.record('sum', 'S = S − T5', ar.sub(s, t5));
  return run;
}

// The power-reuse order (Extended2) at the integers x and y in the arithmetic ar: its Run, X4, Y4,
// U1, U2, S, U3, S, U4, S, U5, S.
export function reusingPowers(ar, x, y) {
  const run = new Run();
  [x, y] = [ar.of(x, 'x'), ar.of(y, 'y')];
  const [c1, c2, c3, c4] = COEFFICIENTS.map(c => ar.of(c, String(c)));
  const x4 = run.record('power', 'X4 = x·x·x·x', multiply(ar, x, x, 3));
  const y4 = run.record('power', 'Y4 = y·y·y·y', multiply(ar, y, y, 3));
  let s = run.record('term', 'S = U1 = 83521·Y4·Y4', multiply(ar, c1, y4, 2));
  const u2 = run.record('term', 'U2 = 578·x·x·Y4', ar.mul(multiply(ar, c2, x, 2), y4));
  s = run.record('sum', 'S = S + U2', ar.add(s, u2));
  const u3 = run.record('term', 'U3 = 2·X4', ar.mul(c3, x4));
  s = run.record('sum', 'S = S − U3', ar.sub(s, u3));
  const u4 = run.record('term', 'U4 = 2·x·x·X4', ar.mul(multiply(ar, c4, x, 2), x4));
  s = run.record('sum', 'S = S + U4', ar.add(s, u4));
  const u5 = run.record('term', 'U5 = X4·X4', ar.mul(x4, x4));
  run.record('sum', 'S = S − U5', ar.sub(s, u5));
  return run;
}

// The terms of f as written, each with the sign it has in f: +83521·y⁸, +578·x²·y⁴, −2·x⁴, +2·x⁶, −x⁸.
export const TERM_NAMES = ['83521·y⁸', '578·x²·y⁴', '2·x⁴', '2·x⁶', 'x⁸'].map(
  (term, i) => `${signedTerms(1n, 1n)[i] < 0n ? '−' : '+'}${term}`,
);

// The five terms of f at the integers x and y, exactly, each with the sign it has in f; with
// subtractT2, those of g, the polynomial Single evaluates (its 578·x²·y⁴ subtracted).
export function signedTerms(x, y, subtractT2 = false) {
  const [c1, c2, c3, c4] = COEFFICIENTS;
  return [c1 * y ** 8n, (subtractT2 ? -c2 : c2) * x ** 2n * y ** 4n, -c3 * x ** 4n, c4 * x ** 6n, -(x ** 8n)];
}

// f(x, y) exactly; with subtractT2, g(x, y).
export function exactValue(x, y, subtractT2 = false) {
  return signedTerms(x, y, subtractT2).reduce((a, b) => a + b);
}

// The most significant bits any operand, product or sum of either order needs at (x, y): from that
// width on, no arithmetic here rounds anything, and each gives the exact value of every step.
function widthWithoutRounding(x, y) {
  const exact = exactTracking();
  termByTerm(exact, x, y);
  termByTerm(exact, x, y, true);
  reusingPowers(exact, x, y);
  return exact.widest.bits;
}

// The least width from which holds(p) is true at every width up to WIDEST, or null where it is false
// at WIDEST. holds cannot change from the width at which nothing rounds on, so the search starts
// there (or at WIDEST) and goes down.
export function leastWidthFrom(holds, x, y) {
  let p = Math.min(Math.max(widthWithoutRounding(x, y), NARROWEST), WIDEST);
  if (!holds(p)) return null;
  while (p > NARROWEST && holds(p - 1)) --p;
  return p;
}

// The least width from which the term-by-term order gives f exactly at every width up to WIDEST,
// or null when it is not exact at WIDEST.
export function leastExactWidth(x, y) {
  const f = exactValue(x, y);
  return leastWidthFrom(p => termByTerm(nearest(p), x, y).result === f, x, y);
}

// Whether an interval [low, high] decides the sign of what it encloses: it holds no 0, or it is
// [0, 0], which proves the value 0.
export function decidesSign([low, high]) {
  return low > 0n || high < 0n || (low === 0n && high === 0n);
}

// log₁₀(num/den) for positive integers, to a double's precision however long they are.
export function log10Ratio(num, den) {
  const log10 = n => {
    const shift = Math.max(bitLength(n) - 64, 0); // keep 64 bits, which a double rounds
    return Math.log10(Number(n >> BigInt(shift))) + shift * Math.log10(2);
  };
  return log10(num) - log10(den);
}
