// What the page shows, computed once for each point and each width before anything is drawn, by
// loops over the table of evaluations: each row's numbers, verdicts and least widths, the chart of
// error against width, the accounts, the detectors' conclusions and the program's own routines from
// the module. The views only read these models, and #results is written from them.
import { NARROWEST, WIDEST, abs, bitLength, decidesSign, exactTracking, log10Ratio, round } from './arithmetic.mjs';
import {
  POWERS_REUSED,
  TERM_BY_TERM,
  evaluate,
  leastWidthFrom,
  longestChain,
  operandValue,
  signedTerms,
  widthWithoutRounding,
} from './orders.mjs';
import { account, shares, stepExponent, verdict } from './account.mjs';
import { EVALUATIONS, rows } from './evaluations.mjs';
import { boundVerdict, randomVerdict } from './detectors.mjs';

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
// n, the most roundings a term goes through on its way to the result, in either order.
export const LONGEST_CHAIN = Math.max(longestChain(TERM_BY_TERM), longestChain(POWERS_REUSED));
// The most widths the chart evaluates at: beyond, it samples them evenly.
const CHART_SAMPLES = 240;

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

// The exact facts of a point, and each row's numbers at any width, each computed once: rows that run
// the same order in the same arithmetic (the K-fold sums) share them.
export class Point {
  constructor(x, y) {
    Object.assign(this, { x, y, terms: signedTerms(x, y), pell: x * x - 17n * y * y, memo: new Map() });
    this.still = widthWithoutRounding(x, y);
    this.f = this.terms.reduce((a, b) => a + b);
    this.magnitudes = this.terms.map(abs).reduce((a, b) => a + b);
  }

  // The Run of the row's order at p bits in its arithmetic (with the random bits given, if any).
  run(row, p, bits) {
    return evaluate(row.order, row.arithmetic(p, bits), this, row.t2);
  }

  // The row's result at p bits: an integer, an interval, a bounded value; null where it does not apply.
  value(row, p) {
    if (row.applies && !row.applies(this)) return null;
    const key = `${row.key} ${p}`;
    if (!this.memo.has(key)) {
      const shared = `${row.arithmetic.name} ${row.order.terms[0].label} ${row.t2 ?? 1} ${p}`; // the K-fold sums' list
      if (!this.memo.has(shared)) this.memo.set(shared, this.run(row, p).result);
      this.memo.set(key, row.result ? row.result(this.memo.get(shared), p) : this.memo.get(shared));
    }
    return this.memo.get(key);
  }

  // The terms at p bits, each the exact product of the operands converted to p bits, signed.
  convertedTerms(p) {
    const key = `converted ${p}`;
    if (!this.memo.has(key)) {
      const run = evaluate(TERM_BY_TERM, { ...exactTracking(), of: n => round(n, p) }, this);
      this.memo.set(
        key,
        run.indices('term').map(i => BigInt(run.steps[i].sign) * run.steps[i].value),
      );
    }
    return this.memo.get(key);
  }

  // log₁₀ of what the row's series draws at p, as a fraction of |f|: its error, the interval's width,
  // a bound; null where it is 0 (an exact result) or where the row has no value.
  drawn(row, p) {
    let size = null;
    if (row.kind === 'bound') size = boundAt(p, this.magnitudes, this.f)?.of;
    else if (row.kind === 'interval') size = [this.value(row, p).reduce((low, high) => high - low), abs(this.f)];
    else if (row.kind === 'running') size = [this.value(row, p).bound, abs(this.f)];
    else if (this.value(row, p) !== null) size = [abs(this.value(row, p) - this.f), abs(this.f)];
    return size && size[0] !== 0n ? log10Ratio(...size) : null;
  }

  // The least widths of a row: from which its result is f (exact), has f's sign (sign; remedies),
  // decides the sign (the interval) or promises a digit (the bound), at every width up to WIDEST.
  marks(row) {
    const from = holds => leastWidthFrom(holds, this.still);
    const is = test => from(p => test(this.value(row, p)));
    if (row.kind === 'interval') return { decides: is(decidesSign) };
    if (row.kind === 'bound') return { below1: boundBelowOne(this.magnitudes, this.f) };
    if (row.applies && !row.applies(this)) return { sign: null, exact: null };
    const exact = is(v => v === this.f);
    if (row.kind === 'value') return { exact };
    const sign = v => (v === 0n || this.f === 0n ? v === this.f : v < 0n === this.f < 0n);
    const surely = p => row.surelySigned?.(p, this.convertedTerms(p), this.f);
    return { sign: from(p => surely(p) || sign(this.value(row, p))), exact };
  }
}

// The chart of error against width at the point: the widths from NARROWEST to a little past the
// last least width, and each drawn row's values there (Point.drawn); null where f = 0.
function chart(point, marks) {
  if (point.f === 0n) return null;
  const widths = Object.values(marks).flatMap(Object.values);
  const end = widths.includes(null) ? WIDEST : Math.min(WIDEST, Math.ceil(Math.max(...widths) * 1.15) + 4);
  const every = Math.max(1, Math.ceil((end - NARROWEST + 1) / CHART_SAMPLES));
  const sampled = [];
  for (let p = NARROWEST; p <= end; p += every) sampled.push(p);
  if (sampled.at(-1) !== end) sampled.push(end);
  const drawn = rows('order', 'value', 'interval', 'bound', 'running', 'remedy').filter(r => marks[r.key]);
  return { widths: sampled, series: Object.fromEntries(drawn.map(r => [r.key, sampled.map(p => point.drawn(r, p))])) };
}

// What the page shows at the point (x, y), whatever the width: its exact facts, each row's least
// widths (marks, by key), how far off the plain order is one bit below its least exact width, and the
// chart of error against width.
export function pointModel(x, y) {
  const point = new Point(x, y);
  const marks = Object.fromEntries(
    rows('order', 'value', 'interval', 'bound', 'remedy')
      .filter(r => !r.applies || r.applies(point))
      .map(r => [r.key, point.marks(r)]),
  );
  const exactFrom = marks.term_by_term.exact;
  const belowExact = exactFrom > NARROWEST ? point.value(rows('order')[0], exactFrom - 1) - point.f : null;
  return Object.assign(point, { marks, exactFrom, belowExact, chart: chart(point, marks) });
}

// The operands that p bits cannot hold, each with the value it enters the evaluation as.
function roundedOperands(point, p) {
  const run = point.run(rows('order')[0], p);
  return [...run.factorValues]
    .filter(([name, value]) => value !== operandValue(name, point))
    .map(([name, value]) => ({ name, value }));
}

// An order row's account and the shares of its terms' errors at p bits (where asked), beside its exact run.
function accountOf(point, row, run, withShares = true) {
  const exact = evaluate(row.order, exactTracking(), point, row.t2);
  if (!withShares) return { account: account(run, exact) };
  const split = run.indices('term').map(i => ({
    step: run.steps[i],
    error: run.values[i] - exact.values[i],
    ...shares(run.steps[i], run, exact),
  }));
  return { account: account(run, exact), shares: split };
}

// What explains a remedy's result at p: for a sum of the rounded terms, their exact sum; for a K-fold
// sum, what the plain order gives at K·p bits, where that is a width the page has.
function remedyFacts(point, row, p) {
  if (row.arithmetic.name === 'termsKept') return { termsSum: point.run(row, p).result.reduce((a, b) => a + b, 0n) };
  if (!row.K || row.K * p > WIDEST) return null;
  const plain = point.value(rows('order')[0], row.K * p);
  return { plainAt: { p: row.K * p, value: plain, verdict: verdict(plain, point.f) } };
}

// What p bits give at the point (a pointModel): each row's result and verdict, the accounts of the
// orders, what the detectors conclude (with N runs of random rounding from the seed), the operands p
// cannot hold, and the results of the value rows at the preset widths, the least exact width and p.
export function widthModel(point, p, { n, seed }) {
  const { f } = point;
  const at = {};
  for (const row of rows('order', 'value', 'remedy')) {
    const value = point.value(row, p);
    at[row.key] = {
      value,
      verdict: value === null ? null : verdict(value, f),
      ...(value !== null && remedyFacts(point, row, p)),
    };
    if (row.kind === 'order') {
      const run = point.run(row, p);
      Object.assign(at[row.key], { run, ...accountOf(point, row, run) });
    }
  }
  const [interval] = rows('interval');
  const [low, high] = point.value(interval, p);
  at.interval = {
    low,
    high,
    holdsZero: low <= 0n && 0n <= high,
    holdsF: low <= f && f <= high,
    decides: decidesSign([low, high]),
  };
  at.running_bound = boundVerdict(point.value(rows('running')[0], p), f);
  const [random] = rows('random');
  at.random_rounding = randomVerdict(bits => point.run(random, p, bits).result, n, seed, f, p);
  const widths = [...new Set([...PRESETS.map(([w]) => w), point.exactFrom, p])].filter(Boolean).sort((a, b) => a - b);
  const columns = rows('order', 'value');
  return {
    p,
    at,
    exponent: stepExponent(point.terms, p),
    bound: boundAt(p, point.magnitudes, f),
    operands: roundedOperands(point, p),
    table: widths.map(w => ({ p: w, values: columns.map(row => point.value(row, w)) })),
  };
}

// Whether the integer v is a value of the format exactly, so that a routine sees the point itself.
function holds(format, v) {
  const n = Number(v);
  return Number.isFinite(n) && BigInt(n) === v && (format === 'binary64' || Math.fround(n) === n);
}

// The program's routines at the point, from the module: for each routine row, which of x and y its
// format cannot hold (then nothing more); its binary64 steps (a remedy: its result); where every
// step is finite, the verdicts on its result, the first step where the page's own 53-bit arithmetic
// differs (−1 where none does), and for the program's orders the account.
export function routinesModel(exports, point) {
  const { x, y } = point;
  const parts = EVALUATIONS.filter(row => row.routine && (!row.applies || row.applies(point))).map(row => {
    const unheld = ['x', 'y'].filter(name => !holds(row.routine.format, point[name]));
    if (unheld.length) return { row, unheld };
    const own = point.run(row, BINARY64);
    let values = [exports[row.routine.export](Number(x), Number(y))];
    if (row.kind === 'order' || row.kind === 'routine') {
      values = Array.from(new Float64Array(exports.memory.buffer, exports.steps(), own.steps.length));
    }
    if (!values.every(Number.isFinite)) return { row, unheld, values, steps: own.steps };
    const module = values.map(v => BigInt(v));
    const mine = row.kind === 'remedy' ? [point.value(row, BINARY64)] : own.values;
    const judged = {
      verdict: verdict(module.at(-1), row.t2 ? signedTerms(x, y, row.t2).reduce((a, b) => a + b) : point.f),
    };
    if (row.t2) judged.againstF = verdict(module.at(-1), point.f);
    const differs = mine.findIndex((v, k) => v !== module[k]);
    // The shares come from the page's own arithmetic, which must give the module's steps.
    const ordered =
      row.kind === 'remedy'
        ? null
        : { ...accountOf(point, row, own), account: accountOf(point, row, own.withValues(module), false).account };
    if (ordered && differs >= 0) ordered.shares = null;
    return { row, unheld, values, steps: own.steps, differs, ...judged, ...ordered };
  });
  return { exponent: stepExponent(point.terms, BINARY64), parts };
}

// The verdicts on the program's lines at its own point (a routinesModel there): one for each label of
// the program's routine rows, in the order the program prints them.
export function runModel(routines) {
  return routines.parts
    .filter(part => part.row.routine.labels.length)
    .flatMap(part => part.row.routine.labels.map(label => ({ label, ...part })));
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

// What the page shows at the point and width, for scripts (#results): integers as decimal strings,
// each row under its key (a row within another's object, as the fused results and the interval).
export function results(point, width) {
  const text = v => v.toString();
  const out = { x: text(point.x), y: text(point.y), p: width.p, f: text(point.f) };
  const { at, p } = width;
  for (const row of rows('order'))
    out[row.key] = { steps: at[row.key].run.values.map(text), result: text(at[row.key].value) };
  for (const row of EVALUATIONS.filter(each => each.within)) {
    const value = row.kind === 'interval' ? [at.interval.low, at.interval.high].map(text) : text(at[row.key].value);
    out[row.within[0]][row.within[1]] = value;
  }
  for (const row of rows('order')) {
    out[row.key].shares = at[row.key].shares.map(({ error, roundings, operands }) => ({
      error: text(error),
      roundings: roundings.map(({ share }) => text(share)),
      operands: Object.fromEntries(operands.map(({ operand, share }) => [operand, text(share)])),
    }));
  }
  const { marks } = point;
  out.exact_from = point.exactFrom;
  out.thresholds = { interval_sign: marks.interval.decides, bound_below_1: marks.bound.below1 };
  for (const row of rows('order', 'value')) out.thresholds[row.key] = marks[row.key].exact;
  for (const row of rows('remedy')) {
    const mark = marks[row.key] ?? { sign: null, exact: null };
    const value = at[row.key].value;
    out[row.key] = {
      ...(row.applies && { applies: value !== null }),
      result: value === null ? null : text(value),
      sign_from: mark.sign,
      exact_from: mark.exact,
    };
  }
  const { bound, proves } = at.running_bound;
  out.running_bound = { bound: text(bound), proves_sign: proves };
  const random = at.random_rounding;
  out.random_rounding = {
    n: random.n,
    seed: text(random.seed),
    runs: random.runs.map(text),
    digits: random.digits,
    correct_digits: random.correctDigits,
    false_claims: random.falseClaims,
  };
  return p === undefined ? null : out;
}
