// What the page makes of each kind of row, in one place: what the row gives at a width (at), its
// least widths (marks: each mark's name and what holds from it; leastWidths), what the chart draws
// for it at a width (drawn: log₁₀ of a fraction of |f|, or a band of them), what #results holds of it
// (publish), its readout beside the chart (readout) and why it gives what it gives (why). Words come
// as text and number parts, which the views render last.
import { NARROWEST, WIDEST, abs, bitLength, decidesSign, log10Ratio, total } from './arithmetic.mjs';
import { evaluate, leastWidthFrom, longestChain, signedOf, TERM_BY_TERM, POWERS_REUSED } from './orders.mjs';
import { verdict } from './account.mjs';
import { EVALUATIONS, PLAIN, plainOf } from './evaluations.mjs';
import { boundVerdict, intervalVerdict, randomVerdict } from './detectors.mjs';
import { compact, grouped } from './text.mjs';
import { fromWidth, signAndExact, summary } from './words.mjs';

// The longest chain of roundings in either of the program's orders, { roundings, products, sums }:
// its roundings are the n of the bound γₙ·κ.
const CHAIN = [longestChain(TERM_BY_TERM), longestChain(POWERS_REUSED)].reduce((a, b) =>
  b.roundings > a.roundings ? b : a,
);
export const LONGEST_CHAIN = CHAIN.roundings;

// The bound on the relative error at p bits, γₙ·κ, as fractions [num, den]: γₙ = nu / (1 − nu) with
// u = 2⁻ᵖ is n / (2ᵖ − n), γₙ·κ is n·Σ|terms| / ((2ᵖ − n)·|f|), and γₙ·Σ|terms|, the bound on the
// absolute error that needs no f, n·Σ|terms| / (2ᵖ − n); with n's chain (chain: its products and
// sums). null below the width where nu reaches 1.
export function boundAt(p, magnitudes, f) {
  const [n, unitDenominator] = [BigInt(LONGEST_CHAIN), 1n << BigInt(p)];
  if (unitDenominator <= n) return null;
  const [gamma, absolute] = [
    [n, unitDenominator - n],
    [n * magnitudes, unitDenominator - n],
  ];
  return { n: LONGEST_CHAIN, chain: CHAIN, gamma, absolute, of: [n * magnitudes, (unitDenominator - n) * abs(f)] };
}

// The least width from which γₙ·κ < 1 (the bound promises a digit), that is 2ᵖ·|f| > n·(Σ|terms| + |f|),
// at every width up to WIDEST: the bound only falls as p grows. null where |f| = 0 or no width does.
function boundBelowOne(magnitudes, f) {
  if (f === 0n) return null;
  const needed = BigInt(LONGEST_CHAIN) * (magnitudes + abs(f));
  let p = Math.max(NARROWEST, bitLength(needed) - bitLength(abs(f)));
  while ((1n << BigInt(p)) * abs(f) <= needed) ++p;
  return p <= WIDEST ? p : null;
}

// Whether the integer v has f's sign: the same nonzero sign, or 0 where f is 0.
export const signOf = (v, f) => (v === 0n || f === 0n ? v === f : v < 0n === f < 0n);

// An integer as #results holds it: a decimal string (null stays null).
const decimal = v => (v === null ? null : v.toString());

// log₁₀ of size[0] / size[1], or null where the size is 0 or absent.
const logOf = size => (size && size[0] !== 0n ? log10Ratio(...size) : null);

// The error of the row's value at p as a fraction of |f|, log₁₀; null where exact or where it does
// not apply.
function errorDrawn(point, row, p) {
  const value = point.value(row, p);
  return value === null ? null : logOf([abs(value - point.f), abs(point.f)]);
}

// The least widths from which the row's value equals f, and from which it has f's sign (where sign
// is asked), at every width up to WIDEST; a K-fold sum's sign is tried only where its bound does not
// already prove it.
function valueMarks(point, row, withSign) {
  const from = holds => leastWidthFrom(holds, point.still);
  const exact = from(p => point.value(row, p) === point.f);
  if (!withSign) return { exact };
  return { sign: from(p => point.proves(row, p) || signOf(point.value(row, p), point.f)), exact };
}

// The value row's result and verdict at p, from the point (null where it does not apply), and
// whether its own rigorous bound proves its sign there (proves: the K-fold sums').
function valueAt(point, row, p) {
  const value = point.value(row, p);
  return { value, verdict: value === null ? null : verdict(value, point.f), proves: point.proves(row, p) };
}

// The readout of a value: its verdict in words.
const verdictReadout = at => (at.verdict ? summary(at.verdict) : 'does not apply');

// Sets the value at the path place of an object, the objects on the way made where missing.
function placed(out, place, value) {
  const inner = place.slice(0, -1).reduce((object, key) => (object[key] ??= {}), out);
  inner[place.at(-1)] = value;
}

// What explains a remedy's result at p: for a sum of the rounded terms, their exact sum; for a K-fold
// sum, what the plain order gives at K·p bits, where that is a width the page has.
function remedyFacts(point, row, p) {
  if (row.sum && row.sum !== 'k_fold') return { termsSum: total(point.last(row, p)) };
  if (!row.K || row.K * p > WIDEST) return null;
  const plain = point.value(plainOf(row), row.K * p);
  return { plainAt: { p: row.K * p, value: plain, verdict: verdict(plain, point.f) } };
}

// Why a remedy gives what it gives at p, in one sentence from its numbers.
function remedyWhy(row, { point, width }) {
  const [fact, mark, plain] = [width.at[row.key], point.marks[row.key], plainOf(row)];
  if (!mark) return `Here x² − 17·y² = ${grouped(point.pell)}, not 1: 1 − 2·x² is not f here, and this does not apply.`;
  if (fact.termsSum !== undefined) {
    const [terms, summed] = [compact(fact.termsSum - point.f), compact(fact.value - fact.termsSum)];
    return [
      'The rounded terms are already off by ',
      terms,
      '; the summation adds ',
      summed,
      '. No summation undoes them.',
    ];
  }
  if (fact.plainAt) {
    const { p: wide, value, verdict: v } = fact.plainAt;
    return [
      `Like the plain order at ${row.K}·${width.p} = ${wide} bits, which gives `,
      compact(value),
      ': ',
      summary(v),
      '.',
    ];
  }
  if (row.K) return `Like the plain order at ${row.K}·${width.p} bits, beyond the ${WIDEST} this page evaluates.`;
  if (row.applies)
    return `On the chain f = 1 − 2·x², three operations: exact ${fromWidth(mark.exact)}, where 2·x² and f fit.`;
  return `As if in twice the precision: ${signAndExact(mark)}, where ${plain.words} has ${signAndExact(point.marks[plain.key])}.`;
}

// Why another order gives what it gives: its least widths beside the program's plain order's.
function schemeWhy(row, { point }) {
  const [own, its] = [point.marks[row.key], point.marks[PLAIN.key]];
  return `Another order of the same terms, which cancel as much: ${row.short} has ${signAndExact(own)}; ${PLAIN.words} has ${signAndExact(its)}.`;
}

// The 120 orders' results at p, and what they say together: how many, how many differ, have f's
// sign, are 0, are f, the least and the largest, and the one nearest f with its verdict.
function ordersAt(point, row, p) {
  const values = point.value(row, p);
  const sorted = [...values].sort((a, b) => (a < b ? -1 : a > b ? 1 : 0));
  const count = predicate => values.filter(predicate).length;
  const nearest = values.reduce((a, b) => (abs(b - point.f) < abs(a - point.f) ? b : a));
  return {
    nearest: { value: nearest, verdict: verdict(nearest, point.f) },
    values,
    count: values.length,
    distinct: new Set(values).size,
    rightSign: count(v => signOf(v, point.f)),
    zero: count(v => v === 0n),
    exact: count(v => v === point.f),
    least: sorted[0],
    most: sorted.at(-1),
  };
}

// Whether every order of summation surely has f's sign at p, without running them: the rounded terms
// t̂ are those of the first order, which all share; summing n of them one after another, in any order,
// to nearest, is off by at most γₙ₋₁·Σ|t̂| from their exact sum (γₘ = m·u / (1 − m·u) = m / (2ᵖ − m),
// u = 2⁻ᵖ), which is off from f by |Σt̂ − f|; the sign is f's where both together stay below |f|.
function allSurelySigned(point, row, p) {
  const terms = signedOf(evaluate(row.programs[0], row.arithmetic(p), point));
  const [m, unit] = [BigInt(terms.length - 1), 1n << BigInt(p)];
  const margin = abs(point.f) - abs(total(terms) - point.f);
  return unit > m && margin > 0n && m * total(terms.map(abs)) < margin * (unit - m);
}

// Whether any order of summation helps at p: gives f, or one correct digit.
function ordersWhy(row, { point, width }) {
  const at = width.at[row.key];
  const good = at.values.filter(v => verdict(v, point.f).good).length;
  const said = `Of the ${at.count} orders, ${at.rightSign} have f’s sign, ${at.zero} give 0 and ${at.exact} give f, `;
  const helps = good ? `${good} of them with a correct digit or more.` : 'none with a correct digit: no order helps.';
  return [
    said,
    `in ${at.distinct} different values; `,
    helps,
    ' The order of the sums cannot undo the terms’ own rounding.',
  ];
}

// The kinds. A kind without an entry for something has none: no marks, nothing drawn or published.
export const KINDS = {
  routine: {},
  order: {
    marks: { exact: 'exact' },
    threshold: 'exact',
    leastWidths: (point, row) => valueMarks(point, row, true),
    drawn: errorDrawn,
    at: valueAt,
    readout: verdictReadout,
    publish(out, { at, shares }, row) {
      out[row.key] = { steps: at.run.values.map(decimal), result: decimal(at.value), shares };
    },
  },
  value: {
    marks: { exact: 'exact' },
    threshold: 'exact',
    leastWidths: (point, row) => valueMarks(point, row, false),
    drawn: errorDrawn,
    at: valueAt,
    readout: verdictReadout,
    publish: (out, { at }, row) => placed(out, row.place, decimal(at.value)),
  },
  remedy: {
    marks: { sign: 'sign', exact: 'exact' },
    leastWidths: (point, row) => (row.applies && !row.applies(point) ? null : valueMarks(point, row, true)),
    drawn: errorDrawn,
    at: (point, row, p) => ({ ...valueAt(point, row, p), ...(point.applies(row) && remedyFacts(point, row, p)) }),
    readout: verdictReadout,
    why: remedyWhy,
    publish(out, { at, mark }, row) {
      const { sign = null, exact = null } = mark ?? {};
      const result = { result: decimal(at.value), sign_from: sign, exact_from: exact };
      out[row.key] = { ...(row.applies && { applies: at.value !== null }), ...result };
    },
  },
  orders: {
    marks: { sign: 'sign', exact: 'exact' },
    leastWidths(point, row) {
      const from = holds => leastWidthFrom(holds, point.still);
      const all = holds => p => point.value(row, p).every(holds);
      const sign = from(p => allSurelySigned(point, row, p) || all(v => signOf(v, point.f))(p));
      return { sign, exact: from(all(v => v === point.f)) };
    },
    drawn(point, row, p) {
      const errors = point.value(row, p).map(v => abs(v - point.f));
      const [least, most] = [errors.reduce((a, b) => (b < a ? b : a)), errors.reduce((a, b) => (b > a ? b : a))];
      return { band: [logOf([least, abs(point.f)]), logOf([most, abs(point.f)])] };
    },
    at: ordersAt,
    readout: at => `${at.rightSign} of ${at.count} with f’s sign, ${at.exact} exact`,
    why: ordersWhy,
    publish(out, { at, mark }, row) {
      const { count, distinct, rightSign, zero, exact, least, most } = at;
      const numbers = {
        count,
        distinct,
        right_sign: rightSign,
        zero,
        exact,
        least: decimal(least),
        most: decimal(most),
      };
      out[row.key] = { ...numbers, sign_from: mark.sign, exact_from: mark.exact };
    },
  },
  interval: {
    marks: { decides: 'decides the sign' },
    threshold: 'decides',
    leastWidths: (point, row) => ({
      decides: leastWidthFrom(p => decidesSign(point.value(row, p)), point.still),
    }),
    drawn(point, row, p) {
      const [low, high] = point.value(row, p);
      return logOf([high - low, abs(point.f)]);
    },
    at: (point, row, p) => intervalVerdict(point.value(row, p), point.f),
    readout: at => (at.decides ? 'decides the sign' : 'holds 0'),
    publish: (out, { at }, row) => placed(out, row.place, [at.low, at.high].map(decimal)),
  },
  bound: {
    marks: { below1: 'below 1' },
    threshold: 'below1',
    leastWidths: point => ({ below1: boundBelowOne(point.magnitudes, point.f) }),
    drawn: (point, row, p) => logOf(boundAt(p, point.magnitudes, point.f)?.of),
    readout: (at, width) => (width.bound && width.bound.of[0] < width.bound.of[1] ? 'below 1' : 'not below 1'),
  },
  running: {
    drawn: (point, row, p) => logOf([point.value(row, p).bound, abs(point.f)]),
    at: (point, row, p) => boundVerdict(point.value(row, p), point.f),
    readout: at => (at.proves ? 'proves the sign' : 'proves nothing'),
    publish(out, { at }, row) {
      out[row.key] = { bound: decimal(at.bound), proves_sign: at.proves };
    },
  },
  random: {
    at: (point, row, p, { N, seed }) => randomVerdict(bits => point.run(row, p, bits).result, N, seed, point.f, p),
    publish(out, { at }, row) {
      const { n, seed, runs, digits, correctDigits, falseClaims } = at;
      const random = { n, seed: decimal(seed), runs: runs.map(decimal), digits, correct_digits: correctDigits };
      out[row.key] = { ...random, claim_holds: !at.falseClaim, false_claims: falseClaims };
    },
  },
};
// Horner's scheme is judged as a remedy is, though it is none.
KINDS.scheme = { ...KINDS.remedy, why: schemeWhy };

// The rows the chart draws (their kind draws something), in the table's order, and those with least
// widths.
export const DRAWN = EVALUATIONS.filter(row => KINDS[row.kind].drawn);
export const MARKED = EVALUATIONS.filter(row => KINDS[row.kind].leastWidths);
