// What the page shows, computed once for each point and each width before anything is drawn, by
// loops over the table of evaluations: each row's numbers, verdicts and least widths, the chart of
// error against width, the accounts, the detectors' conclusions and the program's own routines from
// the module. The views only read these models, and #results is written from them.
import { NARROWEST, WIDEST, abs, bitLength, decidesSign, exactTracking, log10Ratio } from './arithmetic.mjs';
import { round, total } from './arithmetic.mjs';
import { POWERS_REUSED, TERM_BY_TERM, evaluate, leastWidthFrom, longestChain } from './orders.mjs';
import { exactValue, operandValue, signedTerms, widthWithoutRounding } from './orders.mjs';
import { account, shares, stepExponent, verdict } from './account.mjs';
import { EVALUATIONS, rows } from './evaluations.mjs';
import { boundVerdict, randomVerdict } from './detectors.mjs';

// The program's own point, where it always evaluates.
export const PROGRAM_POINT = { x: 9478657n, y: 2298912n };
// binary64's significand width; the widths one click away, with the formats that have them.
export const BINARY64 = 53;
const FORMATS = { 11: 'binary16', 24: 'binary32', [BINARY64]: 'binary64', 64: 'x87 extended', 113: 'binary128' };
export const PRESETS = new Map(Object.entries(FORMATS).map(([p, format]) => [Number(p), format]));
// n, the most roundings a term goes through on its way to the result, in either order.
const LONGEST_CHAIN = Math.max(longestChain(TERM_BY_TERM), longestChain(POWERS_REUSED));
// The most widths the chart evaluates at: beyond, it samples them evenly.
const CHART_SAMPLES = 240;
// The plain order, term by term, which the others are held against.
const PLAIN = rows('order')[0];

// The bound on the relative error at p bits, γₙ·κ, as parts: γₙ = nu / (1 − nu) with u = 2⁻ᵖ is
// n / (2ᵖ − n), and γₙ·κ is n·Σ|terms| / ((2ᵖ − n)·|f|); null below the width where nu reaches 1.
function boundAt(p, magnitudes, f) {
  const [n, unitDenominator] = [BigInt(LONGEST_CHAIN), 1n << BigInt(p)];
  if (unitDenominator <= n) return null;
  return { n: LONGEST_CHAIN, gamma: [n, unitDenominator - n], of: [n * magnitudes, (unitDenominator - n) * abs(f)] };
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
const signOf = (v, f) => (v === 0n || f === 0n ? v === f : v < 0n === f < 0n);

// The exact facts of a point, and each row's numbers at any width, each computed once: rows that run
// the same order in the same arithmetic (the K-fold sums) share them.
export class Point {
  constructor(x, y) {
    Object.assign(this, { x, y, terms: signedTerms(x, y), pell: x * x - 17n * y * y, memo: new Map() });
    this.still = widthWithoutRounding(x, y);
    this.f = total(this.terms);
    this.magnitudes = total(this.terms.map(abs));
  }

  // The Run of the row's order at p bits in its arithmetic (with the random bits given, if any).
  run(row, p, bits) {
    return evaluate(row.order, row.arithmetic(p, bits), this, row.t2);
  }

  // What compute() gives, kept under key.
  kept(key, compute) {
    if (!this.memo.has(key)) this.memo.set(key, compute());
    return this.memo.get(key);
  }

  // The row's result at p bits: an integer, an interval, a bounded value; null where it does not apply.
  value(row, p) {
    if (row.applies && !row.applies(this)) return null;
    const shared = `${row.arithmetic.name} ${row.order.terms[0].label} ${row.t2 ?? 1} ${p}`; // the K-fold sums' list
    const number = () => this.kept(shared, () => this.run(row, p).result);
    return this.kept(`${row.key} ${p}`, () => (row.result ? row.result(number(), p) : number()));
  }

  // The terms at p bits, each the exact product of the operands converted to p bits, signed.
  convertedTerms(p) {
    const converting = { ...exactTracking(), of: n => round(n, p) };
    return this.kept(`converted ${p}`, () => signedTerms(this.x, this.y, 1, converting));
  }

  // log₁₀ of what the row's series draws at p, as a fraction of |f|: its error, the interval's width,
  // a bound; null where it is 0 (an exact result) or where the row has no value.
  drawn(row, p) {
    const value = row.kind === 'bound' ? null : this.value(row, p);
    let size = null;
    if (row.kind === 'bound') size = boundAt(p, this.magnitudes, this.f)?.of;
    else if (row.kind === 'interval') size = [value[1] - value[0], abs(this.f)];
    else if (row.kind === 'running') size = [value.bound, abs(this.f)];
    else if (value !== null) size = [abs(value - this.f), abs(this.f)];
    return size && size[0] !== 0n ? log10Ratio(...size) : null;
  }

  // The least widths of a row: from which its result is f (exact), has f's sign (sign; the orders and
  // remedies), decides the sign (the interval) or promises a digit (the bound), at every width up to
  // WIDEST. A K-fold sum's sign is tried only where its bound does not already prove it.
  leastWidths(row) {
    const from = holds => leastWidthFrom(holds, this.still);
    if (row.kind === 'interval') return { decides: from(p => decidesSign(this.value(row, p))) };
    if (row.kind === 'bound') return { below1: boundBelowOne(this.magnitudes, this.f) };
    const exact = from(p => this.value(row, p) === this.f);
    if (row.kind === 'value') return { exact };
    const surely = p => row.surelySigned?.(p, this.convertedTerms(p), this.f);
    return { sign: from(p => surely(p) || signOf(this.value(row, p), this.f)), exact };
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
// chart of error against width; on a Point given, whose numbers kept so far it goes on from.
export function pointModel(x, y, point = new Point(x, y)) {
  const applies = rows('order', 'value', 'interval', 'bound', 'remedy').filter(r => !r.applies || r.applies(point));
  const marks = Object.fromEntries(applies.map(r => [r.key, point.leastWidths(r)]));
  const exactFrom = marks.term_by_term.exact;
  const belowExact = exactFrom > NARROWEST ? point.value(PLAIN, exactFrom - 1) - point.f : null;
  return Object.assign(point, { marks, exactFrom, belowExact, chart: chart(point, marks) });
}

// An order row's account and the shares of its terms' errors at p bits (where asked), beside its exact run.
function accountOf(point, row, run, withShares = true) {
  const exact = evaluate(row.order, exactTracking(), point, row.t2);
  if (!withShares) return { account: account(run, exact) };
  const split = i => ({
    step: run.steps[i],
    error: run.values[i] - exact.values[i],
    ...shares(run.steps[i], run, exact),
  });
  return { account: account(run, exact), shares: run.indices('term').map(split) };
}

// What explains a remedy's result at p: for a sum of the rounded terms, their exact sum; for a K-fold
// sum, what the plain order gives at K·p bits, where that is a width the page has.
function remedyFacts(point, row, p) {
  if (row.arithmetic.name === 'termsKept') return { termsSum: total(point.run(row, p).result) };
  if (!row.K || row.K * p > WIDEST) return null;
  const plain = point.value(PLAIN, row.K * p);
  return { plainAt: { p: row.K * p, value: plain, verdict: verdict(plain, point.f) } };
}

// What p bits give at the point (a pointModel): each row's result and verdict, the accounts of the
// orders, what the detectors conclude (with N runs of random rounding from the seed), the operands p
// cannot hold, and the results of the value rows at the preset widths, the least exact width and p;
// for each row also whether its own rigorous bound proves its sign (proves: the K-fold sums').
export function widthModel(point, p, { n, seed }) {
  const { f } = point;
  const at = {};
  for (const row of rows('order', 'value', 'remedy')) {
    const value = point.value(row, p);
    at[row.key] = {
      value,
      verdict: value === null ? null : verdict(value, f),
      proves: Boolean(value !== null && row.surelySigned?.(p, point.convertedTerms(p), f)),
      ...(value !== null && remedyFacts(point, row, p)),
    };
    const run = row.kind === 'order' && point.run(row, p);
    if (run) Object.assign(at[row.key], { run }, accountOf(point, row, run));
  }
  const [low, high] = point.value(rows('interval')[0], p);
  const holds = v => low <= v && v <= high;
  at.interval = { low, high, holdsZero: holds(0n), holdsF: holds(f), decides: decidesSign([low, high]) };
  at.running_bound = boundVerdict(point.value(rows('running')[0], p), f);
  at.random_rounding = randomVerdict(bits => point.run(rows('random')[0], p, bits).result, n, seed, f, p);
  const operands = [...at[PLAIN.key].run.factorValues].filter(([name, value]) => value !== operandValue(name, point));
  const widths = [...new Set([...PRESETS.keys(), point.exactFrom, p])].filter(Boolean).sort((a, b) => a - b);
  const table = widths.map(w => ({ p: w, values: rows('order', 'value').map(row => point.value(row, w)) }));
  const [exponent, bound] = [stepExponent(point.terms, p), boundAt(p, point.magnitudes, f)];
  return { p, at, exponent, bound, operands: operands.map(([name, value]) => ({ name, value })), table };
}

// Whether the integer v is a value of the format exactly, so that a routine sees the point itself.
function holds(format, v) {
  const n = Number(v);
  return Number.isFinite(n) && BigInt(n) === v && (format === 'binary64' || Math.fround(n) === n);
}

// The program's routines at the point, from the module: for each routine row, which of x and y its
// format cannot hold (then nothing more); its binary64 steps (a remedy: its result); where every
// step is finite, the verdicts on its result, the first step where the page's own 53-bit arithmetic
// differs (−1 where none does), and for the program's orders the account and, where none differs, the
// shares of the page's own run.
export function routinesModel(exports, point) {
  const part = row => {
    const unheld = ['x', 'y'].filter(name => !holds(row.routine.format, point[name]));
    if (unheld.length) return { row, unheld };
    const [own, result] = [point.run(row, BINARY64), exports[row.routine.export](Number(point.x), Number(point.y))];
    const stepsOf = () => Array.from(new Float64Array(exports.memory.buffer, exports.steps(), own.steps.length));
    const values = row.kind === 'remedy' ? [result] : stepsOf();
    if (!values.every(Number.isFinite)) return { row, unheld, values, steps: own.steps };
    const module = values.map(v => BigInt(v));
    const mine = row.kind === 'remedy' ? [point.value(row, BINARY64)] : own.values;
    const differs = mine.findIndex((v, k) => v !== module[k]);
    const exact = row.t2 ? exactValue(point.x, point.y, row.t2) : point.f;
    const judged = { verdict: verdict(module.at(-1), exact) };
    if (row.t2) judged.againstF = verdict(module.at(-1), point.f);
    if (row.kind === 'remedy') return { row, unheld, values, steps: own.steps, differs, ...judged };
    const { account: modules } = accountOf(point, row, own.withValues(module), false);
    const { shares: split } = accountOf(point, row, own);
    return {
      row,
      unheld,
      values,
      steps: own.steps,
      differs,
      ...judged,
      account: modules,
      shares: differs < 0 ? split : null,
    };
  };
  const parts = EVALUATIONS.filter(row => row.routine && (!row.applies || row.applies(point))).map(part);
  return { exponent: stepExponent(point.terms, BINARY64), parts };
}

// The verdicts on the program's lines at its own point (a routinesModel there): one for each label of
// the program's routine rows, in the order the program prints them.
export function runModel(routines) {
  return routines.parts.flatMap(part => part.row.routine.labels.map(label => ({ label, ...part })));
}

// What the page shows at the point and width, for scripts (#results): integers as decimal strings,
// each row under its key (a row within another's object, as the fused results and the interval).
export function results(point, { at, p }) {
  const [text, { marks }] = [v => (v === null ? null : v.toString()), point];
  const out = { x: text(point.x), y: text(point.y), p, f: text(point.f) };
  for (const { key } of rows('order')) out[key] = { steps: at[key].run.values.map(text), result: text(at[key].value) };
  for (const { key, kind, within } of EVALUATIONS.filter(each => each.within)) {
    out[within[0]][within[1]] =
      kind === 'interval' ? [at.interval.low, at.interval.high].map(text) : text(at[key].value);
  }
  const shared = ({ error, roundings }) => ({ error: text(error), roundings: roundings.map(r => text(r.share)) });
  const operandsOf = ({ operands }) => Object.fromEntries(operands.map(({ operand, share }) => [operand, text(share)]));
  for (const { key } of rows('order'))
    out[key].shares = at[key].shares.map(s => ({ ...shared(s), operands: operandsOf(s) }));
  out.exact_from = point.exactFrom;
  out.thresholds = { interval_sign: marks.interval.decides, bound_below_1: marks.bound.below1 };
  for (const { key } of rows('order', 'value')) out.thresholds[key] = marks[key].exact;
  for (const { key, applies } of rows('remedy')) {
    const { sign = null, exact = null } = marks[key] ?? {};
    const result = { result: text(at[key].value), sign_from: sign, exact_from: exact };
    out[key] = { ...(applies && { applies: at[key].value !== null }), ...result };
  }
  out.running_bound = { bound: text(at.running_bound.bound), proves_sign: at.running_bound.proves };
  const { n, seed, runs, digits, correctDigits, falseClaims } = at.random_rounding;
  const random = { n, seed: text(seed), runs: runs.map(text), digits, correct_digits: correctDigits };
  random.claim_holds = !at.random_rounding.falseClaim;
  return { ...out, random_rounding: { ...random, false_claims: falseClaims } };
}
