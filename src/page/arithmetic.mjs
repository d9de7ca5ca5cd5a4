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

// first times factor, count times, each product rounded: the program's way to form a power.
function multiply(ar, first, factor, count) {
  for (let i = 0; i < count; ++i) first = ar.mul(first, factor);
  return first;
}

// The term-by-term order (Double and Extended; Single with subtractT2) at the integers x and y in the
// arithmetic ar: the steps T1, T2, S, T3, S, T4, S, T5, S, the result last.
export function termByTerm(ar, x, y, subtractT2 = false) {
  [x, y] = [ar.of(x), ar.of(y)];
  const [c1, c2, c3, c4] = COEFFICIENTS.map(ar.of);
  const t1 = multiply(ar, c1, y, 8);
  const t2 = multiply(ar, multiply(ar, c2, x, 2), y, 4);
  const s2 = subtractT2 ? ar.sub(t1, t2) : ar.add(t1, t2);
  const t3 = multiply(ar, c3, x, 4);
  const s3 = ar.sub(s2, t3);
  const t4 = multiply(ar, c4, x, 6);
  const s4 = ar.add(s3, t4);
  const t5 = multiply(ar, x, x, 7);
  return [t1, t2, s2, t3, s3, t4, s4, t5, ar.sub(s4, t5)];
}

// The power-reuse order (Extended2) at the integers x and y in the arithmetic ar: the steps X4, Y4,
// U1, U2, S, U3, S, U4, S, U5, S, the result last.
export function reusingPowers(ar, x, y) {
  [x, y] = [ar.of(x), ar.of(y)];
  const [c1, c2, c3, c4] = COEFFICIENTS.map(ar.of);
  const x4 = multiply(ar, x, x, 3);
  const y4 = multiply(ar, y, y, 3);
  const u1 = multiply(ar, c1, y4, 2);
  const u2 = ar.mul(multiply(ar, c2, x, 2), y4);
  const s2 = ar.add(u1, u2);
  const u3 = ar.mul(c3, x4);
  const s3 = ar.sub(s2, u3);
  const u4 = ar.mul(multiply(ar, c4, x, 2), x4);
  const s4 = ar.add(s3, u4);
  const u5 = ar.mul(x4, x4);
  return [x4, y4, u1, u2, s2, u3, s3, u4, s4, u5, ar.sub(s4, u5)];
}

// The term-by-term order at p bits with each addition and subtraction fused with the last
// multiplication of one of its operands, rounded once, as a compiler contracts them: the first sum
// fuses T2's last product (T1's when T2 is subtracted, as in Single), each later sum the term it
// takes. Returns the result.
export function termByTermFused(p, x, y, subtractT2 = false) {
  const ar = nearest(p);
  const round = ar.of;
  [x, y] = [round(x), round(y)];
  const [c1, c2, c3, c4] = COEFFICIENTS.map(round);
  const t1Head = multiply(ar, c1, y, 7);
  const t2Head = multiply(ar, multiply(ar, c2, x, 2), y, 3);
  let s = subtractT2 ? round(t1Head * y - round(t2Head * y)) : round(round(t1Head * y) + t2Head * y);
  s = round(s - multiply(ar, c3, x, 3) * x);
  s = round(s + multiply(ar, c4, x, 5) * x);
  return round(s - multiply(ar, x, x, 6) * x);
}

// The power-reuse order at p bits with each sum fused with the last multiplication of the term it
// takes. Returns the result.
export function reusingPowersFused(p, x, y) {
  const ar = nearest(p);
  const round = ar.of;
  [x, y] = [round(x), round(y)];
  const [c1, c2, c3, c4] = COEFFICIENTS.map(round);
  const x4 = multiply(ar, x, x, 3);
  const y4 = multiply(ar, y, y, 3);
  let s = multiply(ar, c1, y4, 2);
  s = round(s + multiply(ar, c2, x, 2) * y4);
  s = round(s - c3 * x4);
  s = round(s + multiply(ar, c4, x, 2) * x4);
  return round(s - x4 * x4);
}

// The five terms of f at the integers x and y, exactly, as magnitudes (f adds the first, second and
// fourth and subtracts the others).
export function exactTerms(x, y) {
  const [c1, c2, c3, c4] = COEFFICIENTS;
  return [c1 * y ** 8n, c2 * x ** 2n * y ** 4n, c3 * x ** 4n, c4 * x ** 6n, x ** 8n];
}

// f(x, y) exactly; with subtractT2, g(x, y), the polynomial Single evaluates.
export function exactValue(x, y, subtractT2 = false) {
  const [t1, t2, t3, t4, t5] = exactTerms(x, y);
  return t1 + (subtractT2 ? -t2 : t2) - t3 + t4 - t5;
}

// The least width from which the term-by-term order gives f exactly at every width up to WIDEST,
// or null when it is not exact at WIDEST. Widths from `exact` (the most significant bits any exact
// step needs) on round nothing, so the search starts there.
export function leastExactWidth(x, y) {
  const f = exactValue(x, y);
  const exact = exactTracking();
  termByTerm(exact, x, y);
  let p = Math.min(Math.max(exact.widest.bits, NARROWEST), WIDEST);
  if (termByTerm(nearest(p), x, y)[8] !== f) return null;
  while (p > NARROWEST && termByTerm(nearest(p - 1), x, y)[8] === f) --p;
  return p;
}
