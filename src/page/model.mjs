// What the page shows, computed once for each point and each width before anything is drawn, by
// loops over the table of evaluations, each row as its kind says (kinds.mjs): each row's numbers,
// verdicts and least widths, the chart of error against width, the accounts, the detectors'
// conclusions and the program's own routines from the module. The views only read these models, and
// #results is written from them.
import { NARROWEST, WIDEST, abs, exactTracking, round, total } from './arithmetic.mjs';
import { evaluate, lastOf, operandValue, resultsOf, signedOf, signedTerms } from './orders.mjs';
import { widthWithoutRounding } from './orders.mjs';
import { account, shares, stepExponent, verdict } from './account.mjs';
import { EVALUATIONS, PLAIN, PROGRAMS, SUMS, prints, rows } from './evaluations.mjs';
import { DRAWN, KINDS, MARKED, boundAt } from './kinds.mjs';
import { asked } from './questions.mjs';

// The program's own point, where it always evaluates.
export const PROGRAM_POINT = { x: 9478657n, y: 2298912n };
// binary64's significand width; the widths one click away, with the formats that have them.
export const BINARY64 = 53;
const FORMATS = { 11: 'binary16', 24: 'binary32', [BINARY64]: 'binary64', 64: 'x87 extended', 113: 'binary128' };
export const PRESETS = new Map(Object.entries(FORMATS).map(([p, format]) => [Number(p), format]));
// The most widths the chart evaluates at: beyond, it samples them evenly.
const CHART_SAMPLES = 240;
// The plain order, term by term, which the others are held against.

// What compute() gives, kept in the map under key, which may be any value (an object by identity).
function kept(map, key, compute) {
  if (!map.has(key)) map.set(key, compute());
  return map.get(key);
}

// The exact facts of a point, and each row's numbers at any width, each computed once and kept by
// the row itself: rows that run one program in one arithmetic (the K-fold sums) share its run.
export class Point {
  constructor(x, y) {
    Object.assign(this, { x, y, values: new Map(), runs: new Map(), converted: new Map(), exactRuns: new Map() });
    const exact = this.exactRun(PLAIN.program);
    const termSteps = exact.steps.filter(step => step.role === 'term'); // T1 to T5, exactly
    Object.assign(this, { termSteps, terms: signedOf(exact), pell: x * x - 17n * y * y });
    this.still = widthWithoutRounding(x, y, PROGRAMS);
    this.f = total(this.terms);
    this.magnitudes = total(this.terms.map(abs));
  }

  // Whether the row evaluates f at this point at all.
  applies(row) {
    return !row.applies || row.applies(this);
  }

  // The Run of the row's program at p bits in its arithmetic (with the random bits given, if any).
  run(row, p, bits) {
    return evaluate(row.program, row.arithmetic(p, bits), this);
  }

  // The number the row's program ends with at p bits in its arithmetic, kept for the program and the
  // arithmetic: rows that share both (the K-fold sums) share it.
  last(row, p) {
    const byProgram = kept(this.runs, row.program, () => new Map());
    const byArithmetic = kept(byProgram, row.arithmetic, () => new Map());
    return kept(byArithmetic, p, () => lastOf(row.program, row.arithmetic(p), this));
  }

  // The row's result at p bits: an integer, an interval, a bounded value, the list of the orders of
  // summation's; null where it does not apply.
  value(row, p) {
    if (!this.applies(row)) return null;
    return kept(
      kept(this.values, row, () => new Map()),
      p,
      () => {
        if (row.programs) return resultsOf(row.programs, row.arithmetic(p), this);
        const number = this.last(row, p);
        return row.sum ? SUMS[row.sum].sum(number, p, row) : row.arithmetic(p).result(number);
      },
    );
  }

  // Whether the row's own bound of its error proves at p that its value has f's sign.
  proves(row, p) {
    return Boolean(row.sum && SUMS[row.sum].surelySigned?.(row, p, this.convertedTerms(p), this.f));
  }

  // The terms at p bits, each the exact product of the operands converted to p bits, signed.
  convertedTerms(p) {
    const converting = { ...exactTracking(), of: n => round(n, p) };
    return kept(this.converted, p, () => signedTerms(this.x, this.y, converting));
  }

  // The Run of the program in exact arithmetic at this point, kept for the program: the same at every
  // width.
  exactRun(program) {
    return kept(this.exactRuns, program, () => evaluate(program, exactTracking(), this));
  }

  // The exact value of the polynomial the row evaluates: f, or g for Single's program.
  exact(row) {
    return row.evaluates ? this.exactRun(row.program).result : this.f;
  }
}

// The chart of error against width at the point: the widths from NARROWEST to a little past the
// last least width, and each drawn row's values there (its kind's drawn: log₁₀ of a fraction of |f|,
// null where 0, or a band of them); null where f = 0.
function chart(point, marks) {
  if (point.f === 0n) return null;
  const widths = Object.values(marks).flatMap(Object.values);
  const end = widths.includes(null) ? WIDEST : Math.min(WIDEST, Math.ceil(Math.max(...widths) * 1.15) + 4);
  const every = Math.max(1, Math.ceil((end - NARROWEST + 1) / CHART_SAMPLES));
  const sampled = [];
  for (let p = NARROWEST; p <= end; p += every) sampled.push(p);
  if (sampled.at(-1) !== end) sampled.push(end);
  const drawn = DRAWN.filter(row => marks[row.key] !== undefined || !KINDS[row.kind].leastWidths);
  const series = drawn.map(row => [row.key, sampled.map(p => KINDS[row.kind].drawn(point, row, p))]);
  return { widths: sampled, series: Object.fromEntries(series) };
}

// What the page shows at the point (x, y), whatever the width: its exact facts, each row's least
// widths (marks, by key; none for a row that does not apply here), how far off the plain order is one
// bit below its least exact width, and the chart of error against width; on a Point given, whose
// numbers kept so far it goes on from.
export function pointModel(x, y, point = new Point(x, y)) {
  const marks = Object.fromEntries(
    MARKED.filter(row => point.applies(row)).map(row => [row.key, KINDS[row.kind].leastWidths(point, row)]),
  );
  const exactFrom = marks[PLAIN.key].exact;
  const belowExact = exactFrom > NARROWEST ? point.value(PLAIN, exactFrom - 1) - point.f : null;
  return Object.assign(point, { marks, exactFrom, belowExact, chart: chart(point, marks) });
}

// An order row's account at p bits beside its exact run and, where asked, the shares of each term's
// error: { step, error, roundings, operands }.
function accountOf(point, row, run, withShares = true) {
  const exact = point.exactRun(row.program);
  if (!withShares) return { account: account(run, exact) };
  const split = i => ({
    step: run.steps[i],
    error: run.values[i] - exact.values[i],
    ...shares(run.steps[i], run, exact),
  });
  return { account: account(run, exact), shares: run.indices('term').map(split) };
}

// What p bits give at the point (a pointModel): what each row gives there, as its kind says (with N
// runs of random rounding from the seed), the accounts of the orders, the operands p cannot hold, and
// the results of the order and value rows at the preset widths, the least exact width and p.
export function widthModel(point, p, state) {
  const at = {};
  for (const row of EVALUATIONS.filter(each => KINDS[each.kind].at)) {
    at[row.key] = KINDS[row.kind].at(point, row, p, state);
    if (row.kind !== 'order') continue;
    const run = point.run(row, p);
    Object.assign(at[row.key], { run }, accountOf(point, row, run));
  }
  const held = [...at[PLAIN.key].run.inputs].filter(([name, value]) => value !== operandValue(name, point));
  const widths = [...new Set([...PRESETS.keys(), point.exactFrom, p])].filter(Boolean).sort((a, b) => a - b);
  const table = widths.map(w => ({ p: w, values: rows('order', 'value').map(row => point.value(row, w)) }));
  const [exponent, bound] = [stepExponent(point.terms, p), boundAt(p, point.magnitudes, point.f)];
  const width = { p, at, exponent, bound, operands: held.map(([name, value]) => ({ name, value })), table };
  return Object.assign(width, { questions: asked(point, width) });
}

// Whether the integer v is a value of the format exactly, so that a routine sees the point itself.
function holds(format, v) {
  const n = Number(v);
  return Number.isFinite(n) && BigInt(n) === v && (format === 'binary64' || Math.fround(n) === n);
}

// The program's routines at the point, from the module: for each routine row, which of x and y its
// format cannot hold (then nothing more); its binary64 steps (a routine that prints no line: its
// result alone); where every step is finite, the verdicts on its result, the first step where the
// page's own 53-bit arithmetic differs (−1 where none does), and for the program's orders the account
// and, where none differs, the shares of the page's own run.
export function routinesModel(exports, point) {
  const part = row => {
    const unheld = ['x', 'y'].filter(name => !holds(row.routine.format, point[name]));
    if (unheld.length) return { row, unheld };
    const [own, result] = [point.run(row, BINARY64), exports[row.routine.export](Number(point.x), Number(point.y))];
    const stepsOf = () => Array.from(new Float64Array(exports.memory.buffer, exports.steps(), own.steps.length));
    const printed = prints(row);
    const values = printed ? stepsOf() : [result];
    if (!values.every(Number.isFinite)) return { row, unheld, values, steps: own.steps };
    const module = values.map(v => BigInt(v));
    const mine = printed ? own.values : [point.value(row, BINARY64)];
    const differs = mine.findIndex((v, k) => v !== module[k]);
    const judged = { verdict: verdict(module.at(-1), point.exact(row)) };
    if (row.evaluates) judged.againstF = verdict(module.at(-1), point.f);
    if (!printed) return { row, unheld, values, steps: own.steps, differs, ...judged };
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
  const parts = EVALUATIONS.filter(row => row.routine && point.applies(row)).map(part);
  return { exponent: stepExponent(point.terms, BINARY64), parts };
}

// The verdicts on the program's lines at its own point (a routinesModel there): one for each label of
// the program's routine rows, in the order the program prints them.
export function runModel(routines) {
  return routines.parts.flatMap(part => part.row.routine.labels.map(label => ({ label, ...part })));
}

// The shares of each term's error as #results holds them: decimal strings.
function publishedShares(terms) {
  const text = v => v.toString();
  return terms.map(({ error, roundings, operands }) => ({
    error: text(error),
    roundings: roundings.map(r => text(r.share)),
    operands: Object.fromEntries(operands.map(({ operand, share }) => [operand, text(share)])),
  }));
}

// What the page shows at the point and width, for scripts (#results): integers as decimal strings,
// each row under its key, as its kind publishes it (a row with a place inside another's object, as
// the fused results and the interval), and each row's threshold.
export function results(point, { at, p, questions }) {
  const out = { x: String(point.x), y: String(point.y), p, f: String(point.f) };
  for (const row of EVALUATIONS.filter(each => KINDS[each.kind].publish)) {
    const shares = at[row.key].shares && publishedShares(at[row.key].shares);
    KINDS[row.kind].publish(out, { at: at[row.key], mark: point.marks[row.key], shares }, row);
  }
  out.exact_from = point.exactFrom;
  out.thresholds = {};
  for (const row of EVALUATIONS.filter(each => each.threshold))
    out.thresholds[row.threshold] = point.marks[row.key][KINDS[row.kind].threshold];
  out.questions = Object.fromEntries(questions.map(({ id, answer }) => [id, answer]));
  return out;
}
