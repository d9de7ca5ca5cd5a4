// Exact arithmetic with a significand of any width p: every value of the evaluations is an integer,
// so a BigInt holds it exactly, and rounding it to p bits (to nearest, ties to even, or directed) is
// integer work. The exponent is unbounded: nothing overflows and nothing is subnormal.

// The widths the page accepts: from the narrowest that rounds at all to four times binary128's.
export const NARROWEST = 2;
export const WIDEST = 1024;

// |n|.
export function abs(n) {
  return n < 0n ? -n : n;
}

// 2^1000: below it a double holds an integer's leading bits and its exponent (binary64's largest
// finite value is just under 2^1024), made once.
const DOUBLE_RANGE = 1n << 1000n;
// A double's bytes, to read its exponent field (bits 52 to 62) and whether its fraction is 0.
const DOUBLE = new DataView(new ArrayBuffer(8));

// The number of bits of |n|; 0 for 0. Below DOUBLE_RANGE the double nearest n has n's exponent,
// unless the conversion rounded up to the next power of two (its fraction then 0: checked); a
// longer n is shifted down 960 bits at a time first.
export function bitLength(n) {
  if (n < 0n) n = -n;
  let shifted = 0;
  for (; n >= DOUBLE_RANGE; n >>= 960n) shifted += 960;
  if (n === 0n) return shifted;
  DOUBLE.setFloat64(0, Number(n));
  const exponent = (DOUBLE.getUint16(0) >> 4) - 1023; // the sign bit is 0
  const power = DOUBLE.getUint32(4) === 0 && (DOUBLE.getUint32(0) & 0xfffff) === 0;
  return shifted + (power && n >> BigInt(exponent) === 0n ? exponent : exponent + 1);
}

// The sum of a list of integers; 0 for none.
export const total = list => list.reduce((a, b) => a + b, 0n);

// The significant bits of n: its length without the trailing zero bits; 0 for 0.
export function significantBits(n) {
  if (n < 0n) n = -n;
  if (n === 0n) return 0;
  return bitLength(n) - (bitLength(n & -n) - 1);
}

// 2^k, as a BigInt, and k itself, made once for each k the roundings need.
const POWERS = [];
const powerOfTwo = k => (POWERS[k] ??= [1n << BigInt(k), BigInt(k)]);

// n rounded to p significant bits: to nearest with ties to even, or, with up given, toward +∞ (up
// true) or −∞ (up false). A carry out of the top bit gives a power of two, which has one
// significant bit and is therefore in the format.
export function round(n, p, up) {
  const magnitude = n < 0n ? -n : n;
  const dropped = bitLength(magnitude) - p;
  if (dropped <= 0) return n;
  const shift = powerOfTwo(dropped)[1];
  let q = magnitude >> shift;
  const rest = magnitude - (q << shift);
  const half = powerOfTwo(dropped - 1)[0];
  if (up === undefined ? rest > half || (rest === half && (q & 1n) === 1n) : rest !== 0n && up === n > 0n) q += 1n;
  return n < 0n ? -(q << shift) : q << shift;
}

// What an arithmetic reads from a number that is its own result.
const itself = number => number;

// a + b as TwoSum gives it at p bits: the rounded sum and its error, itself a p-bit number.
export function twoSum(a, b, p) {
  const s = round(a + b, p);
  return [s, a + b - s];
}

// a·b as TwoProduct gives it at p bits: the rounded product and its error, a p-bit number.
export function twoProduct(a, b, p) {
  const h = round(a * b, p);
  return [h, a * b - h];
}

// An arithmetic is what the orders run in: of(n, name) makes a number of it from the integer n, the
// operand called name, mul, add and sub combine two of its numbers, and result(number) reads what
// an evaluation gives from the number it ends with (the number itself where nothing is read: an
// integer, an interval, a value with its bound; a list, which its row's sum adds, evaluations.mjs).

// p-bit numbers, to nearest: every operand and result rounded once.
export function nearest(p) {
  const r = n => round(n, p);
  return { of: r, mul: (a, b) => r(a * b), add: (a, b) => r(a + b), sub: (a, b) => r(a - b), result: itself };
}

// Exact arithmetic that notes the most significant bits any operand or result needs (widest.bits):
// from that width on, nothing rounds.
export function exactTracking() {
  const widest = { bits: 0 };
  const note = n => {
    widest.bits = Math.max(widest.bits, significantBits(n));
    return n;
  };
  const [mul, add, sub] = [(a, b) => note(a * b), (a, b) => note(a + b), (a, b) => note(a - b)];
  return { widest, of: note, mul, add, sub, result: itself };
}

// Intervals [low, high] at p bits, each end rounded outward: the pair encloses every exact step.
export function outward(p) {
  const pair = (low, high) => [round(low, p, false), round(high, p, true)];
  const least = values => values.reduce((a, b) => (b < a ? b : a));
  const most = values => values.reduce((a, b) => (b > a ? b : a));
  return {
    result: itself,
    of: n => pair(n, n),
    add: ([a, b], [c, d]) => pair(a + c, b + d),
    sub: ([a, b], [c, d]) => pair(a - d, b - c),
    mul([a, b], [c, d]) {
      const products = [a * c, a * d, b * c, b * d];
      return pair(least(products), most(products));
    },
  };
}

// p bits with an addition or subtraction fused with the last multiplication of one of its operands
// and rounded once, as a compiler contracts them: a product stays exact (pending) until a sum takes
// it; anything else takes it rounded. Where both operands are such products, an addition fuses its
// second and a subtraction its first, which is how GCC 12 contracted the program's sums on the
// targets with fused multiply-add. A number is { value, pending }: value rounded, pending the exact
// product or null.
export function fused(p) {
  const settled = n => ({ value: round(n, p), pending: null });
  return {
    result: number => number.value,
    of: settled,
    mul: (a, b) => ({ value: round(a.value * b.value, p), pending: a.value * b.value }),
    add: (a, b) => settled(b.pending !== null ? a.value + b.pending : (a.pending ?? a.value) + b.value),
    sub: (a, b) => settled(a.pending !== null ? a.pending - b.value : a.value - (b.pending ?? b.value)),
  };
}

// A bound on the error of rounding to p bits, from the rounded integer v alone: 0 where v fits p
// bits (an integer result of integers that fits was not rounded), else half a unit in v's last place.
function halfUnit(v, p) {
  const dropped = bitLength(v) - p;
  return dropped <= 0 ? 0n : 1n << BigInt(dropped - 1);
}

// p bits to nearest, each number { value, bound } with a bound on its distance from the exact
// value, carried from the computed values alone: each rounding adds half a unit in its last place,
// a sum its operands' bounds, a product |a|·B + |b|·A + A·B. The bound is rigorous.
export function running(p) {
  const at = value => ({ value, bound: halfUnit(value, p) });
  const sum = (value, a, b) => ({ value, bound: halfUnit(value, p) + a.bound + b.bound });
  return {
    result: itself,
    of: n => at(round(n, p)),
    add: (a, b) => sum(round(a.value + b.value, p), a, b),
    sub: (a, b) => sum(round(a.value - b.value, p), a, b),
    mul(a, b) {
      const value = round(a.value * b.value, p);
      const carried = abs(a.value) * b.bound + abs(b.value) * a.bound + a.bound * b.bound;
      return { value, bound: halfUnit(value, p) + carried };
    },
  };
}

// p bits with each operation rounded toward +∞ or −∞ as the next bit of `bits` (a function) says, 1
// up and 0 down, whether or not it is exact; operands are rounded to nearest and draw nothing.
export function randomly(p, bits) {
  const r = n => round(n, p, bits() === 1);
  const [mul, add, sub] = [(a, b) => r(a * b), (a, b) => r(a + b), (a, b) => r(a - b)];
  return { of: n => round(n, p), mul, add, sub, result: itself };
}

// p bits with every product rounded to nearest and every sum put off: a number is the list of the
// signed rounded terms that it sums, for a summation of one's choice (evaluations.mjs).
export function termsKept(p) {
  return {
    result: itself,
    of: n => [round(n, p)],
    mul: ([a], [b]) => [round(a * b, p)],
    add: (a, b) => [...a, ...b],
    sub: (a, b) => [...a, ...b.map(v => -v)],
  };
}

// p bits with every product split exactly: a number is a list of p-bit numbers that sums to it
// exactly. Multiplying by an operand v replaces each a by TwoProduct(a, v): the nonzero rounded
// products in order, then the nonzero errors in order. A sum joins the lists, the subtrahend negated.
export function splitExactly(p) {
  return {
    result: itself,
    of: n => [round(n, p)],
    mul(list, [v]) {
      const pairs = list.map(a => twoProduct(a, v, p));
      return [...pairs.map(([h]) => h), ...pairs.map(([, e]) => e)].filter(a => a !== 0n);
    },
    add: (a, b) => [...a, ...b],
    sub: (a, b) => [...a, ...b.map(v => -v)],
  };
}

// p bits with every product carried with its error, and every sum with its own: a number is
// { value, error }, value rounded and error the running compensation (compensated products feeding
// a compensated sum, as if in twice the precision). A product carries both operands' errors, each
// times the other's value (their product, second order, is dropped); a sum adds them. Its result
// is value + error, rounded once.
export function compensated(p) {
  const r = n => round(n, p);
  const sum = (a, b, sign) => {
    const [s, q] = twoSum(a.value, sign * b.value, p);
    return { value: s, error: r(a.error + r(q + sign * b.error)) };
  };
  return {
    result: number => r(number.value + number.error),
    of: n => ({ value: r(n), error: 0n }),
    mul(a, b) {
      const [h, e] = twoProduct(a.value, b.value, p);
      return { value: h, error: r(r(r(a.error * b.value) + r(a.value * b.error)) + e) };
    },
    add: (a, b) => sum(a, b, 1n),
    sub: (a, b) => sum(a, b, -1n),
  };
}

// The arithmetic that counts roundings: each number is the most roundings any exact operand's error
// has collected on its way to it, { roundings, products, sums }, and how many of them were products'
// and how many sums'; a product collects both its factors' and its own, a sum the longer chain of its
// operands (the first, where both are as long) and its own.
const longer = (a, b) => (b.roundings > a.roundings ? b : a);
const summed = (a, b) => ({ ...longer(a, b), roundings: longer(a, b).roundings + 1, sums: longer(a, b).sums + 1 });
export const CHAINS = {
  result: itself,
  of: () => ({ roundings: 0, products: 0, sums: 0 }),
  mul: (a, b) => ({
    roundings: a.roundings + b.roundings + 1,
    products: a.products + b.products + 1,
    sums: a.sums + b.sums,
  }),
  add: summed,
  sub: summed,
};

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
