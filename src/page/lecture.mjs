// The lecture view: the page's story in five steps, each one screen of a projector, drawn from the
// same models as the page: (1) the program's four results and their verdicts, (2) the operations
// that made the error, (3) why, (4) the error against width, (5) fused and interval at p.
import { TERM_NAMES, abs } from './arithmetic.mjs';
import { chartFigure } from './chart.mjs';
import { PRESETS } from './model.mjs';
import { widthName } from './sections.mjs';
import { compact, inSteps, minus, scientific } from './text.mjs';
import { h, ordinal } from './views.mjs';

export const LECTURE_STEPS = 5;

// A number's text (text.mjs's form, d.dddddd·10ⁿ) with its exponent as a superscript element, which
// a projector shows at a size of its own rather than as a small superscript digit.
function large(text) {
  const match = /^(.*·10)([⁻⁰¹²³⁴⁵⁶⁷⁸⁹]+)$/.exec(text);
  if (!match) return h('span', { class: 'big' }, text);
  const digits = [...match[2]].map(c => '-0123456789'['⁻⁰¹²³⁴⁵⁶⁷⁸⁹'.indexOf(c)]).join('');
  return h('span', { class: 'big' }, match[1], h('sup', { class: 'exponent' }, minus(digits)));
}

// Step 1: the program's four lines (runModel) and what each is worth against f; Single's also
// against g, the polynomial it evaluates, whose digits it has.
function fourResults(run, printed) {
  return [
    h('h2', {}, 'The program’s four results'),
    h(
      'ul',
      { class: 'lecture-results' },
      run.lines.map(({ routine, verdict, againstF }, i) => {
        const [label, value] = (printed[i] ?? '(no line): ').split(': ');
        const judged = againstF ?? verdict;
        return h(
          'li',
          { class: `lecture-line ${againstF ? 'neutral' : verdict.good ? 'good' : 'bad'}` },
          h('span', { class: 'label' }, label.replace('Ergebnis ', '')),
          h('code', { class: 'big' }, value),
          h('span', { class: 'verdict' }, `${judged.summary}${againstF ? ' of f' : ''}`),
          h('span', { class: 'what' }, 'relative error ', relative(judged.relative)),
          routine.subtractT2 ? h('span', { class: 'what' }, `its digits are g’s: ${verdict.summary} of g`) : null,
        );
      }),
    ),
    h('p', {}, 'The exact value is f = ', large(compact(run.lines[1].verdict.exact)), ': no line is near it.'),
  ];
}

// A relative error num/den in large type: 1.62·10²⁸ times |f|.
function relative(fraction) {
  if (fraction === null) return 'none: f = 0';
  const [num, den] = fraction;
  if (num === den) return '1, all of |f|';
  return [large(scientific(num, den)), num < den ? ' of |f|' : ' times |f|'];
}

// Step 2: each term's error, its largest share and each sum's own rounding, the largest marked.
function madeBy(width) {
  const acc = width.accounts.termByTerm;
  const terms = width.shares.termByTerm;
  const steps = error => (width.exponent === null ? '—' : inSteps(error, width.exponent));
  const effects = acc.rows.filter(row => row.effect !== null).map(row => abs(row.effect));
  const largest = effects.reduce((a, b) => (b > a ? b : a), 0n);
  let term = 0;
  const rows = acc.rows.map(row => {
    const split = row.role === 'term' ? terms[term++] : null;
    const share = split?.roundings.find(r => r.share === split.largest);
    const marked = row.effect !== null && abs(row.effect) === largest && largest !== 0n;
    return h(
      'tr',
      { class: marked ? 'largest' : null },
      h('th', { scope: 'row' }, row.name),
      h('td', {}, large(steps(row.effect ?? 0n))),
      h(
        'td',
        {},
        row.role === 'sum'
          ? 'its own rounding'
          : share
            ? `largest share: the ${ordinal(share.step)} multiplication, × ${share.operand}`
            : 'no rounding',
        marked ? h('strong', {}, ' ← the largest') : null,
      ),
    );
  });
  return [
    h('h2', {}, `What made the error, term by term at ${widthName(width.p)}`),
    h(
      'table',
      { class: 'lecture-table' },
      h('thead', {}, h('tr', {}, h('th', {}, 'step'), h('th', {}, 'effect, in steps'), h('th', {}, 'made by'))),
      h('tbody', {}, rows),
    ),
    h('p', {}, `All together: ${steps(acc.total)} steps, the result less the exact value.`),
  ];
}

// Step 3: the terms against |f|, κ and the bound at p, and the width from which it falls below 1.
function whyStep(point, width) {
  const { terms, f, magnitudes, thresholds } = point;
  const head = h(
    'tr',
    {},
    ['term', 'value', 'against |f|'].map(text => h('th', {}, text)),
  );
  const rows = terms.map((t, i) =>
    h(
      'tr',
      {},
      h('th', { scope: 'row' }, TERM_NAMES[i]),
      h('td', {}, large(compact(abs(t)))),
      h('td', {}, f === 0n ? '' : [large(scientific(abs(t), abs(f))), ' × |f|']),
    ),
  );
  const facts =
    f === 0n
      ? [h('p', {}, 'f = 0 here: nothing to measure the terms against.')]
      : [
          h(
            'p',
            { class: 'lecture-facts' },
            '|f| = ',
            large(compact(abs(f))),
            '; κ = Σ|terms| / |f| = ',
            large(scientific(magnitudes, abs(f))),
          ),
          width.bound === null
            ? null
            : h(
                'p',
                { class: 'lecture-facts' },
                `bound γₙ·κ at ${width.p} bits = `,
                large(scientific(...width.bound.of)),
                width.bound.of[0] >= width.bound.of[1] ? ': no digit can be trusted' : ': below 1, digits can be',
              ),
          h(
            'p',
            { class: 'lecture-facts' },
            thresholds.bound_below_1 === null
              ? 'The bound stays above 1 at every width up to 1024 bits.'
              : `The bound falls below 1 from ${thresholds.bound_below_1} bits on.`,
          ),
        ];
  return [
    h('h2', {}, 'Why: the terms against |f|'),
    h('table', { class: 'lecture-table' }, h('thead', {}, head), h('tbody', {}, rows)),
    facts,
  ];
}

// The preset widths as buttons that choose them.
function presetChoices(choose, p) {
  return h(
    'div',
    { class: 'presets', role: 'group', 'aria-label': 'Significand widths' },
    PRESETS.map(([w]) =>
      h('button', { type: 'button', 'aria-pressed': String(w === p), onclick: () => choose(w) }, widthName(w)),
    ),
  );
}

// The thresholds as the lecture names them, shortly, each with the width it falls at.
const MILESTONES = [
  ['interval_sign', 'sign decided'],
  ['bound_below_1', 'bound below 1'],
  ['term_by_term_fused', 'fused exact'],
  ['term_by_term', 'exact'],
];

// Step 4: the chart with its thresholds in large type, each a button that chooses its width, and
// the presets.
function chartStep(point, width, choose) {
  if (point.chart === null) return [h('h2', {}, 'The error against the width'), h('p', {}, 'f = 0 here.')];
  return [
    h('h2', {}, 'The error against the width'),
    chartFigure(point.chart, point.thresholds, width.p, choose, { text: 34, width: 1500 }),
    h(
      'p',
      { class: 'milestones' },
      MILESTONES.filter(([key]) => point.thresholds[key] !== null).map(([key, words]) =>
        h(
          'span',
          {},
          `${words}: `,
          h(
            'button',
            { type: 'button', class: 'big', onclick: () => choose(point.thresholds[key]) },
            String(point.thresholds[key]),
          ),
        ),
      ),
    ),
    presetChoices(choose, width.p),
  ];
}

// The sentence on the width from which a threshold's property holds, or that none up to WIDEST does.
function from(width, words) {
  return width === null ? `${words} at no width up to 1024 bits` : `${words} from ${width} bits on`;
}

// Step 5: fused and interval at p, what each decides, and from which widths.
function decidesStep(point, width, choose) {
  const [tbt, reuse] = width.verdicts.fused;
  const facts = width.intervalFacts;
  const interval = facts.decides
    ? facts.holdsZero
      ? 'is [0, 0]: it proves f = 0'
      : `decides the sign: f is ${facts.low > 0n ? 'positive' : 'negative'}`
    : 'holds 0: the sign is undecided';
  return [
    h('h2', {}, `Fused and interval at ${widthName(width.p)}`),
    h(
      'ul',
      { class: 'lecture-results' },
      h(
        'li',
        { class: `lecture-line ${tbt.good ? 'good' : 'bad'}` },
        h('span', { class: 'label' }, 'fused, term by term'),
        large(compact(tbt.result)),
        h('span', { class: 'verdict' }, tbt.summary),
      ),
      h(
        'li',
        { class: `lecture-line ${reuse.good ? 'good' : 'bad'}` },
        h('span', { class: 'label' }, 'fused, powers reused'),
        large(compact(reuse.result)),
        h('span', { class: 'verdict' }, reuse.summary),
      ),
      h(
        'li',
        { class: `lecture-line ${facts.decides ? 'good' : 'bad'}` },
        h('span', { class: 'label' }, 'interval'),
        h('span', {}, '[', large(compact(facts.low)), ', ', large(compact(facts.high)), ']'),
        h('span', { class: 'verdict' }, interval),
      ),
    ),
    h(
      'p',
      { class: 'lecture-facts' },
      `${from(point.thresholds.term_by_term_fused, 'Fused term by term is exact')}; `,
      `${from(point.thresholds.interval_sign, 'the interval decides the sign')}: `,
      'it never claims a digit it does not have.',
    ),
    presetChoices(choose, width.p),
  ];
}

// The lecture's step `step` (1 to LECTURE_STEPS) from the models, with its navigation: move(k)
// goes to step k, leave() back to the page, choose(p) draws the width p.
export function lectureStep(step, models, { move, leave, choose }) {
  const { run, printed, point, width } = models;
  const slides = [
    () => fourResults(run, printed),
    () => madeBy(width),
    () => whyStep(point, width),
    () => chartStep(point, width, choose),
    () => decidesStep(point, width, choose),
  ];
  const nav = h(
    'nav',
    { class: 'lecture-nav', 'aria-label': 'Lecture steps' },
    h('button', { type: 'button', onclick: () => move(step - 1), disabled: step === 1 }, '← back'),
    h('span', {}, `${step} of ${LECTURE_STEPS}`),
    h('button', { type: 'button', onclick: () => move(step + 1), disabled: step === LECTURE_STEPS }, 'next →'),
    h('button', { type: 'button', onclick: leave }, 'leave (Esc)'),
  );
  return [h('div', { class: 'slide' }, slides[step - 1]()), nav];
}
