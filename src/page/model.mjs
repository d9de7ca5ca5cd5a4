// What the page shows, computed once for each point and each width before anything is drawn: the
// exact terms and f, each order's steps in each arithmetic, the accounts and the verdicts, the least
// exact width, and the program's own routines from the module. The sections only read these models,
// and #results is written from them: arithmetic → model → views.
import {
  NARROWEST,
  WIDEST,
  abs,
  bitLength,
  decidesSign,
  exactTracking,
  exactValue,
  fused,
  leastExactWidth,
  leastWidthFrom,
  log10Ratio,
  nearest,
  outward,
  reusingPowers,
  signedTerms,
  termByTerm,
  traced,
} from './arithmetic.mjs';
import { LONGEST_CHAIN, account, powerLabels, shares, stepExponent, verdict } from './account.mjs';

// The program's own point, where it always evaluates.
export const PROGRAM_POINT = { x: 9478657n, y: 2298912n };
// binary64's significand width; the widths one click away, with the formats that have them.
export const BINARY64 = 53;
export const PRESETS = [
  [11, 'binary16'],
  [24, 'binary32'],
  [BINARY64, 'binary64'],
  [64, 'x87 extended'],
  [113, 'binary128'],
];

// The program's routines the module exports: the export, the format its operands are held in, its
// order, whether it subtracts T2 (and so evaluates g), and what it computes.
const ROUTINES = [
  {
    label: 'Single',
    export: 'sum_terms_single',
    format: 'binary32',
    order: termByTerm,
    subtractT2: true,
    what:
      'binary32 operands, widened exactly before each multiply; it subtracts the 578·x²·y⁴ term, so it ' +
      'evaluates another polynomial, g',
  },
  {
    label: 'Double and Extended',
    export: 'sum_terms_double',
    format: 'binary64',
    order: termByTerm,
    subtractT2: false,
    what: 'binary64 operands, term by term; the program prints this one computation under both labels',
  },
  {
    label: 'Extended2',
    export: 'sum_reusing_powers',
    format: 'binary64',
    order: reusingPowers,
    subtractT2: false,
    what: 'binary64 operands, x⁴ and y⁴ computed once and reused',
  },
];

// Whether the integer v is a value of the format exactly, so that a routine sees the point itself.
function holds(format, v) {
  const n = Number(v);
  return Number.isFinite(n) && BigInt(n) === v && (format === 'binary64' || Math.fround(n) === n);
}

// The count steps one exported routine records at (x, y), as binary64 numbers.
function routineSteps(exports, routine, x, y, count) {
  exports[routine.export](Number(x), Number(y));
  return Array.from(new Float64Array(exports.memory.buffer, exports.steps(), count));
}

// A routine's order at (x, y) in the page's own 53-bit arithmetic.
function ownRun(routine, x, y) {
  return routine.order(nearest(BINARY64), x, y, routine.subtractT2);
}

// The shares of each term's error in `order` at (x, y) at p bits (account.mjs's shares), with the
// term's name and error and the share of the largest magnitude, in the order of the terms.
function sharesOf(order, p, x, y, subtractT2 = false) {
  const run = order(traced(nearest(p)), x, y, subtractT2);
  const powers = powerLabels(run);
  return run.indices('term').map(i => {
    const split = shares(run.values[i], powers);
    const all = [...split.roundings, ...split.operands].map(({ share }) => share);
    const largest = all.reduce((a, b) => (abs(b) > abs(a) ? b : a), 0n);
    return { name: run.names[i], error: run.values[i].value - run.values[i].exact, ...split, largest };
  });
}

// The account of a Run `run` of `order` at (x, y), beside the same order's exact run.
function accountOf(order, run, x, y, subtractT2 = false) {
  return account(run, order(exactTracking(), x, y, subtractT2), signedTerms(x, y, subtractT2));
}

// The verdict on a result against the polynomial evaluated (g with subtractT2, else f), and for g
// also against f (againstF, else null).
function verdicts(result, x, y, subtractT2) {
  return {
    verdict: verdict(result, exactValue(x, y, subtractT2)),
    againstF: subtractT2 ? verdict(result, exactValue(x, y)) : null,
  };
}

// The verdicts on the program's four lines, at its own point: each with the polynomial it evaluates.
export function runModel(exports) {
  const { x, y } = PROGRAM_POINT;
  const [single, double, reuse] = ROUTINES.map(routine => {
    const steps = routineSteps(exports, routine, x, y, ownRun(routine, x, y).values.length).map(v => BigInt(v));
    return { routine, ...verdicts(steps.at(-1), x, y, routine.subtractT2) };
  });
  return { exponent: stepExponent(x, y, BINARY64), lines: [single, double, double, reuse] };
}

// 1 − 2·x·x in binary64, step by step: what f = 1 − 2·x² gives where x² − 17·y² = 1.
function algebra(x) {
  const ar = nearest(BINARY64);
  const square = ar.mul(ar.of(x), ar.of(x));
  const double = ar.mul(2n, square);
  return { square, double, result: ar.sub(1n, double), limit: 1n << BigInt(BINARY64) };
}

// The bound on the relative error at p bits, γₙ·κ, as parts: γₙ = nu / (1 − nu) with u = 2⁻ᵖ is
// n / (2ᵖ − n), and γₙ·κ is n·Σ|terms| / ((2ᵖ − n)·|f|); null below the width where nu reaches 1.
function boundAt(p, magnitudes, f) {
  const n = BigInt(LONGEST_CHAIN);
  const unitDenominator = 1n << BigInt(p);
  if (unitDenominator <= n) return null;
  return {
    n: LONGEST_CHAIN,
    unitDenominator,
    gamma: [n, unitDenominator - n],
    of: [n * magnitudes, (unitDenominator - n) * abs(f)],
  };
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

// The thresholds at (x, y), each the least width from which its property holds at every width up
// to WIDEST, or null: the interval decides the sign, the bound γₙ·κ falls below 1, and each order,
// plain and fused, gives f exactly.
function thresholds(x, y, f, magnitudes) {
  const exact = result => result === f;
  const from = holds => leastWidthFrom(holds, x, y);
  return {
    interval_sign: from(p => decidesSign(termByTerm(outward(p), x, y).result)),
    bound_below_1: boundBelowOne(magnitudes, f),
    term_by_term: leastExactWidth(x, y),
    powers_reused: from(p => exact(reusingPowers(nearest(p), x, y).result)),
    term_by_term_fused: from(p => exact(termByTerm(fused(p), x, y).result.value)),
    powers_reused_fused: from(p => exact(reusingPowers(fused(p), x, y).result.value)),
  };
}

// The most widths the chart evaluates at: beyond, it samples them evenly.
const CHART_SAMPLES = 240;

// The chart of error against width at (x, y): the widths from NARROWEST to a little past the last
// threshold, and at each, as log₁₀ of a fraction of |f| (null where it is 0), the relative error of
// each order plain and fused, the interval's width and the bound γₙ·κ. null where f = 0.
function chart(x, y, f, magnitudes, marks) {
  if (f === 0n) return null;
  const last = Math.max(...Object.values(marks).filter(w => w !== null), NARROWEST);
  const end = Math.min(WIDEST, Object.values(marks).includes(null) ? WIDEST : Math.ceil(last * 1.15) + 4);
  const every = Math.max(1, Math.ceil((end - NARROWEST + 1) / CHART_SAMPLES));
  const widths = [];
  for (let p = NARROWEST; p <= end; p += every) widths.push(p);
  if (widths.at(-1) !== end) widths.push(end);
  const relative = error => (error === 0n ? null : log10Ratio(abs(error), abs(f)));
  const series = { term_by_term: [], powers_reused: [], term_by_term_fused: [], powers_reused_fused: [] };
  const interval = [];
  const bound = [];
  for (const p of widths) {
    series.term_by_term.push(relative(termByTerm(nearest(p), x, y).result - f));
    series.powers_reused.push(relative(reusingPowers(nearest(p), x, y).result - f));
    series.term_by_term_fused.push(relative(termByTerm(fused(p), x, y).result.value - f));
    series.powers_reused_fused.push(relative(reusingPowers(fused(p), x, y).result.value - f));
    const [low, high] = termByTerm(outward(p), x, y).result;
    interval.push(relative(high - low));
    const at = boundAt(p, magnitudes, f);
    bound.push(at === null ? null : log10Ratio(...at.of));
  }
  return { widths, series: { ...series, interval, bound } };
}

// What the page shows at the point (x, y), whatever the width: the exact terms (with their signs in
// f) and f, Σ|terms|, x² − 17·y² (and the algebra where it is 1), the thresholds (the least exact
// width among them) with how far off one bit below the least exact width is, the chart of error
// against width, and whether the routines' binary64 steps are all finite numbers the point's own.
export function pointModel(x, y) {
  const terms = signedTerms(x, y);
  const f = exactValue(x, y);
  const magnitudes = terms.map(abs).reduce((a, b) => a + b);
  const pell = x * x - 17n * y * y;
  const marks = thresholds(x, y, f, magnitudes);
  const exactFrom = marks.term_by_term;
  return {
    x,
    y,
    terms,
    f,
    magnitudes,
    pell,
    algebra: pell === 1n ? algebra(x) : null,
    thresholds: marks,
    exactFrom,
    belowExact:
      exactFrom === null || exactFrom === NARROWEST ? null : termByTerm(nearest(exactFrom - 1), x, y).result - f,
    chart: chart(x, y, f, magnitudes, marks),
    binary64Finite: binary64Finite(x, y),
  };
}

// The results p bits give at the point: both orders' steps to nearest, each order fused, and the
// interval enclosure of the term-by-term order.
function resultsAt(x, y, p) {
  return {
    p,
    termByTerm: termByTerm(nearest(p), x, y),
    reusingPowers: reusingPowers(nearest(p), x, y),
    fused: [termByTerm(fused(p), x, y).result.value, reusingPowers(fused(p), x, y).result.value],
    interval: termByTerm(outward(p), x, y).result,
  };
}

// What an interval [low, high] enclosing f says: whether it holds 0 and f, and whether it decides
// the sign (arithmetic.mjs's decidesSign).
function intervalFacts([low, high], f) {
  return {
    low,
    high,
    holdsZero: low <= 0n && 0n <= high,
    holdsF: low <= f && f <= high,
    decides: decidesSign([low, high]),
  };
}

// The operands that p bits cannot hold, each with the value it enters the evaluation as.
function roundedOperands(x, y, p) {
  const ar = nearest(p);
  const named = [
    ['x', x],
    ['y', y],
    ['83521', 83521n],
    ['578', 578n],
  ];
  return named.flatMap(([name, v]) => (ar.of(v) === v ? [] : [{ name, value: ar.of(v) }]));
}

// What p bits give at the point of `point` (a pointModel): the results and verdicts of both orders,
// plain and fused, the interval, each order's account, the operands p cannot hold, the results at
// the preset widths, the least exact width and p.
export function widthModel(point, p) {
  const { x, y, f, exactFrom } = point;
  const at = resultsAt(x, y, p);
  const widths = [...new Set([...PRESETS.map(([w]) => w), exactFrom, p])].filter(Boolean).sort((a, b) => a - b);
  return {
    ...at,
    exponent: stepExponent(x, y, p),
    bound: boundAt(p, point.magnitudes, f),
    intervalFacts: intervalFacts(at.interval, f),
    verdicts: {
      termByTerm: verdict(at.termByTerm.result, f),
      reusingPowers: verdict(at.reusingPowers.result, f),
      fused: at.fused.map(result => verdict(result, f)),
    },
    accounts: {
      termByTerm: accountOf(termByTerm, at.termByTerm, x, y),
      reusingPowers: accountOf(reusingPowers, at.reusingPowers, x, y),
    },
    shares: { termByTerm: sharesOf(termByTerm, p, x, y), reusingPowers: sharesOf(reusingPowers, p, x, y) },
    operands: roundedOperands(x, y, p),
    table: widths.map(w => (w === p ? at : resultsAt(x, y, w))),
  };
}

// The program's routines at the point of `point`, from the module, with the exponent of binary64's
// spacing at the largest term that their errors are counted in: for each, which of x and y its
// format cannot hold (then nothing more); its binary64 steps with their names; where every step is
// finite, its account, the verdicts on its result, the first step where the page's own 53-bit
// arithmetic differs (−1 where none does) and, where none does, the shares of its terms' errors.
export function routinesModel(exports, point) {
  const { x, y } = point;
  const parts = ROUTINES.map(routine => {
    const unheld = ['x', 'y'].filter(name => !holds(routine.format, point[name]));
    if (unheld.length) return { routine, unheld };
    const own = ownRun(routine, x, y);
    const values = routineSteps(exports, routine, x, y, own.values.length);
    if (!values.every(Number.isFinite)) return { routine, unheld, names: own.names, values };
    const module = own.withValues(values.map(v => BigInt(v)));
    const acc = accountOf(routine.order, module, x, y, routine.subtractT2);
    const differs = own.values.findIndex((v, k) => v !== module.values[k]);
    return {
      routine,
      unheld,
      names: own.names,
      values,
      account: acc,
      ...verdicts(acc.result, x, y, routine.subtractT2),
      differs,
      // The shares come from the page's own arithmetic, which must give the module's steps.
      shares: differs < 0 ? sharesOf(routine.order, BINARY64, x, y, routine.subtractT2) : null,
    };
  });
  return { exponent: stepExponent(x, y, BINARY64), parts };
}

// Whether binary64 holds the point and no 53-bit step of either order reaches 2^1024, so that the
// routines' section shows binary64's steps of both orders.
function binary64Finite(x, y) {
  const ar = nearest(BINARY64);
  const finite = v => abs(v) < 1n << 1024n;
  return (
    holds('binary64', x) &&
    holds('binary64', y) &&
    termByTerm(ar, x, y).values.every(finite) &&
    reusingPowers(ar, x, y).values.every(finite)
  );
}

// The first `count` solutions of x² − 17·y² = 1 after (1, 0), each the previous one times 33 + 8·√17:
// the points where the terms cancel as at the program's, which is the fourth.
export function pellChain(count = 6) {
  const points = [];
  for (let [x, y] = [33n, 8n]; points.length < count; [x, y] = [33n * x + 136n * y, 8n * x + 33n * y]) {
    points.push({ x, y });
  }
  return points;
}

// The shares of an order's terms (sharesOf) for scripts: for each term its error, each rounding's
// share in order and each operand's share, as decimal integers.
function sharesText(terms) {
  return terms.map(({ error, roundings, operands }) => ({
    error: error.toString(),
    roundings: roundings.map(({ share }) => share.toString()),
    operands: Object.fromEntries(operands.map(({ operand, share }) => [operand, share.toString()])),
  }));
}

// What the page shows at the point and width, for scripts (#results): values as decimal integers.
export function results(point, width) {
  const text = v => v.toString();
  return {
    x: text(point.x),
    y: text(point.y),
    p: width.p,
    f: text(point.f),
    term_by_term: {
      steps: width.termByTerm.values.map(text),
      result: text(width.termByTerm.result),
      fused: text(width.fused[0]),
      interval: width.interval.map(text),
      shares: sharesText(width.shares.termByTerm),
    },
    powers_reused: {
      steps: width.reusingPowers.values.map(text),
      result: text(width.reusingPowers.result),
      fused: text(width.fused[1]),
      shares: sharesText(width.shares.reusingPowers),
    },
    exact_from: point.exactFrom,
    thresholds: point.thresholds,
  };
}
