// What the page says at a point and a width, section by section, as one table of id → draw: why the
// evaluations fail there, the program's routines step by step, the error against width, p-bit
// arithmetic, how a program could know, and what fixes it. Each draw reads the models of model.mjs
// (and the page's state) and returns the elements below the section's fixed heading and words; none
// computes. The lecture view draws its steps from the same words.
import { NARROWEST, WIDEST, abs } from './arithmetic.mjs';
import { SEEDS, digitsOf } from './detectors.mjs';
import { prints, rows } from './evaluations.mjs';
import { BINARY64, PRESETS } from './model.mjs';
import { chartAtWidth, chartFigure } from './chart.mjs';
import { digitCount, grouped, hexfloat, power, scientific, spacingText } from './text.mjs';
import { accountTable, card, h, integer, nonFiniteCard, quantities, questionBox, toneLegend } from './views.mjs';
import { glossed } from './glossary.mjs';
import { formula, scrolling, sharesTable, stepName, verdictCard } from './views.mjs';
import { KINDS } from './kinds.mjs';
import { NEEDS_F, chainWords, gammaName, relativeText, signAndExact, summary } from './words.mjs';

// A width's name: its own, and where it is a format's significand width, that format's.
export function widthName(p) {
  const format = PRESETS.get(p);
  return format ? `${p} bits, ${format}’s significand` : `${p} bits`;
}

// A title from a row's words, its first letter capitalised, and a row's title, linked to the glossary
// where the row is a term of its own; a paragraph; a set of cards.
const titled = words => words[0].toUpperCase() + words.slice(1);
const rowTitle = row => (row.term ? glossed(row.term, titled(row.words)) : titled(row.words));
const para = (...children) => h('p', {}, ...children);
const cardsOf = list => h('div', { class: 'cards' }, list);

// What one of the program's lines computes, in words (its label, its routine's row).
export function lineWords(label, row) {
  if (label === 'Extended') return 'the same computation as Double, under its own label';
  const evaluates = row.evaluates ? [': it evaluates another polynomial, ', glossed(row.evaluates, row.evaluates)] : '';
  return [glossed(row.routine.format, row.routine.format), ` operands, ${row.words}`, evaluates];
}

// The verdict cards of the program's lines at its own point (runModel), under the lines it printed.
export function runVerdicts(lines, printed, exponent) {
  const cards = lines.map(({ label, row, verdict, againstF = null }, i) => {
    const how = { of: row.evaluates ?? 'f', exponent, againstF };
    return verdictCard(printed[i] ?? '(no line)', lineWords(label, row), verdict, how);
  });
  return [toneLegend(), cardsOf(cards)];
}

// The point drawn, with f there.
function pointSection({ point }) {
  const f = h('output', { id: 'exact-f' }, grouped(point.f));
  return [`At x = ${grouped(point.x)}, y = ${grouped(point.y)}, f(x, y) = `, f, ' exactly.'];
}

// κ, the unit roundoff u = 2⁻ᵖ of the chosen width and the bound γₙ·κ, beside the errors observed.
function conditionFacts({ f, magnitudes }, { p, bound, at }) {
  const facts = [['Σ|Tᵢ|', integer(magnitudes)]];
  facts.push(['|f|', integer(abs(f))], [[glossed('kappa', 'κ'), ' = Σ|Tᵢ| / |f|'], scientific(magnitudes, abs(f))]);
  const unit = [glossed('u', 'u'), ' = ', power(2, -p), `, the unit roundoff at ${widthName(p)}`];
  facts.push([unit, scientific(1n, 1n << BigInt(p))]);
  let said = `At ${p} bits nu ≥ 1: the bound says nothing.`;
  if (bound !== null) {
    const gamma = glossed('gamma', gammaName(bound.n));
    facts.push([[glossed('n', 'n'), ', the most roundings a term goes through'], chainWords(bound.chain)]);
    facts.push([[gamma, ` = ${bound.n}u / (1 − ${bound.n}u)`], scientific(...bound.gamma)]);
    facts.push([['bound on the relative error, ', gamma, '·κ'], scientific(...bound.of)]);
    facts.push([['bound on the absolute error, ', gamma, '·Σ|Tᵢ|, which needs no f'], scientific(...bound.absolute)]);
    said = `The bound is below 1: ${p} bits are promised a relative error of at most that much here.`;
    if (bound.of[0] >= bound.of[1])
      said = `The bound is not below 1: at ${p} bits no digit, not even the sign, is sure.`;
  }
  for (const row of rows('order')) {
    facts.push([`observed at ${p} bits, ${row.words}`, relativeText(at[row.key].verdict.relative, 'f')]);
  }
  return [quantities(facts), para(said, ' ', NEEDS_F)];
}

// Why the evaluations fail at the point: the terms against f, the condition number and the bound
// beside the errors observed, and whether the point solves x² − 17·y² = 1.
function whySection({ point, width }) {
  const { terms, f, pell } = point;
  const shown = terms.map((t, i) => [
    point.termSteps[i].label,
    formula(point.termSteps[i]),
    integer(abs(t)),
    f === 0n ? '—' : scientific(abs(t), abs(f)),
  ]);
  const title =
    'The terms of f, T1 to T5 as the program writes them: each as it enters f, with its sign, and its exact value against |f|';
  let chain = `Here x² − 17·y² = ${grouped(pell)}, not 1, so the terms do not collapse to a short form. `;
  if (pell === 1n)
    chain =
      'Here x² − 17·y² = 1: with a = x² and b = 17·y² = a − 1, every power of a of degree two and more cancels, and f = 1 − 2·x². ';
  const facts = f === 0n ? para('f = 0 here: no error can be measured against it.') : conditionFacts(point, width);
  const fix = h('a', { href: '#fix' }, 'What fixes it');
  const table = scrolling('terms-title', title, ['term', 'in f', 'value', 'term / |f|'], shown);
  return [asking({ width }, 'why'), table, facts, para(chain, fix, ' shows what 1 − 2·x·x gives.')];
}

// The questions the section `id` asks, at its top, to predict and then check.
const asking = ({ width }, id) => width.questions.filter(question => question.where.section === id).map(questionBox);

// The words on a routine whose format cannot hold the point.
function unheldText({ row, unheld }, point) {
  const which = unheld.map(name => `${name} = ${grouped(point[name])}`).join(' and ');
  return `${row.routine.format} cannot hold ${which} exactly, so the routine is not given this point.`;
}

// One of the program's evaluation routines at the point: its binary64 steps from the module with
// each operation's rounding error, the verdict on its result, what made each term's error, and
// whether the page's own 53-bit arithmetic gives the same steps.
function routinePart(part, i, point, exponent) {
  const { row, differs } = part;
  const [name, id] = [row.routine.labels.join(' and '), `routine-${i}`];
  if (part.unheld.length) return [h('h3', {}, name), para(unheldText(part, point))];
  const head = [h('h3', {}, name), para(row.about ?? lineWords(name, row), '.')];
  if (!part.account) return [head, cardsOf(nonFiniteCard(`${name}’s result`, part.values, part.steps))];
  const how = { of: row.evaluates ?? 'f', exponent, againstF: part.againstF ?? null };
  const verdict = verdictCard(`${name}’s result`, null, part.verdict, how);
  const hex = part.values.map(hexfloat);
  const steps = accountTable(id, `${name}, step by step in binary64`, part.account, exponent, hex);
  const shares =
    part.shares && sharesTable(`${id}-shares`, `${name}: what made each term’s error`, part.shares, exponent);
  let agrees = 'The page’s own 53-bit arithmetic gives each of these steps bit for bit.';
  if (differs >= 0)
    agrees = `The page’s own 53-bit arithmetic differs at ${stepName(part.steps[differs])}: one is wrong.`;
  const check = h('p', { class: differs < 0 ? 'check' : 'error' }, agrees);
  return [head, cardsOf(verdict), steps, shares, check];
}

// The program's routines at the point: its evaluations step by step, then its remedies in binary64,
// each beside the page's own 53-bit arithmetic.
function routinesSection({ point }) {
  const { exponent, parts } = point.routines;
  const remedies = parts.filter(part => !prints(part.row));
  const routines = parts.filter(part => prints(part.row)).map((part, i) => routinePart(part, i, point, exponent));
  const same = part => {
    if (part.differs === undefined) return 'overflow';
    return part.differs < 0 ? 'the same, bit for bit' : h('strong', { class: 'error' }, 'differs: one is wrong');
  };
  const code = part => h('code', { class: 'hex remedy' }, hexfloat(part.values[0]));
  const shown = remedies.filter(part => !part.unheld.length).map(part => [part.row.short, code(part), same(part)]);
  const title = 'The program’s other evaluations, in its C++ in binary64, beside the page’s 53-bit arithmetic';
  const table = scrolling('remedy-routines-title', title, ['evaluation', 'the module’s result', 'the page’s'], shown);
  const spacing = [
    glossed('spacing', 'the spacing'),
    ' of binary64 numbers at the largest term, ',
    spacingText(exponent),
    '.',
  ];
  const counted = exponent === null ? 'every term is 0.' : spacing;
  const unit = para('Each operation’s rounding error is counted in ', glossed('step', 'steps'), ': ', counted);
  return [
    unit,
    routines,
    h('h3', {}, 'Its other evaluations'),
    shown.length ? table : para(unheldText(remedies[0], point)),
  ];
}

// The error against width: the chart, or why there is none.
function chartSection(model, act) {
  const asked = asking(model, 'chart');
  if (model.point.chart === null) return [asked, para('f = 0 here: no error can be measured as a fraction of it.')];
  return [asked, chartFigure(model, act)];
}

// The chart moved to another width in place (its slider kept), where there is one.
function chartSectionAt(section, model, act) {
  const figure = section.querySelector('#chart-figure');
  if (figure) chartAtWidth(figure, model, act);
}

// The table of what the preset widths, the least exact one and p give at the point; act.choose(w)
// draws the width w.
function widthsTable({ point, width }, act) {
  const names = PRESETS;
  const value = v => h('span', {}, integer(v), v === point.f ? h('span', { class: 'tag' }, ' = f') : null);
  const shown = width.table.map(({ p: w, values }) => {
    const format = names.has(w) ? `${names.get(w)}’s significand` : w === point.exactFrom ? 'least exact' : null;
    const pressed = { type: 'button', class: 'width', 'aria-pressed': String(w === width.p) };
    const button = h('button', { ...pressed, onclick: () => act.choose(w) }, String(w));
    const named = [button, format && h('span', { class: 'format' }, ' ', format)];
    return [named, ...values.map(value)];
  });
  const title = ['The results at other widths', h('span', { class: 'hint' }, ' (choose one to see its steps)')];
  return scrolling('widths-title', title, ['p, bits', ...rows('order', 'value').map(row => row.words)], shown);
}

// The sentence on the least width from which the term-by-term order gives f exactly.
function exactWidthText({ exactFrom, belowExact }) {
  if (exactFrom === null) return `No width up to ${WIDEST} bits makes the term-by-term order give f exactly.`;
  const text = `The term-by-term order gives f exactly from ${exactFrom} bits on, at every width up to ${WIDEST}`;
  return [text, exactFrom > NARROWEST ? [`; at ${exactFrom - 1} bits it is off by `, integer(belowExact)] : null, '.'];
}

// p-bit arithmetic at the point: the verdicts on the orders, plain and fused, the operands p cannot
// hold, the least exact width, the other widths, and each order's account and shares.
function widthSection(model, act) {
  const { point, width } = model;
  const { p, exponent, at } = width;
  const judged = row => verdictCard(rowTitle(row), row.about, at[row.key].verdict, { exponent });
  const cards = rows('order', 'value').map(judged);
  const operands = width.operands.map(({ name, value }, i) => [i ? '; ' : '', `${name} enters as `, integer(value)]);
  const held = operands.length ? para(`${p} bits cannot hold every operand: `, operands, '.') : null;
  const routines = h('a', { href: '#routines' }, 'the program’s routines above');
  const there = para('At 53 bits each order’s steps are binary64’s: those of ', routines, '.');
  const accounts = rows('order').map((row, i) => {
    const [id, name] = [`width-${i}`, `${titled(row.words)} at ${p} bits`];
    const shares = sharesTable(`${id}-shares`, `${name}: what made each term’s error`, at[row.key].shares, exponent);
    return [accountTable(id, `${name}, step by step`, at[row.key].account, exponent), shares];
  });
  const binary64 = p === BINARY64 && point.routines.parts.every(part => !prints(part.row) || part.account);
  const heading = h('h2', { id: 'width-heading', tabindex: -1 }, `At ${widthName(p)}`);
  const steps = binary64 ? there : accounts;
  const asked = asking(model, 'width');
  return [heading, cardsOf(cards), held, para(exactWidthText(point)), widthsTable(model, act), asked, steps];
}

// What the interval concludes at p, and beside it whether that is so.
export function intervalWords({ low, holdsZero, holdsF, decides }) {
  const truth = holdsF ? 'it holds f, as it must' : 'it does not hold f: a fault';
  if (decides && holdsZero) return ['it is [0, 0]: it proves f = 0', truth];
  const decided = `it decides the sign: f is ${low > 0n ? 'positive' : 'negative'}`;
  return [decides ? decided : 'it holds 0: the sign is undecided', truth];
}

// What the running bound concludes at p, and beside it whether that is so.
export function boundWords({ value, proves, holds }, f) {
  let said = 'not even the sign can be trusted';
  if (proves)
    said = value === 0n ? 'it proves f = 0' : `it proves the sign: f is ${value > 0n ? 'positive' : 'negative'}`;
  const right = value !== 0n && f !== 0n && value < 0n === f < 0n ? 'right' : 'not right';
  const within = holds ? 'f is within the bound, as it must be' : 'f is outside the bound: a fault';
  return [said, [within, proves ? '' : `; its sign is in fact ${right}`]];
}

// What random rounding concludes at p, and beside it whether that is so: a claim is false where it
// claims at least one digit more than the mean has right (C ≥ D + 1).
export function randomWords({ digits, correctDigits, falseClaim, n, falseClaims, identicalClaims }, p) {
  const right = correctDigits < 0.05 ? 'none is right' : `${digitCount(correctDigits)} are right`;
  let said = digits < 1 ? 'it claims no significant digit' : `it claims ${digitCount(digits)} digits, and ${right}`;
  if (falseClaim) said = `it claims ${digitCount(digits)} digits; ${right}`;
  let truth =
    correctDigits < 1 ? 'the mean has no digit right' : `the mean has ${digitCount(correctDigits)} digits right`;
  if (digits >= 1) truth = falseClaim ? 'a false claim, C ≥ D + 1' : 'the claim holds, C < D + 1';
  const why = falseClaims
    ? `, ${identicalClaims} of them as their runs came out identical (σ = 0 claims every digit)`
    : '';
  const claims = `${falseClaims} of seeds 1 to ${SEEDS} claim a digit more than are right${why}`;
  return [said, [truth, `; at ${p} bits with N = ${n} runs, `, claims]];
}

// The detectors' words by kind: what each concludes, and whether that is so.
const DETECTORS = {
  interval: at => intervalWords(at),
  running: (at, f) => boundWords(at, f),
  random: (at, f, p) => randomWords(at, p),
};

// Whether a detector's conclusion is so, marked apart from its colour, which is the grade it gives.
export const rightMark = right => h('strong', { class: 'so' }, right ? '✓ so: ' : '✗ not so: ');

// What each detector concludes at p (a widthModel) and whether that is so: { row, tone, said, truth },
// its tone the grade it gives the result, whether or not that is right (which truth says, marked).
export function detectorVerdicts({ at, p }, f) {
  return rows(...Object.keys(DETECTORS)).map(row => {
    const [said, truth] = DETECTORS[row.kind](at[row.key], f, p);
    return { row, tone: at[row.key].says, said, truth: [rightMark(at[row.key].right), truth] };
  });
}

// The numbers each kind of detector concludes from, as the section lists them: the interval's ends,
// the running bound's value, bound and the error in fact, random rounding's runs and its C and D.
const EVIDENCE = {
  interval: ({ low, high }) => [
    ['lower end', integer(low)],
    ['upper end', integer(high)],
  ],
  running: ({ value, bound }, f) => [
    ['computed', integer(value)],
    ['bound on its error', integer(bound)],
    ['its error in fact', integer(abs(value - f))],
  ],
  random: ({ n, runs, digits, correctDigits }, f, p) => [
    ...runs.map((run, i) => [`run ${i + 1} of ${n}`, integer(run)]),
    [['digits claimed, ', glossed('C', 'C'), ', τ from ', glossed('student-t', 'Student’s t')], digitCount(digits)],
    [['digits right, ', glossed('D', 'D')], `${digitCount(correctDigits)} of ${digitCount(digitsOf(p))}`],
  ],
};

// The detectors at p: each with what it concludes and whether that is so, and the numbers it
// concludes from.
function detectSection({ point, width }) {
  const shown = detectorVerdicts(width, point.f).map(({ row, tone, said, truth }) => {
    const facts = EVIDENCE[row.kind](width.at[row.key], point.f, width.p);
    return card(tone, rowTitle(row), [said, h('p', { class: 'truth' }, truth)], row.about, facts);
  });
  return [asking({ width }, 'detect'), cardsOf(shown)];
}

// The orders of summation at p as a card: what they give together, their least widths and why; its
// tone the verdict on the one nearest f.
function ordersCard(row, { point, width }, why) {
  const at = width.at[row.key];
  const counted = [
    ['orders', String(at.count)],
    ['different results', String(at.distinct)],
  ];
  counted.push(['with f’s sign', String(at.rightSign)], ['0', String(at.zero)], ['f itself', String(at.exact)]);
  counted.push(
    ['the least', integer(at.least)],
    ['the largest', integer(at.most)],
    ['the nearest f', integer(at.nearest.value)],
  );
  const lines = [KINDS[row.kind].readout(at), ['the nearest f: ', summary(at.nearest.verdict)]];
  const marks = para(titled(signAndExact(point.marks[row.key])), ' (all of them).');
  return card(at.nearest.verdict.tone, titled(row.words), lines, row.about, counted, [marks, why]);
}

// What fixes the evaluation: what Horner's scheme and the orders of summation give at p, then each
// remedy's result at p, each with its least widths and why.
function fixSection(model) {
  const { point, width } = model;
  const cards = cardsOf(
    rows('scheme', 'orders', 'remedy').map(row => {
      if (row.kind === 'orders') return ordersCard(row, model, para(KINDS[row.kind].why(row, model)));
      const [mark, why, { verdict, proves }] = [
        point.marks[row.key],
        para(KINDS[row.kind].why(row, model)),
        width.at[row.key],
      ];
      if (!mark) return card('none', rowTitle(row), ['does not apply here'], null, [], why);
      const marks = para(titled(signAndExact(mark)), '.');
      return verdictCard(rowTitle(row), null, verdict, { exponent: width.exponent, proves, more: [marks, why] });
    }),
  );
  return [asking(model, 'fix'), cards];
}

// The sections, in the order the page shows them: each element's id and how what follows its fixed
// heading is drawn, from the point alone (drawn once a point), from the chart's series and size too,
// or from the width too; where given, at(section, model, act) moves it to another width in place.
export const SECTIONS = [
  { id: 'point', draw: pointSection, of: 'point' },
  { id: 'why', draw: whySection, of: 'width' },
  { id: 'routines', draw: routinesSection, of: 'point' },
  { id: 'chart', draw: chartSection, of: 'chart', at: chartSectionAt },
  { id: 'width', draw: widthSection, of: 'width' },
  { id: 'detect', draw: detectSection, of: 'width' },
  { id: 'fix', draw: fixSection, of: 'width' },
];
