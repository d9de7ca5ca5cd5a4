// The lecture view: the page's story one projector screen at a time, drawn from the same models and
// in the same words as the page, its numbers large: the four results; why, and what a step is; what
// made the error; the error against the width; fused and interval; how a program could know, and
// what fixes it.
import { abs } from './arithmetic.mjs';
import { rows } from './evaluations.mjs';
import { chartFigure } from './chart.mjs';
import { boundWords, intervalWords, lineWords, randomWords, widthName } from './sections.mjs';
import { compact, inSteps, scientific } from './text.mjs';
import { drawnLarge, h, ordinal, spacingText, stepName, summary } from './views.mjs';
import { PRESETS } from './model.mjs';

// One line of a lecture list: a label, a large value, the verdict's words, and more words below.
const line = (tone, label, value, said, more = null) =>
  h(
    'li',
    { class: `lecture-line ${tone}` },
    h('span', { class: 'label' }, label),
    value === null ? null : h('span', { class: 'value' }, value),
    h('span', { class: 'verdict' }, said),
    more && h('span', { class: 'what' }, more),
  );

// Step 1: the program's four lines and what each is worth against f (Single's also against g).
function fourResults({ run }) {
  const { lines, printed, f } = run;
  return [
    h('h2', {}, 'The program’s four results'),
    h(
      'ul',
      { class: 'lecture-results' },
      lines.map(({ label, row, verdict, againstF }, i) => {
        const judged = againstF ?? verdict;
        const what = [lineWords(label, row), row.t2 ? ['; against g: ', summary(verdict, 'g')] : null];
        return line(
          `${againstF ? 'neutral' : verdict.tone} printed`,
          h('code', { class: 'big' }, printed[i] ?? `(no ${label} line)`),
          null,
          summary(judged),
          what,
        );
      }),
    ),
    h('p', {}, 'The exact value is f = ', compact(f), ': no line is near it.'),
  ];
}

// Step 2: the terms against |f|, κ, the bound at p, and what a step is, before anything is counted in steps.
function whyStep({ point, width }) {
  const { terms, f, magnitudes } = point;
  const labels = rows('order')[0].order.terms.map(term => term.label);
  const head = h(
    'tr',
    {},
    ['term', 'value', 'against |f|'].map(t => h('th', {}, t)),
  );
  const body = terms.map((t, i) =>
    h(
      'tr',
      {},
      h('th', { scope: 'row' }, labels[i]),
      h('td', {}, compact(abs(t))),
      h('td', {}, f === 0n ? '' : [scientific(abs(t), abs(f)), ' × |f|']),
    ),
  );
  const bound = width.bound;
  return [
    h('h2', {}, 'Why: the terms against |f|'),
    h('table', { class: 'lecture-table' }, h('thead', {}, head), h('tbody', {}, body)),
    f === 0n
      ? h('p', {}, 'f = 0 here: nothing to measure the terms against.')
      : h(
          'p',
          { class: 'lecture-facts' },
          'κ = Σ|terms| / |f| = ',
          scientific(magnitudes, abs(f)),
          bound
            ? [
                `; bound γₙ·κ at ${width.p} bits = `,
                scientific(...bound.of),
                bound.of[0] >= bound.of[1] ? ': no digit can be trusted' : ': below 1',
              ]
            : '',
        ),
    width.exponent === null
      ? null
      : h(
          'p',
          { class: 'lecture-facts' },
          `A step: near the largest term, ${width.p}-bit numbers are `,
          spacingText(width.exponent),
          ' apart. A sum there moves by whole steps; f is ',
          inSteps(f, width.exponent),
          ' steps.',
        ),
  ];
}

// Step 3: each term's and sum's effect on the result in steps, the largest marked, and why the
// power-reuse order gives what it gives.
function madeBy({ width }) {
  const [plain, reused] = rows('order').map(row => width.at[row.key]);
  const effects = plain.account.rows.filter(row => row.effect !== null);
  const largest = effects.reduce((a, row) => (abs(row.effect) > abs(a) ? row.effect : a), 0n);
  const shareOf = plain.shares.map(({ roundings }) =>
    roundings.reduce((a, b) => (abs(b.share) > abs(a.share) ? b : a), roundings[0]),
  );
  let term = 0;
  const body = effects.map(row => {
    const share = row.role === 'term' ? shareOf[term++] : null;
    const words =
      row.role === 'sum'
        ? 'its own rounding'
        : share
          ? `largest share: the ${ordinal(share.step)} multiplication, × ${share.operand}`
          : 'no rounding';
    return h(
      'tr',
      { class: row.effect === largest && largest !== 0n ? 'largest' : null },
      h('th', { scope: 'row' }, stepName(row)),
      h('td', {}, inSteps(row.effect, width.exponent)),
      h('td', {}, words),
    );
  });
  const last = reused.account.rows.at(-1);
  const zero =
    reused.value === 0n
      ? [
          'Extended2’s order gives exactly 0: before its last subtraction S equals ',
          last.operands[1],
          ' to the last bit, its errors cancelled.',
        ]
      : ['Extended2’s order: ', summary(reused.verdict), '.'];
  return [
    h('h2', {}, `What made the error, term by term at ${widthName(width.p)}`),
    h(
      'table',
      { class: 'lecture-table' },
      h(
        'thead',
        {},
        h(
          'tr',
          {},
          ['step', 'effect, in steps', 'made by'].map(t => h('th', {}, t)),
        ),
      ),
      h('tbody', {}, body),
    ),
    h(
      'p',
      { class: 'lecture-facts' },
      `All together: `,
      inSteps(plain.account.total, width.exponent),
      ' steps, the result less f. ',
      zero,
    ),
  ];
}

// The preset widths as buttons that choose them.
function presetChoices(p, act) {
  return h(
    'div',
    { class: 'presets', role: 'group', 'aria-label': 'Significand widths' },
    PRESETS.map(([w]) =>
      h('button', { type: 'button', 'aria-pressed': String(w === p), onclick: () => act.choose(w) }, widthName(w)),
    ),
  );
}

// The chart at a lecture's size, with the given rows shown and their least widths of the given kinds;
// its legend unless named is false.
function lectureChart(model, act, shown, kinds = null, named = true) {
  if (model.point.chart === null) return h('p', {}, 'f = 0 here: no error can be measured as a fraction of it.');
  return chartFigure({ ...model, state: { ...model.state, series: new Set(shown) } }, act, {
    size: model.state.lectureChart,
    kinds,
    lecture: true,
    named,
  });
}

// Step 4: the chart, every least width listed, and the presets.
function chartStep(model, act) {
  const shown = rows('order', 'value', 'interval', 'bound').map(row => row.key);
  return [
    h('h2', {}, 'The error against the width'),
    lectureChart(model, act, shown),
    presetChoices(model.width.p, act),
  ];
}

// Step 5: fused and interval at p, what each decides.
function decidesStep({ width }, act) {
  const fusedRows = rows('value');
  return [
    h('h2', {}, `Fused and interval at ${widthName(width.p)}`),
    h(
      'ul',
      { class: 'lecture-results' },
      fusedRows.map(row =>
        line(
          width.at[row.key].verdict.tone,
          row.words,
          compact(width.at[row.key].value),
          summary(width.at[row.key].verdict),
        ),
      ),
      line(
        width.at.interval.decides ? 'good' : 'lost',
        'interval',
        ['[', compact(width.at.interval.low), ', ', compact(width.at.interval.high), ']'],
        ...intervalWords(width.at.interval),
      ),
    ),
    presetChoices(width.p, act),
  ];
}

// Step 6: what the detectors conclude at p beside whether it is so, the remedies' least widths on the
// chart, and 1 − 2·x² on the chain.
function fixesStep(model, act) {
  const { point, width } = model;
  const { interval, running_bound: bounded, random_rounding: random } = width.at;
  const [rewrite] = rows('remedy').filter(row => row.applies);
  const remedies = rows('remedy').filter(row => point.marks[row.key]);
  const sign = row => [
    h('span', { class: `swatch ${row.kind}`, style: `--c: var(--${row.key})` }),
    `${row.short} ${point.marks[row.key].sign ?? 'none'}`,
  ];
  const signs = remedies.map((row, i) => [i ? ', ' : '', sign(row)]);
  const algebra =
    width.at[rewrite.key].value === null
      ? 'Off the chain (x² − 17·y² ≠ 1) 1 − 2·x² is not f.'
      : ['On the chain f = 1 − 2·x², at ', width.p, ' bits ', summary(width.at[rewrite.key].verdict), '.'];
  const detector = (tone, label, [said, truth]) => line(`${tone} detector`, label, null, said, truth);
  return [
    h('h2', {}, 'How would you know, and what fixes it'),
    h(
      'ul',
      { class: 'lecture-results' },
      detector(interval.decides ? 'good' : 'lost', 'interval', intervalWords(interval)),
      detector(bounded.proves ? 'good' : 'lost', 'running bound', boundWords(bounded, point.f)),
      detector(
        random.digits >= 1 && random.correctDigits < 1 ? 'bad' : 'good',
        'random rounding',
        randomWords(random, width.p),
      ),
    ),
    lectureChart(model, act, ['term_by_term', ...remedies.map(row => row.key)], ['exact'], false),
    h('p', { class: 'lecture-facts' }, 'The sign right from: ', signs, '. ', algebra),
  ];
}

// The lecture's steps, each one screen, and the page's section each belongs to (where Esc returns).
export const LECTURE = [
  { draw: fourResults, section: 'run-heading' },
  { draw: whyStep, section: 'why' },
  { draw: madeBy, section: 'width' },
  { draw: chartStep, section: 'chart' },
  { draw: decidesStep, section: 'width' },
  { draw: fixesStep, section: 'fix' },
];

// The lecture's step `step` (1 to LECTURE.length) from the models, with its navigation: act.step(k)
// goes to step k, act.leave() back to the page, act.choose(p) draws the width p.
export function lectureStep(step, model, act) {
  const nav = h(
    'nav',
    { class: 'lecture-nav', 'aria-label': 'Lecture steps' },
    h('button', { type: 'button', onclick: () => act.step(step - 1), disabled: step === 1 }, '← back'),
    h('span', {}, `${step} of ${LECTURE.length}`),
    h('button', { type: 'button', onclick: () => act.step(step + 1), disabled: step === LECTURE.length }, 'next →'),
    h('button', { type: 'button', onclick: act.leave }, 'leave (Esc)'),
  );
  return [
    h(
      'div',
      { class: 'slide' },
      drawnLarge(() => LECTURE[step - 1].draw(model, act)),
    ),
    nav,
  ];
}
