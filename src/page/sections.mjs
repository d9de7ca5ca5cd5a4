// What the page says at a point and a width, section by section: the verdicts on the program's run,
// why the evaluations fail there, the program's routines step by step, and p-bit arithmetic. Each
// section function reads the models of model.mjs and returns the section's elements; none computes.
import { NARROWEST, TERM_NAMES, WIDEST, abs } from './arithmetic.mjs';
import { BINARY64, PRESETS } from './model.mjs';
import { grouped, hexfloat, inSteps, minus, power, scientific } from './text.mjs';
import {
  accountTable,
  h,
  integer,
  nonFiniteCard,
  overflowTable,
  quantities,
  relativeText,
  scrolling,
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
  return run.lines.map(({ routine, verdict }, i) =>
    verdictCard(
      printed[i] ?? '(no line)',
      routine.subtractT2 ? 'It evaluates g, with the 578·x²·y⁴ term subtracted.' : null,
      verdict,
      routine.subtractT2 ? 'g' : 'f',
      run.exponent,
    ),
  );
}

// The section on why the evaluations fail at the point of `point` (a pointModel): the terms against
// f, the condition number and the error bound beside the observed errors, and the algebra where the
// point solves x² − 17·y² = 1.
export function whySection(point) {
  const { terms, f } = point;
  const rows = terms.map((t, i) => [TERM_NAMES[i], integer(abs(t)), f === 0n ? '—' : scientific(abs(t), abs(f))]);
  return [
    h('h2', { id: 'why-heading' }, 'Why, at this point'),
    scrolling('terms-title', 'The terms of f, exactly, against |f|', ['term', 'value', 'term / |f|'], rows),
    f === 0n
      ? h('p', {}, 'f = 0 here: no error can be measured against it, and the condition number is infinite.')
      : conditionBlock(point),
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

// κ, the bound γₙ·κ with binary64's unit roundoff, and the relative errors binary64 gives here.
function conditionBlock({ f, magnitudes, bound, observed }) {
  const gamma = gammaName(bound.n);
  return [
    h(
      'p',
      {},
      'κ = Σ|terms| / |f| is the condition number: how much the sum magnifies the terms’ relative errors. ',
      `Each term reaches the result through at most n = ${bound.n} roundings (T1: eight multiplications, `,
      'then four sums), each a factor (1 + δ) with |δ| ≤ u, the unit roundoff; together they stay within ',
      `γₙ = nu / (1 − nu). So |computed − f| ≤ ${gamma}·Σ|terms|, and the relative error is at most ${gamma}·κ.`,
    ),
    quantities([
      ['Σ|terms|', integer(magnitudes)],
      ['|f|', integer(abs(f))],
      ['κ = Σ|terms| / |f|', scientific(magnitudes, abs(f))],
      [`u = ${power(2, -BINARY64)}, binary64`, scientific(1n, bound.unitDenominator)],
      [`${gamma} = ${bound.n}u / (1 − ${bound.n}u)`, scientific(...bound.gamma)],
      [`bound on the relative error, ${gamma}·κ`, scientific(...bound.of)],
      ['observed at 53 bits, term by term', relativeText(observed.termByTerm.relative, 'f')],
      ['observed at 53 bits, powers reused', relativeText(observed.reusingPowers.relative, 'f')],
    ]),
    h(
      'p',
      {},
      bound.of[0] >= bound.of[1]
        ? 'The bound is not below 1: no digit of a binary64 result, not even its sign, can be trusted here.'
        : 'The bound is below 1: binary64 is promised a relative error of at most that much here.',
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
  const card = verdictCard(title, null, part.verdict, routine.subtractT2 ? 'g' : 'f', exponent, 4);
  return [
    heading,
    what,
    h('div', { class: 'cards' }, card),
    accountTable(id, caption, part.account, exponent, part.values.map(hexfloat)),
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

// The card of the interval enclosure at p bits: its ends, whether it holds 0 and f.
function intervalCard([low, high], f, exponent) {
  const holdsZero = low <= 0n && 0n <= high;
  const holdsF = low <= f && f <= high;
  return h(
    'article',
    { class: `card ${holdsZero ? 'bad' : 'good'}` },
    h('h3', {}, 'Interval, term by term'),
    h(
      'p',
      { class: 'summary' },
      holdsZero ? 'holds 0: the sign is undecided' : `decides the sign: ${low > 0n ? 'positive' : 'negative'}`,
    ),
    h(
      'p',
      { class: 'what' },
      'Every operation rounded outward, each lower end down and each upper end up, so the ',
      'pair encloses the exact value.',
    ),
    quantities(
      [
        ['lower end', integer(low)],
        ['upper end', integer(high)],
        ['holds 0', holdsZero ? 'yes' : 'no'],
        ['holds f', holdsF ? 'yes' : 'no (impossible: a fault)'],
        exponent === null ? null : ['width', `${inSteps(high - low, exponent)} steps`],
      ].filter(Boolean),
    ),
  );
}

// The table of what the preset widths, the least exact one and p give at the point (width.table);
// choose(w) draws the width w.
function widthsTable(point, width, choose) {
  const { f, exactFrom } = point;
  const names = new Map(PRESETS);
  const value = v => h('span', {}, integer(v), v === f ? h('span', { class: 'tag' }, ' = f') : null);
  const rows = width.table.map(at => {
    const w = at.p;
    const format = names.get(w) ?? (w === exactFrom ? 'least exact' : null);
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
  const name = new Map(PRESETS).get(p);
  const card = (title, what, v) => verdictCard(title, what, v, 'f', exponent);
  const operands = width.operands.map(({ name: operand, value }) => `${operand} enters as ${minus(grouped(value))}`);
  const orders = [
    [width.accounts.termByTerm, 'Term by term (Double’s order)'],
    [width.accounts.reusingPowers, 'Powers reused (Extended2’s order)'],
  ];
  return [
    h('h2', { id: 'width-heading' }, `At ${p} bits${name ? ` (${name})` : ''}`),
    h(
      'p',
      {},
      `Both orders again, with every operand, product and sum rounded to ${p} significant bits, to `,
      'nearest with ties to even. The exponent is unbounded: nothing overflows and nothing is subnormal, so only ',
      'the width of the significand differs from the real formats. Every value is an integer, computed exactly.',
    ),
    operands.length ? h('p', {}, `${p} bits cannot hold every operand: ${operands.join('; ')}.`) : null,
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
      intervalCard(width.interval, point.f, exponent),
    ),
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
      : orders.map(([acc, title], i) =>
          accountTable(`width-${i}`, `${title} at ${p} bits, step by step`, acc, exponent),
        ),
  ];
}
