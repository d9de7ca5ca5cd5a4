// The table of evaluations: each row names one evaluation once, by its key (its key in #results),
// its words, its order, the arithmetic it runs in, the sign T2 carries, how its result is read from
// the arithmetic's numbers, and for the program's own routines the module's export and the format of
// their operands. The model, the views, the lecture, #results and the tests loop over it.
import { abs, compensated, fused, nearest, outward, randomly, round, total } from './arithmetic.mjs';
import { running, splitExactly, termsKept, twoSum } from './arithmetic.mjs';
import { ONE_MINUS_2X2, POWERS_REUSED, TERM_BY_TERM } from './orders.mjs';

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

// The exact sum of the list, rounded once to p bits.
const exactSum = (list, p) => round(total(list), p);

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
function sumK(list, K, p) {
  const v = afterPasses(list, K - 1, p);
  let s = 0n;
  for (const a of v.slice(0, -1)) s = round(s + a, p);
  return round(s + (v.at(-1) ?? 0n), p);
}

// The most numbers the exact split of the term-by-term order makes: each multiplication at most
// doubles a term's list.
const MOST_SPLIT = TERM_BY_TERM.terms.reduce((n, term) => n + 2 ** (term.factors.length - 1), 0);

// Whether the K-fold sum at p bits surely has the sign of f, without running it. Its list sums to F,
// f at the converted operands, exactly, and the passes keep the sum; the final plain sum of n numbers
// is off by at most γₙ₋₁·Σ|v| (γₘ = m·u / (1 − m·u), u = 2⁻ᵖ), and each TwoProduct and TwoSum grows
// the magnitudes' sum by (1 + u)² at most, so Σ|v| <= (1 + u)^c·Σ|Tⱼ| with c = 2·(n − 1)·(K − 1) + 2·8
// (eight multiplications at most), and (1 + u)^c <= 1/(1 − c·u). The sign is f's where that bound
// and |F − f| together stay below |f|. terms: the exact products of the converted operands, signed.
function surelySigned(K, p, terms, f) {
  const [m, c] = [BigInt(MOST_SPLIT - 1), BigInt(2 * (MOST_SPLIT - 1) * (K - 1) + 16)];
  const unit = 1n << BigInt(p); // 1/u
  const margin = abs(f) - abs(total(terms) - f);
  const magnitudes = total(terms.map(abs));
  return unit > c && margin > 0n && m * unit * magnitudes < margin * (unit - m) * (unit - c);
}

// A row: its key, its kind, its order and arithmetic, its words (long and short), and more: what
// it is about, how its result is read from the arithmetic's numbers (result(number, p); the number
// itself where none), T2's sign (t2), where #results holds it inside another's (within), where it
// applies (applies(point)) and, for the program's routines, the module's export and their operands'
// format. Its kind says what the page makes of it: 'order', a value with its steps accounted for;
// 'routine', a routine of the program's alone; 'value', a value weighed against f; 'remedy', a value
// with the least widths of its sign and of f; 'interval', 'running' and 'random', the detectors; and
// 'bound', γₙ·κ, computed from κ alone.
function row(key, kind, order, arithmetic, words, short, more = {}) {
  return { key, kind, order, arithmetic, words, short, ...more };
}
const routine = (exported, ...labels) => ({ routine: { labels, export: exported, format: 'binary64' } });
const value = number => number.value;
const kFold = K => ({ K, result: (list, p) => sumK(list, K, p), surelySigned: (...of) => surelySigned(K, ...of) });
const kWords = K => [`every product split exactly, summed ${K}-fold`, `${K}-fold sum`];
const K_FOLD = [2, 3, 4].map(K => row(`sum_${K}`, 'remedy', TERM_BY_TERM, splitExactly, ...kWords(K), kFold(K)));
for (const each of K_FOLD) Object.assign(each, routine(each.key));
export const EVALUATIONS = [
  row('t2_subtracted', 'routine', TERM_BY_TERM, nearest, 'term by term, the 578·x²·y⁴ term subtracted', 'Single', {
    t2: -1,
    routine: { labels: ['Single'], export: 'sum_terms_single', format: 'binary32' },
  }),
  row('term_by_term', 'order', TERM_BY_TERM, nearest, 'term by term', 'term by term', {
    about: 'Double’s order, which the program prints again, the same computation, as Extended',
    ...routine('sum_terms_double', 'Double', 'Extended'),
  }),
  row('powers_reused', 'order', POWERS_REUSED, nearest, 'powers reused', 'powers reused', {
    about: 'Extended2’s order: x⁴ and y⁴ computed once and reused',
    ...routine('sum_reusing_powers', 'Extended2'),
  }),
  row('term_by_term_fused', 'value', TERM_BY_TERM, fused, 'term by term, fused', 'fused', {
    about: 'each sum fused with the last product of a term, rounded once, as a compiler contracts them',
    result: value,
    within: ['term_by_term', 'fused'],
  }),
  row('powers_reused_fused', 'value', POWERS_REUSED, fused, 'powers reused, fused', 'reused, fused', {
    about: 'the same contraction in Extended2’s order',
    result: value,
    within: ['powers_reused', 'fused'],
  }),
  row('interval', 'interval', TERM_BY_TERM, outward, 'the interval, term by term', 'interval', {
    about: 'every operation rounded outward, each lower end down and each upper end up: the pair encloses f',
    within: ['term_by_term', 'interval'],
  }),
  row('bound', 'bound', null, null, 'the bound γₙ·κ', 'bound γₙ·κ'),
  row('running_bound', 'running', TERM_BY_TERM, running, 'a running error bound', 'running bound', {
    about: 'term by term, each value carrying a bound on its error, from the computed values alone',
  }),
  row('random_rounding', 'random', TERM_BY_TERM, randomly, 'random rounding', 'random rounding', {
    about: 'term by term, run again and again with each operation rounded up or down at random',
  }),
  row('neumaier', 'remedy', TERM_BY_TERM, termsKept, 'Neumaier’s sum of the rounded terms', 'Neumaier', {
    result: neumaierSum,
    ...routine('neumaier'),
  }),
  row('exact_sum', 'remedy', TERM_BY_TERM, termsKept, 'the rounded terms summed exactly, rounded once', 'exact sum', {
    result: exactSum,
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
      result: (number, p) => round(number.value + number.error, p),
      ...routine('compensated'),
    },
  ),
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
