// The table of evaluations: each row names one evaluation once, by its key (its key in #results),
// its kind (what the page makes of it: kinds.mjs), its program and the arithmetic it runs in, its
// words, and what else it needs: how its list is summed (sum, with K for a K-fold sum), the
// polynomial it evaluates where it is not f, its place in #results, its threshold's name there,
// where it applies, the glossary's term for what it is (term), and for the program's own routines
// the module's export, the lines they print and the format of their operands. The model, the views, the lecture, #results and the tests loop
// over it; docs/evaluations.py holds the same rows under the same names.
import { abs, compensated, fused, nearest, outward, randomly, round, total } from './arithmetic.mjs';
import { running, splitExactly, termsKept, twoSum } from './arithmetic.mjs';
import { HORNER, ONE_MINUS_2X2, POWERS_REUSED, SUMMATION_ORDERS, T2_SUBTRACTED, TERM_BY_TERM } from './orders.mjs';
import { resolved } from './orders.mjs';

// Neumaier's compensated sum of the list at p bits: each addition's error, exact where the larger
// operand comes first, is summed apart and added once at the end.
function neumaierSum(list, p) {
  let s = 0n;
  let c = 0n;
  for (const a of list) {
    const t = round(s + a, p);
    const e = abs(s) >= abs(a) ? round(round(s - t, p) + a, p) : round(round(a - t, p) + s, p);
    c = round(c + e, p);
    s = t;
  }
  return round(s + c, p);
}

// The list after each number of passes of error-free additions from the front, each pass leaving
// the sum in the last element and the errors before it; kept for each list, which the K-fold sums of
// one width share.
const passed = new WeakMap();
function afterPasses(list, passes, p) {
  if (!passed.has(list)) passed.set(list, [list]);
  const done = passed.get(list);
  while (done.length <= passes) {
    const v = [...done.at(-1)];
    for (let i = 1; i < v.length; ++i) [v[i], v[i - 1]] = twoSum(v[i], v[i - 1], p);
    done.push(v);
  }
  return done[passes];
}

// K-fold summation of the list at p bits: K − 1 passes, then a plain sum from the front.
function sumK(list, p, { K }) {
  const v = afterPasses(list, K - 1, p);
  let s = 0n;
  for (const a of v.slice(0, -1)) s = round(s + a, p);
  return round(s + (v.at(-1) ?? 0n), p);
}

// The most numbers the exact split of the term-by-term order makes: each multiplication at most
// doubles a term's list.
const MOST_SPLIT = total(
  resolved(TERM_BY_TERM).steps.flatMap(step => (step.role === 'term' ? [2n ** BigInt(step.chain.length)] : [])),
);

// Whether the K-fold sum at p bits surely has the sign of f, without running it. Its list sums to F,
// f at the converted operands, exactly, and the passes keep the sum; the final plain sum of n numbers
// is off by at most γₙ₋₁·Σ|v| (γₘ = m·u / (1 − m·u), u = 2⁻ᵖ), and each TwoProduct and TwoSum grows
// the magnitudes' sum by (1 + u)² at most, so Σ|v| <= (1 + u)^c·Σ|Tⱼ| with c = 2·(n − 1)·(K − 1) + 2·8
// (eight multiplications at most), and (1 + u)^c <= 1/(1 − c·u). The sign is f's where that bound
// and |F − f| together stay below |f|. terms: the exact products of the converted operands, signed.
function surelySigned({ K }, p, terms, f) {
  const [m, c] = [MOST_SPLIT - 1n, 2n * (MOST_SPLIT - 1n) * BigInt(K - 1) + 16n];
  const unit = 1n << BigInt(p); // 1/u
  const margin = abs(f) - abs(total(terms) - f);
  const magnitudes = total(terms.map(abs));
  return unit > c && margin > 0n && m * unit * magnitudes < margin * (unit - m) * (unit - c);
}

// How a row's list is summed (its field sum): each summation at p bits, sum(list, p, row), and, where
// a bound of its error can prove its sign without running it, surelySigned(row, p, terms, f).
export const SUMS = {
  neumaier: { sum: neumaierSum },
  exact: { sum: (list, p) => round(total(list), p) }, // the exact sum, rounded once
  k_fold: { sum: sumK, surelySigned },
};

// A row: its key, kind, program, arithmetic, words (long and short) and more (about, sum, K,
// evaluates, routine, place, threshold, applies, programs, term).
function row(key, kind, program, arithmetic, words, short, more = {}) {
  return { key, kind, program, arithmetic, words, short, ...more };
}
// The module's routine of a row: its export, the lines it prints (none for a remedy, which returns
// its result alone) and its operands' format.
const routine = (exported, ...labels) => ({ routine: { labels, export: exported, format: 'binary64' } });
const K_FOLD = [2, 3, 4].map(K =>
  row(
    `sum_${K}`,
    'remedy',
    TERM_BY_TERM,
    splitExactly,
    `every product split exactly, summed ${K}-fold`,
    `${K}-fold sum`,
    {
      sum: 'k_fold',
      K,
      term: 'k-fold',
      ...routine(`sum_${K}`),
    },
  ),
);
export const EVALUATIONS = [
  row('t2_subtracted', 'routine', T2_SUBTRACTED, nearest, 'term by term, the 578·x²·y⁴ term subtracted', 'Single', {
    evaluates: 'g',
    routine: { labels: ['Single'], export: 'sum_terms_single', format: 'binary32' },
  }),
  row('term_by_term', 'order', TERM_BY_TERM, nearest, 'term by term', 'term by term', {
    about: 'Double’s order, which the program prints again, the same computation, as Extended',
    threshold: 'term_by_term',
    ...routine('sum_terms_double', 'Double', 'Extended'),
  }),
  row('powers_reused', 'order', POWERS_REUSED, nearest, 'powers reused', 'powers reused', {
    about: 'Extended2’s order: x⁴ and y⁴ computed once and reused',
    threshold: 'powers_reused',
    ...routine('sum_reusing_powers', 'Extended2'),
  }),
  row('term_by_term_fused', 'value', TERM_BY_TERM, fused, 'term by term, fused', 'fused', {
    about: 'each sum fused with the last product of a term, rounded once, as a compiler contracts them',
    place: ['term_by_term', 'fused'],
    threshold: 'term_by_term_fused',
    term: 'fused',
  }),
  row('powers_reused_fused', 'value', POWERS_REUSED, fused, 'powers reused, fused', 'reused, fused', {
    about: 'the same contraction in Extended2’s order',
    place: ['powers_reused', 'fused'],
    threshold: 'powers_reused_fused',
    term: 'fused',
  }),
  row('horner', 'scheme', HORNER, nearest, 'Horner’s scheme in s = x·x', 'Horner', {
    about:
      'f = (((2 − s)·s − 2)·s + 578·y⁴)·s + 83521·y⁸: the order every course teaches, one multiplication and one addition a coefficient',
    term: 'horner',
    ...routine('horner'),
  }),
  row('summation_orders', 'orders', null, nearest, 'the rounded terms summed in every order', 'orders of summation', {
    about:
      'the five terms of the term-by-term order, rounded as it rounds them, summed one after another in each of the 120 orders',
    programs: SUMMATION_ORDERS,
  }),
  row('interval', 'interval', TERM_BY_TERM, outward, 'the interval, term by term', 'interval', {
    about: 'every operation rounded outward, each lower end down and each upper end up: the pair encloses f',
    place: ['term_by_term', 'interval'],
    threshold: 'interval_sign',
    term: 'interval',
  }),
  row('bound', 'bound', null, null, 'the bound γₙ·κ', 'bound γₙ·κ', { threshold: 'bound_below_1', term: 'gamma' }),
  row('running_bound', 'running', TERM_BY_TERM, running, 'a running error bound', 'running bound', {
    about: 'term by term, each value carrying a bound on its error, from the computed values alone',
    term: 'running-bound',
  }),
  row('random_rounding', 'random', TERM_BY_TERM, randomly, 'random rounding', 'random rounding', {
    about: 'term by term, run again and again with each operation rounded up or down at random',
    term: 'random-rounding',
  }),
  row('neumaier', 'remedy', TERM_BY_TERM, termsKept, 'Neumaier’s sum of the rounded terms', 'Neumaier', {
    sum: 'neumaier',
    term: 'neumaier',
    ...routine('neumaier'),
  }),
  row('exact_sum', 'remedy', TERM_BY_TERM, termsKept, 'the rounded terms summed exactly, rounded once', 'exact sum', {
    sum: 'exact',
    ...routine('exact_sum'),
  }),
  row(
    'compensated',
    'remedy',
    TERM_BY_TERM,
    compensated,
    'compensated products into a compensated sum',
    'compensated',
    {
      term: 'compensated',
      ...routine('compensated'),
    },
  ),
  row('comp_horner', 'remedy', HORNER, compensated, 'compensated Horner’s scheme', 'compensated Horner', {
    about: 'Horner’s scheme with each product’s and sum’s error carried beside it',
    term: 'compensated',
    ...routine('comp_horner'),
  }),
  ...K_FOLD,
  row('rewrite', 'remedy', ONE_MINUS_2X2, nearest, 'the algebra: f = 1 − 2·x², as 1 − 2·x·x', '1 − 2x²', {
    applies: point => point.pell === 1n,
    ...routine('rewrite'),
  }),
];

// The rows of the given kinds, in the table's order.
export function rows(...kinds) {
  return EVALUATIONS.filter(row => kinds.includes(row.kind));
}

// The program's plain order, term by term (Double's), which the other evaluations are held against.
export const PLAIN = rows('order')[0];

// Whether a routine of the program's prints one of its lines (its remedies print none).
export const prints = row => row.routine.labels.length > 0;

// The row that runs the same program to nearest, which another arithmetic is held against: the plain
// order of a remedy.
export const plainOf = row => EVALUATIONS.find(other => other.program === row.program && other.arithmetic === nearest);

// Every program the table runs.
export const PROGRAMS = [...new Set(EVALUATIONS.flatMap(row => row.programs ?? (row.program ? [row.program] : [])))];
