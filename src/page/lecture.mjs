// The lecture view: the page's story one projector screen at a time, drawn from the same models and
// in the same words as the page, its numbers large: the four results; why, and what a step is; what
// made the error; the error against the width; fused and interval; how a program could know; what
// fixes it.
import { abs } from './arithmetic.mjs';
import { PLAIN, rows } from './evaluations.mjs';
import { chartFigure, swatch } from './chart.mjs';
import { PRESETS } from './model.mjs';
import { detectorVerdicts, intervalWords, lineWords, rightMark, widthName } from './sections.mjs';
import { compact, digitCount, inSteps, scientific, spacingText } from './text.mjs';
import { drawnLarge, formula, h, ordinal, stepName } from './views.mjs';
import { NEEDS_F, chainWords, gammaName, summary } from './words.mjs';
import { ANSWERS, QUESTIONS } from './questions.mjs';

// One line of a lecture list: its tone (and kind), a label, a large value, the verdict's words, and
// more words below.
function line(tone, label, value, said, more = null) {
  const parts = [h('span', { class: 'label' }, label), value === null ? null : h('span', { class: 'value' }, value)];
  const words = [h('span', { class: 'verdict' }, said), more && h('span', { class: 'what' }, more)];
  return h('li', { class: `lecture-line ${tone}` }, parts, words);
}
const list = lines => h('ul', { class: 'lecture-results' }, lines);
const facts = (...children) => h('p', { class: 'lecture-facts' }, ...children);
const slide = (title, ...parts) => [h('h2', {}, title), ...parts];

// A table of the lecture's: its head's words and its rows, each a list of cells (the first the row's name).
function table(head, body) {
  const [th, td] = [cell => h('th', { scope: 'row' }, cell), cell => h('td', {}, cell)];
  const row = cells => h('tr', { class: cells.largest ? 'largest' : null }, th(cells[0]), cells.slice(1).map(td));
  const heads = head.map(words => h('th', {}, words));
  const names = h('thead', {}, h('tr', {}, heads));
  return h('table', { class: 'lecture-table' }, names, h('tbody', {}, body.map(row)));
}

// Step 1: the program's four lines and what each is worth against f (Single's also against g).
function fourResults({ run }) {
  const shown = run.lines.map(({ label, row, verdict, againstF }, i) => {
    const what = [
      lineWords(label, row),
      row.evaluates ? [`; against ${row.evaluates}: `, summary(verdict, row.evaluates)] : null,
    ];
    const printed = h('code', { class: 'big' }, run.printed[i] ?? `(no ${label} line)`);
    return line(`${againstF ? 'neutral' : verdict.tone} printed`, printed, null, summary(againstF ?? verdict), what);
  });
  const exact = h('p', {}, 'The exact value is f = ', compact(run.f), ': no line is near it.');
  return [list(shown), exact];
}

// Step 2: the terms against |f|, κ, the bound at p, and what a step is, before anything is counted in steps.
function whyStep({ point, width }) {
  const { terms, f, magnitudes } = point;
  const against = t => (f === 0n ? '' : [scientific(abs(t), abs(f)), ' × |f|']);
  const body = terms.map((t, i) => [
    point.termSteps[i].label,
    formula(point.termSteps[i]),
    compact(abs(t)),
    against(t),
  ]);
  const { bound, p, exponent } = width;
  const trusted = bound && (bound.of[0] >= bound.of[1] ? ': no digit can be trusted' : ': below 1');
  const gamma = bound && `${gammaName(bound.n)}·κ (n = ${chainWords(bound.chain)})`;
  const atP = bound ? [`; bound ${gamma} at ${p} bits = `, scientific(...bound.of), trusted] : '';
  const kappa = facts('κ = Σ|Tᵢ| / |f| = ', scientific(magnitudes, abs(f)), atP, '. ', NEEDS_F);
  const spaced = [`A step: near the largest term, ${p}-bit numbers are `, spacingText(exponent), ' apart. '];
  const step =
    exponent === null
      ? null
      : facts(spaced, 'A sum there moves by whole steps; f is ', inSteps(f, exponent), ' steps.');
  const zero = facts('f = 0 here: nothing to measure the terms against.');
  return [table(['term', 'in f', 'value', 'against |f|'], body), f === 0n ? zero : kappa, step];
}

// Step 3: each term's and sum's effect on the result in steps, the largest marked, what they come to
// (a result of 0 said as such: off by all of |f|), and why the power-reuse order gives what it gives.
function madeBy({ width }) {
  const [plain, reused] = rows('order').map(row => width.at[row.key]);
  const effects = plain.account.rows.filter(row => row.effect !== null);
  const largest = effects.reduce((a, row) => (abs(row.effect) > abs(a) ? row.effect : a), 0n);
  const biggest = (a, b) => (abs(b.share) > abs(a.share) ? b : a);
  const shares = plain.shares.map(({ roundings }) => roundings.reduce(biggest, roundings[0]));
  const madeOf = share =>
    share ? `largest share: the ${ordinal(share.step)} multiplication, × ${share.operand}` : 'no rounding';
  const body = effects.map(row => {
    const made = row.role === 'sum' ? 'its own rounding' : madeOf(shares.shift());
    const cells = [stepName(row), inSteps(row.effect, width.exponent), made];
    return Object.assign(cells, { largest: row.effect === largest && largest !== 0n });
  });
  const last = reused.account.rows.at(-1).ops[0].b;
  let reuse = ['Extended2’s order: ', summary(reused.verdict), '.'];
  if (reused.value === 0n)
    reuse = `Extended2’s order gives exactly 0: before its last subtraction S equals ${last} to the last bit.`;
  let total = ['All together: ', inSteps(plain.account.total, width.exponent), ' steps, the result less f. '];
  if (plain.value === 0n && plain.account.exact !== 0n) {
    const size = inSteps(abs(plain.account.exact), width.exponent, false);
    total = ['The result is 0: off by all of |f|, and |f| is ', size, ' steps. '];
  }
  return [table(['step', 'effect, in steps', 'made by'], body), facts(total, reuse)];
}

// The preset widths as buttons that choose them, each named by its width alone.
function presetChoices(p, act) {
  const pressed = w => ({ type: 'button', 'aria-pressed': String(w === p), onclick: () => act.choose(w) });
  const buttons = [...PRESETS].map(([w, format]) => h('button', { ...pressed(w), title: format }, `${w} bits`));
  return h('div', { class: 'presets', role: 'group', 'aria-label': 'Significand widths' }, buttons);
}

// The chart at a lecture's size (model.lectureChart), with the given rows shown, their least widths
// of the given kinds marked (by their widths alone where terse) and its legend.
function lectureChart(model, act, shown, kinds = null, terse = false) {
  if (model.point.chart === null) return h('p', {}, 'f = 0 here: no error can be measured as a fraction of it.');
  const state = { ...model.state, series: new Set(shown.map(row => row.key)) };
  return chartFigure({ ...model, state }, act, { size: model.lectureChart, kinds, lecture: true, terse });
}

// Step 4: the chart, every least width named at its line, and the presets: the orders, fused and not,
// and the band of every order of summation, against the interval and the bound.
function chartStep(model, act) {
  const shown = rows('order', 'value', 'scheme', 'orders', 'interval', 'bound');
  return [lectureChart(model, act, shown), presetChoices(model.width.p, act)];
}

// Step 5: fused and interval at p, what each decides.
function decidesStep({ width }, act) {
  const { at } = width;
  const judged = ({ value, verdict }) => [compact(value), summary(verdict)];
  const fused = rows('value').map(row => line(at[row.key].verdict.tone, row.words, ...judged(at[row.key])));
  const intervals = rows('interval').map(row => {
    const [said, truth] = intervalWords(at[row.key]);
    const { says, right } = at[row.key];
    return line(says, row.short, CONCLUDED.interval(at[row.key]), said, [rightMark(right), truth]);
  });
  return [list([...fused, ...intervals]), presetChoices(width.p, act)];
}

// What each kind of detector concludes from, as the lecture shows it: the interval's ends, the running
// bound's value and bound, the digits random rounding claims (C) and has right (D).
const CONCLUDED = {
  interval: ({ low, high }) => ['[', compact(low), ', ', compact(high), ']'],
  running: ({ value, bound }) => [compact(value), ' ± ', compact(bound)],
  random: ({ digits, correctDigits }) => `C = ${digitCount(digits)}, D = ${digitCount(correctDigits)}`,
};

// Step 6: what each detector concludes at p, from what, beside whether it is so.
function knowStep({ point, width }) {
  const lines = detectorVerdicts(width, point.f).map(({ row, tone, said, truth }) => {
    const from = h('span', { class: 'value' }, CONCLUDED[row.kind](width.at[row.key]));
    return line(`${tone} detector`, [row.short, ': ', from], null, said, truth);
  });
  return [list(lines)];
}

// A verdict's correct digits in a word or a number: exact, 15, or none (and why).
function digitsWord(v) {
  if (v.tone === 'exact') return 'exact';
  if (v.tone === 'good') return String(v.digits);
  return { wrong: 'none, sign wrong', lost: 'none, it is 0' }[v.sign] ?? 'none';
}

// A row's value at p as the fixes table shows it, and its verdict: the orders of summation's from the
// least to the largest, and the verdict on the one nearest f.
function fixValue(row, at) {
  if (row.kind !== 'orders') return [scientific(at.value, 1n, 2), at.verdict];
  return [[scientific(at.least, 1n, 2), ' to ', scientific(at.most, 1n, 2)], at.nearest.verdict];
}

// Step 7: what another order and each remedy give at p (the value, its correct digits, the least
// widths of its sign and of f): Horner's scheme and the orders of summation first, as orders that
// do not fix it.
function fixesStep({ point, width }) {
  const body = rows('scheme', 'orders', 'remedy').map(row => {
    const mark = point.marks[row.key];
    const name = [swatch(row), row.short];
    if (!mark) return [name, 'does not apply here', '', '', ''];
    const [value, verdict] = fixValue(row, width.at[row.key]);
    const judged = h('span', { class: `tone ${verdict.tone}` }, digitsWord(verdict));
    return [name, value, judged, String(mark.sign ?? 'none'), String(mark.exact ?? 'none')];
  });
  const head = ['evaluation', `at ${width.p} bits`, 'correct digits', 'sign from', 'exact from'];
  return [table(head, body)];
}

// Step 8: the errors of Horner's scheme and the remedies against the width, beside the plain order's,
// each least width of the sign and of f marked.
function fixesChart(model, act) {
  const shown = [PLAIN, ...rows('scheme', 'remedy').filter(row => model.point.marks[row.key])];
  return [lectureChart(model, act, shown, ['sign', 'exact'], true)];
}

// The lecture's steps, each one screen: its title at the width p, what it shows, and the page's section
// it belongs to (where Esc returns). A step that the questions name (questions.mjs) asks them first.
export const LECTURE = [
  { title: () => 'The program’s four results', draw: fourResults, section: 'run-heading' },
  { title: () => 'Why: the terms against |f|', draw: whyStep, section: 'why' },
  { title: p => `What made the error, term by term at ${widthName(p)}`, draw: madeBy, section: 'width' },
  { title: () => 'The error against the width', draw: chartStep, section: 'chart' },
  { title: p => `Fused and interval at ${widthName(p)}`, draw: decidesStep, section: 'width' },
  { title: p => `How would you know? At ${widthName(p)}`, draw: knowStep, section: 'detect' },
  { title: p => `What fixes it, at ${p} bits`, draw: fixesStep, section: 'fix' },
  { title: () => 'What fixes it, against the width', draw: fixesChart, section: 'fix' },
];

// The questions the lecture's step `step` asks (a width model's), before it shows what answers them,
// and whether it asks any.
const askedAt = (width, step) => width.questions.filter(question => question.where.step === step);
export const asksAt = step => QUESTIONS.some(question => question.where.step === step);

// A question as the lecture asks it, to the room: its words and what kind of answer it takes, or its
// choices; and the forward key's promise.
function question({ id, kind, words, choices }) {
  const options = ANSWERS[kind].input === 'set' ? choices.map(([, name]) => name).join(', ') : ANSWERS[kind].asks;
  return h(
    'div',
    { class: 'lecture-question', 'data-question': id },
    h('p', { class: 'asked' }, h('strong', {}, 'Predict: '), words),
    h('p', { class: 'options' }, options),
  );
}

// A question's answer, revealed below what the step shows: the answer, and why, in words that hold the
// numbers that decide it.
function answered({ id, kind, answer, choices, why }) {
  const said = h('strong', {}, 'Answer: ', ANSWERS[kind].said(answer, choices), '. ');
  return h('div', { class: 'lecture-answer', 'data-question': id }, h('p', {}, said, why));
}

// The lecture's navigation at step `step`: back, where it is, next (or, where the step asks, the
// answer), the glossary, and leave.
function navigation(step, asking, act) {
  const to = (k, words) =>
    h('button', { type: 'button', onclick: () => act.step(k), disabled: k < 1 || k > LECTURE.length }, words);
  const leave = h('button', { type: 'button', onclick: act.leave }, 'leave (Esc)');
  const glossary = h('button', { type: 'button', onclick: act.glossary }, 'glossary (g)');
  const next = asking ? h('button', { type: 'button', onclick: act.reveal }, 'answer →') : to(step + 1, 'next →');
  const where = [to(step - 1, '← back'), h('span', {}, `${step} of ${LECTURE.length}`), next, glossary, leave];
  return h('nav', { class: 'lecture-nav', 'aria-label': 'Lecture steps' }, where);
}

// The lecture's step `step` (1 to LECTURE.length) from the models, with its navigation: where it asks
// and the answer is not yet revealed, its title and its questions; else what it shows, and the
// answers below. act.step(k) goes to step k, act.reveal() reveals the answers, act.leave() goes back
// to the page, act.choose(p) draws the width p.
export function lectureStep(step, model, act, revealed) {
  const [{ title, draw }, asks] = [LECTURE[step - 1], askedAt(model.width, step)];
  const asking = asks.length > 0 && !revealed;
  const shown = drawnLarge(() =>
    asking
      ? asks.map(question)
      : [draw(model, act), asks.length ? h('div', { class: 'lecture-answers' }, asks.map(answered)) : null],
  );
  return [h('div', { class: 'slide' }, slide(title(model.width.p), shown)), navigation(step, asking, act)];
}

// The lecture's screen at step `step` for an address with fields it cannot take: each named, in the
// page's words, and the way out to the form.
export function lectureRefusal(step, problems, act) {
  const named = problems.map(problem => h('li', { class: 'lecture-line bad refused' }, problem.text));
  const said = slide(
    'This address cannot be shown',
    h('ul', { class: 'lecture-results', role: 'alert' }, named),
    facts('Leave (Esc) to correct it in the form.'),
  );
  return [h('div', { class: 'slide' }, said), navigation(step, false, act)];
}
