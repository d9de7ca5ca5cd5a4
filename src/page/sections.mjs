// What the page says at a point and a width, section by section: the verdicts on the program's run,
// why the evaluations fail there, the program's routines step by step, and p-bit arithmetic; and the
// same for scripts, as #results holds it. Each section function returns the section's elements.
import {
  NARROWEST,
  WIDEST,
  abs,
  exactTerms,
  exactValue,
  nearest,
  outward,
  reusingPowers,
  reusingPowersFused,
  termByTerm,
  termByTermFused,
} from './arithmetic.mjs';
import { LONGEST_CHAIN, REUSING_POWERS, TERM_BY_TERM, account, stepExponent, verdict } from './account.mjs';
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

// The program's own point, where it always evaluates.
export const PROGRAM_POINT = { x: 9478657n, y: 2298912n };
// binary64's significand width; the widths one click away, with the formats that have them.
export const BINARY64 = 53;
const PRESETS = [
  [11, 'binary16'],
  [24, 'binary32'],
  [53, 'binary64'],
  [64, 'x87 extended'],
  [113, 'binary128'],
];

// The program's routines the module exports: what each computes, in which format it holds its
// operands, its order and its sign of T2.
const ROUTINES = [
  {
    label: 'Single',
    export: 'sum_terms_single',
    format: 'binary32',
    order: TERM_BY_TERM,
    subtractT2: true,
    what:
      'binary32 operands, widened exactly before each multiply; it subtracts the 578·x²·y⁴ term, so it ' +
      'evaluates another polynomial, g',
  },
  {
    label: 'Double and Extended',
    export: 'sum_terms_double',
    format: 'binary64',
    order: TERM_BY_TERM,
    subtractT2: false,
    what: 'binary64 operands, term by term; the program prints this one computation under both labels',
  },
  {
    label: 'Extended2',
    export: 'sum_reusing_powers',
    format: 'binary64',
    order: REUSING_POWERS,
    subtractT2: false,
    what: 'binary64 operands, x⁴ and y⁴ computed once and reused',
  },
];

// Whether the integer v is a value of the format exactly, so that the routine sees the point itself.
function holds(format, v) {
  const n = Number(v);
  return Number.isFinite(n) && BigInt(n) === v && (format === 'binary64' || Math.fround(n) === n);
}

// The steps one exported routine records at (x, y), as binary64 numbers.
function routineSteps(exports, routine, x, y) {
  exports[routine.export](Number(x), Number(y));
  const count = routine.order.names(false).length;
  return Array.from(new Float64Array(exports.memory.buffer, exports.steps(), count));
}

// The verdict cards of the program's four lines, at its own point.
export function runVerdicts(exports, stdout) {
  const { x, y } = PROGRAM_POINT;
  const printed = stdout.split('\n').filter(line => line !== '');
  const exponent = stepExponent(x, y, BINARY64);
  const [single, double, reuse] = ROUTINES.map(routine => routineSteps(exports, routine, x, y).map(v => BigInt(v)));
  const lines = [
    [single, true],
    [double, false],
    [double, false],
    [reuse, false],
  ];
  return lines.map(([steps, subtractT2], i) =>
    verdictCard(
      printed[i] ?? '(no line)',
      subtractT2 ? 'It evaluates g, with the 578·x²·y⁴ term subtracted.' : null,
      verdict(steps[steps.length - 1], exactValue(x, y, subtractT2)),
      subtractT2 ? 'g' : 'f',
      exponent,
    ),
  );
}

// The section on why the evaluations fail at (x, y): the terms against f, the condition number and
// the error bound beside the observed errors, and the algebra where the point solves x² − 17·y² = 1.
export function whySection(x, y) {
  const terms = exactTerms(x, y);
  const f = exactValue(x, y);
  const magnitude = abs(f);
  const names = ['+83521·y⁸', '+578·x²·y⁴', '−2·x⁴', '+2·x⁶', '−x⁸'];
  const rows = terms.map((t, i) => [names[i], integer(t), f === 0n ? '—' : scientific(t, magnitude)]);
  return [
    h('h2', { id: 'why-heading' }, 'Why, at this point'),
    scrolling('terms-title', 'The terms of f, exactly, against |f|', ['term', 'value', 'term / |f|'], rows),
    f === 0n
      ? h('p', {}, 'f = 0 here: no error can be measured against it, and the condition number is infinite.')
      : conditionBlock(
          x,
          y,
          f,
          terms.reduce((a, b) => a + b),
          magnitude,
        ),
    pellBlock(x, y, f),
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
function conditionBlock(x, y, f, sum, magnitude) {
  const n = BigInt(LONGEST_CHAIN);
  const unitDenominator = 1n << BigInt(BINARY64);
  const ar = nearest(BINARY64);
  // γₙ = nu / (1 − nu) with u = 2⁻⁵³ is n / (2⁵³ − n); the bound γₙ·κ is n·Σ|terms| / ((2⁵³ − n)·|f|).
  const bound = [n * sum, (unitDenominator - n) * magnitude];
  const relative = result => relativeText(verdict(result, f).relative, 'f');
  const gamma = `γ${[...String(LONGEST_CHAIN)].map(d => '₀₁₂₃₄₅₆₇₈₉'[d]).join('')}`;
  return [
    h(
      'p',
      {},
      'κ = Σ|terms| / |f| is the condition number: how much the sum magnifies the terms’ relative errors. ',
      `Each term reaches the result through at most n = ${LONGEST_CHAIN} roundings (T1: eight multiplications, `,
      'then four sums), each a factor (1 + δ) with |δ| ≤ u, the unit roundoff; together they stay within ',
      `γₙ = nu / (1 − nu). So |computed − f| ≤ ${gamma}·Σ|terms|, and the relative error is at most ${gamma}·κ.`,
    ),
    quantities([
      ['Σ|terms|', integer(sum)],
      ['|f|', integer(magnitude)],
      ['κ = Σ|terms| / |f|', scientific(sum, magnitude)],
      [`u = ${power(2, -BINARY64)}, binary64`, scientific(1n, unitDenominator)],
      [`${gamma} = ${LONGEST_CHAIN}u / (1 − ${LONGEST_CHAIN}u)`, scientific(n, unitDenominator - n)],
      [`bound on the relative error, ${gamma}·κ`, scientific(...bound)],
      ['observed at 53 bits, term by term', relative(termByTerm(ar, x, y)[8])],
      ['observed at 53 bits, powers reused', relative(reusingPowers(ar, x, y)[10])],
    ]),
    h(
      'p',
      {},
      bound[0] >= bound[1]
        ? 'The bound is not below 1: no digit of a binary64 result, not even its sign, can be trusted here.'
        : 'The bound is below 1: binary64 is promised a relative error of at most that much here.',
    ),
  ];
}

// x² − 17·y² at the point, and where it is 1, f = 1 − 2x² and what 1 − 2·x·x gives in binary64.
function pellBlock(x, y, f) {
  const pell = x * x - 17n * y * y;
  if (pell !== 1n) {
    return h(
      'p',
      {},
      `Here x² − 17·y² = ${minus(grouped(pell))}, not 1, so the terms do not collapse to a short `,
      'form: the points that solve x² − 17·y² = 1 (above the form) are those where f = 1 − 2·x² and the terms ',
      'cancel almost completely.',
    );
  }
  const ar = nearest(BINARY64);
  const limit = 1n << BigInt(BINARY64);
  const square = ar.mul(ar.of(x), ar.of(x));
  const double = ar.mul(2n, square);
  const result = ar.sub(1n, double);
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

// One routine at (x, y): its binary64 steps from the module with each operation's rounding error, the
// verdict on its result, and whether the page's own 53-bit arithmetic gives the same steps.
function routinePart(exports, routine, id, x, y) {
  const point = { x, y };
  const exponent = stepExponent(x, y, BINARY64);
  const heading = h('h3', {}, routine.label);
  const what = h('p', {}, routine.what, '.');
  const unheld = ['x', 'y'].filter(name => !holds(routine.format, point[name]));
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
  const values = routineSteps(exports, routine, x, y);
  const names = routine.order.names(routine.subtractT2);
  const title = `${routine.label}’s result`;
  const caption = `${routine.label}, step by step in binary64`;
  if (!values.every(Number.isFinite)) {
    return [
      heading,
      what,
      h('div', { class: 'cards' }, nonFiniteCard(title, null, values[values.length - 1], 4)),
      overflowTable(id, caption, names, values),
      h('p', {}, 'The widths below have no largest number, so there the evaluation goes on.'),
    ];
  }
  const steps = values.map(v => BigInt(v));
  const acc = account(routine.order, steps, x, y, routine.subtractT2);
  const own =
    routine.order === TERM_BY_TERM
      ? termByTerm(nearest(BINARY64), x, y, routine.subtractT2)
      : reusingPowers(nearest(BINARY64), x, y);
  const differs = own.findIndex((v, k) => v !== steps[k]);
  const card = verdictCard(title, null, verdict(acc.result, acc.exact), routine.subtractT2 ? 'g' : 'f', exponent, 4);
  return [
    heading,
    what,
    h('div', { class: 'cards' }, card),
    accountTable(id, caption, acc, exponent, values.map(hexfloat)),
    h(
      'p',
      { class: differs < 0 ? 'check' : 'error' },
      differs < 0
        ? 'The page’s own 53-bit arithmetic (below) gives each of these steps bit for bit.'
        : `The page’s own 53-bit arithmetic differs at ${names[differs]}: one of the two is wrong.`,
    ),
  ];
}

// The section on the program's routines at (x, y).
export function routinesSection(exports, x, y) {
  const exponent = stepExponent(x, y, BINARY64);
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
    ROUTINES.map((routine, i) => routinePart(exports, routine, `routine-${i}`, x, y)),
  ];
}

// Whether the routines' section shows binary64's steps of both orders at (x, y): binary64 holds the
// point and no step overflows, that is, no 53-bit step reaches 2^1024.
function routinesShowBinary64(x, y) {
  const ar = nearest(BINARY64);
  const finite = v => abs(v) < 1n << 1024n;
  return (
    holds('binary64', x) &&
    holds('binary64', y) &&
    termByTerm(ar, x, y).every(finite) &&
    reusingPowers(ar, x, y).every(finite)
  );
}

// What p bits give at the point for the term-by-term order (Double's) and the power-reuse order
// (Extended2's), plain and fused, and the interval enclosure; values as BigInt.
export function atWidth(x, y, p) {
  const ar = nearest(p);
  return {
    termByTerm: termByTerm(ar, x, y),
    reusingPowers: reusingPowers(ar, x, y),
    fused: [termByTermFused(p, x, y), reusingPowersFused(p, x, y)],
    interval: termByTerm(outward(p), x, y)[8],
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
  return named.filter(([, v]) => ar.of(v) !== v).map(([name, v]) => `${name} enters as ${minus(grouped(ar.of(v)))}`);
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

// The table of what the preset widths, the least exact one and p give at the point; choose(w) draws
// the width w.
function widthsTable(x, y, p, exactFrom, choose) {
  const f = exactValue(x, y);
  const names = new Map(PRESETS);
  const widths = [...new Set([...PRESETS.map(([w]) => w), exactFrom, p])].filter(Boolean).sort((a, b) => a - b);
  const value = v => h('span', {}, integer(v), v === f ? h('span', { class: 'tag' }, ' = f') : null);
  const rows = widths.map(w => {
    const at = atWidth(x, y, w);
    const format = names.get(w) ?? (w === exactFrom ? 'least exact' : null);
    return [
      [
        h('button', { type: 'button', 'aria-pressed': String(w === p), onclick: () => choose(w) }, String(w)),
        format ? h('span', { class: 'format' }, ' ', format) : null,
      ],
      value(at.termByTerm[8]),
      value(at.reusingPowers[10]),
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
function exactWidthText(x, y, exactFrom) {
  if (exactFrom === null) return `No width up to ${WIDEST} bits makes the term-by-term order give f exactly.`;
  const text = `The term-by-term order gives f exactly from ${exactFrom} bits on, at every width up to ${WIDEST}`;
  if (exactFrom === NARROWEST) return `${text}.`;
  const off = termByTerm(nearest(exactFrom - 1), x, y)[8] - exactValue(x, y);
  return `${text}; at ${exactFrom - 1} bits it is off by ${minus(grouped(off))}.`;
}

// The section on p-bit arithmetic at the point, whose results at p are `at`: verdicts on both
// orders, plain and fused, the interval, the least exact width, the other widths (choose(w) draws
// the width w), and each order's account.
export function widthSection(x, y, p, at, exactFrom, choose) {
  const f = exactValue(x, y);
  const exponent = stepExponent(x, y, p);
  const name = new Map(PRESETS).get(p);
  const operands = roundedOperands(x, y, p);
  const card = (title, what, result) => verdictCard(title, what, verdict(result, f), 'f', exponent);
  const orders = [
    [TERM_BY_TERM, at.termByTerm, 'Term by term (Double’s order)'],
    [REUSING_POWERS, at.reusingPowers, 'Powers reused (Extended2’s order)'],
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
      card('Term by term', 'Double’s order', at.termByTerm[8]),
      card('Powers reused', 'Extended2’s order', at.reusingPowers[10]),
      card(
        'Fused, term by term',
        'each sum fused with the last product of a term, rounded once, as a compiler ' + 'contracts them',
        at.fused[0],
      ),
      card('Fused, powers reused', 'the same contraction in Extended2’s order', at.fused[1]),
      intervalCard(at.interval, f, exponent),
    ),
    h('p', {}, exactWidthText(x, y, exactFrom)),
    widthsTable(x, y, p, exactFrom, choose),
    p === BINARY64 && routinesShowBinary64(x, y)
      ? h(
          'p',
          {},
          'At 53 bits each order’s steps are binary64’s: those of ',
          h('a', { href: '#routines' }, 'the program’s routines above'),
          ', with each operation’s error. Choose another width to see its steps.',
        )
      : orders.map(([order, steps, title], i) =>
          accountTable(`width-${i}`, `${title} at ${p} bits, step by step`, account(order, steps, x, y), exponent),
        ),
  ];
}

// What the page shows at (x, y) and p, whose results there are `at`, for scripts: the values as
// decimal integer strings.
export function results(x, y, p, at, exactFrom) {
  const text = v => v.toString();
  return {
    x: text(x),
    y: text(y),
    p,
    f: text(exactValue(x, y)),
    term_by_term: {
      steps: at.termByTerm.map(text),
      result: text(at.termByTerm[8]),
      fused: text(at.fused[0]),
      interval: at.interval.map(text),
    },
    powers_reused: { steps: at.reusingPowers.map(text), result: text(at.reusingPowers[10]), fused: text(at.fused[1]) },
    exact_from: exactFrom,
  };
}
