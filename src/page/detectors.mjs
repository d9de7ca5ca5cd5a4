// How a program could know, without the exact value, that its result is wrong: what the running
// bound and random rounding conclude, beside whether that is so. Exact integer work but for the
// digits, which are logarithms.
import { abs, decidesSign, log10Ratio, total } from './arithmetic.mjs';

// splitmix64's constants: the increment (2⁶⁴ over the golden ratio) and the two multipliers of its
// finalizer, and 2⁶⁴ − 1, to keep every step modulo 2⁶⁴.
const GOLDEN = 0x9e3779b97f4a7c15n;
const MIX = [0xbf58476d1ce4e5b9n, 0x94d049bb133111ebn];
const MASK = (1n << 64n) - 1n;

// splitmix64 started at the seed: a function that gives its next 64-bit output.
export function splitmix64(seed) {
  let state = seed;
  return () => {
    state = (state + GOLDEN) & MASK;
    let z = state;
    z = ((z ^ (z >> 30n)) * MIX[0]) & MASK;
    z = ((z ^ (z >> 27n)) * MIX[1]) & MASK;
    return z ^ (z >> 31n);
  };
}

// The random bits of a seed: a function that gives the top bit of splitmix64's next output.
export function randomBits(seed) {
  const next = splitmix64(seed);
  return () => Number(next() >> 63n);
}

// P(|T| <= t) for Student's t with nu degrees of freedom, in closed form for a whole nu: with
// θ = atan(t/√nu), a finite series in cos²θ (Abramowitz and Stegun 26.7.3 and 26.7.4).
function centralMass(t, nu) {
  const theta = Math.atan(t / Math.sqrt(nu));
  const cos2 = Math.cos(theta) ** 2;
  const even = nu % 2 === 0;
  let [term, series] = [1, 1];
  // even nu: 1 + (1/2)·cos²θ + (1·3)/(2·4)·cos⁴θ + … to cos^(nu−2)θ; odd: 1 + (2/3)·cos²θ + … to cos^(nu−3)θ
  for (let j = 1; j <= (even ? nu - 2 : nu - 3) / 2; ++j) {
    term *= (cos2 * (even ? 2 * j - 1 : 2 * j)) / (even ? 2 * j : 2 * j + 1);
    series += term;
  }
  if (even) return Math.sin(theta) * series;
  return (2 / Math.PI) * (theta + (nu === 1 ? 0 : Math.sin(theta) * Math.cos(theta) * series));
}

// τ, the two-sided 95 % point of Student's t with nu degrees of freedom: P(|T| <= τ) = 0.95, found
// by bisection to a double's precision (12.706 for one degree, 4.303 for two).
export function studentT(nu) {
  let [low, high] = [0, 1000];
  for (let i = 0; i < 200 && high - low > 1e-15 * high; ++i) {
    const mid = (low + high) / 2;
    if (centralMass(mid, nu) < 0.95) low = mid;
    else high = mid;
  }
  return (low + high) / 2;
}

// The decimal digits p bits hold, p·log₁₀ 2: what a digit count is clamped to.
export const digitsOf = p => p * Math.log10(2);

// The N runs at p bits from a seed (runs(bits) evaluates once with the bits given), and what they
// say: C, the significant digits the runs claim (log₁₀(√N·|m| / (σ·τ)), m their mean, σ their sample
// deviation), and D, the digits the mean has right against f; both clamped to [0, p·log₁₀ 2]. The
// claim is false where it claims at least one digit more than are right, C ≥ D + 1: identical runs
// (σ = 0) claim every digit, and are judged alike.
export function randomRounding(run, N, seed, f, p) {
  const bits = randomBits(seed);
  const runs = Array.from({ length: N }, () => run(bits));
  const S = total(runs);
  const Nn = BigInt(N);
  const Q = runs.reduce((q, r) => q + (Nn * r - S) ** 2n, 0n); // N²·Σ(r − m)²
  const clamp = d => Math.min(Math.max(d, 0), digitsOf(p));
  let claimed = digitsOf(p);
  if (S === 0n) claimed = 0;
  else if (Q !== 0n) {
    // log₁₀(√N·|m|/σ) = log₁₀|S| − ½·log₁₀ Q + ½·log₁₀(N·(N − 1)), with m = S/N and σ² = Q/(N²·(N − 1))
    const ratio = log10Ratio(abs(S), 1n) - log10Ratio(Q, 1n) / 2 + Math.log10(N * (N - 1)) / 2;
    claimed = clamp(ratio - Math.log10(studentT(N - 1)));
  }
  const off = abs(S - Nn * f); // N·|m − f|
  let right = digitsOf(p);
  if (off !== 0n) right = f === 0n ? 0 : clamp(log10Ratio(Nn * abs(f), off));
  return {
    seed,
    runs,
    digits: claimed,
    correctDigits: right,
    identical: Q === 0n,
    falseClaim: claimed >= right + 1,
  };
}

// The seeds whose runs the page tries, to count the false claims at a width.
export const SEEDS = 100;

// What random rounding says at p bits: the runs of the chosen seed, and of seeds 1 to SEEDS how many
// claim falsely (C ≥ D + 1), and how many of those ran identically.
export function randomVerdict(run, N, seed, f, p) {
  const chosen = randomRounding(run, N, seed, f, p);
  const tried = Array.from({ length: SEEDS }, (_, i) => randomRounding(run, N, BigInt(i + 1), f, p));
  const claims = tried.filter(each => each.falseClaim);
  const identicalClaims = claims.filter(c => c.identical).length;
  // the grade it gives the mean: a correct digit where it claims one, else nothing vouched for
  const said = { says: chosen.digits >= 1 ? 'good' : 'bad', right: !chosen.falseClaim };
  return { ...chosen, ...said, n: N, falseClaims: claims.length, identicalClaims };
}

// The grade a detector gives the result, in the tones of a verdict (account.mjs), from what it vouches
// for: nothing, where it does not vouch for the sign ('bad': not even the sign is sure); else a
// relative error of at most num/den: none ('exact'), below 10⁻¹ ('good': a correct digit), or more
// ('fair': the sign alone). Whether it is right is another matter, judged apart.
export function vouched(sign, [num, den]) {
  if (!sign) return 'bad';
  if (num === 0n) return 'exact';
  return num * 10n < den ? 'good' : 'fair';
}

// What an interval [low, high] around the result says of it: the sign where it holds no 0, and an
// error of at most its width, against the least |f| it allows; and whether it is so: it holds f.
export function intervalVerdict([low, high], f) {
  const holds = v => low <= v && v <= high;
  const decides = decidesSign([low, high]);
  const says = vouched(decides, [high - low, abs(low) < abs(high) ? abs(low) : abs(high)]);
  return { low, high, holdsZero: holds(0n), holdsF: holds(f), decides, says, right: holds(f) };
}

// What the running bound says about its result v with bound b: whether it proves the sign (|v| > b,
// or v = b = 0, which proves f = 0), the grade it gives v (an error of at most b against |f| >= |v| − b),
// and whether that is so: the error is in fact within it.
export function boundVerdict({ value, bound }, f) {
  const [proves, holds] = [decidesSign([value - bound, value + bound]), abs(value - f) <= bound];
  return { value, bound, proves, holds, says: vouched(proves, [bound, abs(value) - bound]), right: holds };
}
