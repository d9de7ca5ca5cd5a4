// What the page says at a point and a width, section by section: the verdicts on the program's run,
// why the evaluations fail there, the program's routines step by step, and p-bit arithmetic. Each
// section function reads the models of model.mjs and returns the section's elements; none computes.
import { NARROWEST, TERM_NAMES, WIDEST, abs } from './arithmetic.mjs';
import { BINARY64, PRESETS } from './model.mjs';
import { chartFigure } from './chart.mjs';
import { grouped, hexfloat, minus, power, scientific } from './text.mjs';
import {
  accountTable,
  h,
  integer,
  intervalCard,
  nonFiniteCard,
  overflowTable,
  quantities,
  relativeText,
  scrolling,
  sharesTable,
  spacingText,
  verdictCard,
} from './views.mjs';

// γₙ with n in subscript digits: γ₁₂.
function gammaName(n) {
  return `γ${[...String(n)].map(d => '₀₁₂₃₄₅₆₇₈₉'[d]).join('')}`;
}

// The verdict cards of the program's four lines (a runModel), under the lines it printed.
export function runVerdicts(run, stdout) {
  const printed = stdout.split('\n').filter(line => line !== '');
  return run.lines.map(({ routine, verdict, againstF }, i) =>
    verdictCard(
      printed[i] ?? '(no line)',
      routine.subtractT2 ? 'It evaluates g, with the 578·x²·y⁴ term subtracted: its digits are g’s, not f’s.' : null,
      verdict,
      routine.subtractT2 ? 'g' : 'f',
      run.exponent,
      3,
      againstF,
    ),
  );
}

// A width's name: its own, and where it is a format's significand width, that format's.
export function widthName(p) {
  const format = new Map(PRESETS).get(p);
  return format ? `${p} bits, ${format}’s significand` : `${p} bits`;
}

// The section on why the evaluations fail at the point of `point` (a pointModel), at the width of
// `width` (a widthModel): the terms against f, the condition number and the error bound at p beside
// the errors observed there, and the algebra where the point solves x² − 17·y² = 1.
export function whySection(point, width) {
  const { terms, f } = point;
  const rows = terms.map((t, i) => [TERM_NAMES[i], integer(abs(t)), f === 0n ? '—' : scientific(abs(t), abs(f))]);
  return [
    h('h2', { id: 'why-heading' }, 'Why, at this point'),
    scrolling('terms-title', 'The terms of f, exactly, against |f|', ['term', 'value', 'term / |f|'], rows),
    f === 0n
      ? h('p', {}, 'f = 0 here: no error can be measured against it, and the condition number is infinite.')
      : conditionBlock(point, width),
    pellBlock(point),
    h(
      'p',
      {},
      'What other arithmetic gives here, the x87 unit’s 64-bit significands, a fused multiply-add, ',
      'binary128 or any other width, is in ',
      h('a', { href: '#width' }, 'the table of widths below'),
      '.',
    ),
  ];
}

// κ, the bound γₙ·κ with the unit roundoff u = 2⁻ᵖ of the chosen width, and the relative errors p
// bits give here.
function conditionBlock({ f, magnitudes }, { p, bound, verdicts }) {
  const intro = h(
    'p',
    {},
    'κ = Σ|terms| / |f| is the condition number: how much the sum magnifies the terms’ relative errors. ',
    `Each term reaches the result through at most n roundings (T1: eight multiplications, `,
    'then four sums), each a factor (1 + δ) with |δ| ≤ u, the unit roundoff; together they stay within ',
    `γₙ = nu / (1 − nu). So |computed − f| ≤ γₙ·Σ|terms|, and the relative error is at most γₙ·κ.`,
  );
  const common = [
    ['Σ|terms|', integer(magnitudes)],
    ['|f|', integer(abs(f))],
    ['κ = Σ|terms| / |f|', scientific(magnitudes, abs(f))],
    [`u = ${power(2, -p)}, at ${widthName(p)}`, scientific(1n, 1n << BigInt(p))],
  ];
  const observed = [
    [`observed at ${p} bits, term by term`, relativeText(verdicts.termByTerm.relative, 'f')],
    [`observed at ${p} bits, powers reused`, relativeText(verdicts.reusingPowers.relative, 'f')],
  ];
  if (bound === null) {
    return [intro, quantities([...common, ...observed]), h('p', {}, `At ${p} bits nu ≥ 1: the bound says nothing.`)];
  }
  const gamma = gammaName(bound.n);
  return [
    intro,
    quantities([
      ...common,
      ['n, the most roundings a term goes through', String(bound.n)],
      [`${gamma} = ${bound.n}u / (1 − ${bound.n}u)`, scientific(...bound.gamma)],
      [`bound on the relative error, ${gamma}·κ`, scientific(...bound.of)],
      ...observed,
    ]),
    h(
      'p',
      {},
      bound.of[0] >= bound.of[1]
        ? `The bound is not below 1: at ${p} bits no digit of a result, not even its sign, can be trusted here.`
        : `The bound is below 1: ${p} bits are promised a relative error of at most that much here.`,
    ),
  ];
}

// x² − 17·y² at the point, and where it is 1, f = 1 − 2x² and what 1 − 2·x·x gives in binary64.
function pellBlock({ x, f, pell, algebra }) {
  if (algebra === null) {
    return h(
      'p',
      {},
      `Here x² − 17·y² = ${minus(grouped(pell))}, not 1, so the terms do not collapse to a short `,
      'form: the points that solve x² − 17·y² = 1 (above the form) are those where f = 1 − 2·x² and the terms ',
      'cancel almost completely.',
    );
  }
  const { square, double, result, limit } = algebra;
  const against = (value, exact) => (value === exact ? 'exact' : `off by ${minus(grouped(value - exact))}`);
  const below = v => (abs(v) < limit ? 'is' : 'is not');
  return [
    h(
      'p',
      {},
      'Here x² − 17·y² = 1: the point solves Pell’s equation, so with u = x² and v = 17·y² = u − 1 every ',
      'power of u of degree two and more cancels, and f = 1 − 2·x². In binary64, step by step:',
    ),
    scrolling(
      'algebra-title',
      '1 − 2·x·x in binary64',
      ['step', 'binary64', 'against the exact value'],
      [
        ['x·x', integer(square), against(square, x * x)],
        ['2·x·x', integer(double), against(double, 2n * x * x)],
        ['1 − 2·x·x', integer(result), against(result, f)],
      ],
    ),
    h(
      'p',
      {},
      `Every integer below ${power(2, BINARY64)} = ${grouped(limit)} is a binary64. Here `,
      `x² = ${grouped(x * x)} ${below(x * x)} below it and |1 − 2·x²| = ${grouped(abs(f))} ${below(f)}: `,
      result === f
        ? 'no step rounds, and the algebra gives f exactly where the terms gave nothing right.'
        : 'a step rounds.',
    ),
  ];
}

// One routine of a routinesModel at the point: its binary64 steps from the module with each
// operation's rounding error, the verdict on its result, and whether the page's own 53-bit arithmetic
// gives the same steps. exponent is the spacing's at the largest term.
function routinePart(part, id, point, exponent) {
  const { routine, unheld } = part;
  const heading = h('h3', {}, routine.label);
  const what = h('p', {}, routine.what, '.');
  if (unheld.length) {
    return [
      heading,
      h(
        'p',
        {},
        `${routine.format} cannot hold `,
        unheld.map(name => `${name} = ${grouped(point[name])}`).join(' and '),
        ' exactly, so the routine is not given this point. The widths below round the operands instead.',
      ),
    ];
  }
  const title = `${routine.label}’s result`;
  const caption = `${routine.label}, step by step in binary64`;
  if (!part.account) {
    return [
      heading,
      what,
      h('div', { class: 'cards' }, nonFiniteCard(title, null, part.values.at(-1), 4)),
      overflowTable(id, caption, part.names, part.values),
      h('p', {}, 'The widths below have no largest number, so there the evaluation goes on.'),
    ];
  }
  const of = routine.subtractT2 ? 'g' : 'f';
  const card = verdictCard(title, null, part.verdict, of, exponent, 4, part.againstF);
  return [
    heading,
    what,
    h('div', { class: 'cards' }, card),
    accountTable(id, caption, part.account, exponent, part.values.map(hexfloat)),
    part.shares
      ? sharesTable(`${id}-shares`, `${routine.label}: what made each term’s error`, part.shares, exponent)
      : null,
    h(
      'p',
      { class: part.differs < 0 ? 'check' : 'error' },
      part.differs < 0
        ? 'The page’s own 53-bit arithmetic (below) gives each of these steps bit for bit.'
        : `The page’s own 53-bit arithmetic differs at ${part.names[part.differs]}: one of the two is wrong.`,
    ),
  ];
}

// The section on the program's routines (a routinesModel) at the point of `point`.
export function routinesSection(routines, point) {
  const { exponent } = routines;
  return [
    h('h2', { id: 'routines-heading' }, 'The program’s routines at this point'),
    h(
      'p',
      {},
      'The module’s own evaluations, called at this point, every step as binary64 computes it. Each ',
      'operation’s rounding error is counted in steps: ',
      exponent === null
        ? 'here every term is 0.'
        : `the spacing of binary64 numbers at the largest term, ${spacingText(exponent)}. A sum near that term `,
      exponent === null
        ? ''
        : 'can only move by whole steps. The effects add up to the result’s distance from the ' + 'exact value.',
    ),
    routines.parts.map((part, i) => routinePart(part, `routine-${i}`, point, exponent)),
  ];
}

// The table of what the preset widths, the least exact one and p give at the point (width.table);
// choose(w) draws the width w.
function widthsTable(point, width, choose) {
  const { f, exactFrom } = point;
  const names = new Map(PRESETS);
  const value = v => h('span', {}, integer(v), v === f ? h('span', { class: 'tag' }, ' = f') : null);
  const rows = width.table.map(at => {
    const w = at.p;
    const format = names.has(w) ? `${names.get(w)}’s significand` : w === exactFrom ? 'least exact' : null;
    return [
      [
        h('button', { type: 'button', 'aria-pressed': String(w === width.p), onclick: () => choose(w) }, String(w)),
        format ? h('span', { class: 'format' }, ' ', format) : null,
      ],
      value(at.termByTerm.result),
      value(at.reusingPowers.result),
      value(at.fused[0]),
      value(at.fused[1]),
    ];
  });
  return scrolling(
    'widths-title',
    'The results at other widths (choose one to see its steps)',
    ['p, bits', 'term by term', 'powers reused', 'fused, term by term', 'fused, powers reused'],
    rows,
  );
}

// The sentence on the least width from which the term-by-term order gives f exactly.
function exactWidthText({ exactFrom, belowExact }) {
  if (exactFrom === null) return `No width up to ${WIDEST} bits makes the term-by-term order give f exactly.`;
  const text = `The term-by-term order gives f exactly from ${exactFrom} bits on, at every width up to ${WIDEST}`;
  if (exactFrom === NARROWEST) return `${text}.`;
  return `${text}; at ${exactFrom - 1} bits it is off by ${minus(grouped(belowExact))}.`;
}

// The section on p-bit arithmetic at the point of `point`, whose width model is `width`: verdicts on
// both orders, plain and fused, the interval, the least exact width, the other widths (choose(w)
// draws the width w), and each order's account.
export function widthSection(point, width, choose) {
  const { p, exponent, verdicts } = width;
  const card = (title, what, v) => verdictCard(title, what, v, 'f', exponent);
  const operands = width.operands.map(({ name: operand, value }) => `${operand} enters as ${minus(grouped(value))}`);
  const orders = [
    [width.accounts.termByTerm, width.shares.termByTerm, 'Term by term (Double’s order)'],
    [width.accounts.reusingPowers, width.shares.reusingPowers, 'Powers reused (Extended2’s order)'],
  ];
  return [
    h('h2', { id: 'width-heading', tabindex: -1 }, `At ${widthName(p)}`),
    h(
      'div',
      { class: 'cards' },
      card('Term by term', 'Double’s order', verdicts.termByTerm),
      card('Powers reused', 'Extended2’s order', verdicts.reusingPowers),
      card(
        'Fused, term by term',
        'each sum fused with the last product of a term, rounded once, as a compiler ' + 'contracts them',
        verdicts.fused[0],
      ),
      card('Fused, powers reused', 'the same contraction in Extended2’s order', verdicts.fused[1]),
      intervalCard(width.intervalFacts, exponent),
    ),
    h(
      'p',
      {},
      `Both orders again, with every operand, product and sum rounded to ${p} significant bits, to `,
      'nearest with ties to even. The exponent is unbounded: nothing overflows and nothing is subnormal, so only ',
      'the width of the significand differs from the real formats (where binary32’s exponent would overflow on ',
      'terms past 3.4·10³⁸, and binary16 cannot even hold 83521). Every value is an integer, computed exactly.',
    ),
    operands.length ? h('p', {}, `${p} bits cannot hold every operand: ${operands.join('; ')}.`) : null,
    h('p', {}, exactWidthText(point)),
    widthsTable(point, width, choose),
    p === BINARY64 && point.binary64Finite
      ? h(
          'p',
          {},
          'At 53 bits each order’s steps are binary64’s: those of ',
          h('a', { href: '#routines' }, 'the program’s routines above'),
          ', with each operation’s error. Choose another width to see its steps.',
        )
      : orders.map(([acc, terms, title], i) => [
          accountTable(`width-${i}`, `${title} at ${p} bits, step by step`, acc, exponent),
          sharesTable(`width-${i}-shares`, `${title} at ${p} bits: what made each term’s error`, terms, exponent),
        ]),
  ];
}

// The section on error against width at the point of `point`, with p marked: the chart and its
// thresholds in words (choose(w) draws the width w); where f = 0, why there is none.
export function chartSection(point, width, choose) {
  return [
    h('h2', { id: 'chart-heading' }, 'Error against width'),
    h(
      'p',
      {},
      'Each order evaluated at every width from 2 bits on, with its error against f as a fraction of |f|; ',
      'beside them the width of the interval and the bound γₙ·κ. A line that reaches “exact” gives f itself; ',
      'one that drops to 10⁰, all of |f|, gives 0, every digit and the sign lost. Choose a width on the chart ',
      'to see it below.',
    ),
    point.chart === null
      ? h('p', {}, 'f = 0 here: no error can be measured as a fraction of it.')
      : chartFigure(point.chart, point.thresholds, width.p, choose),
  ];
}
