// The chart of error against width, drawn as SVG from the point's model (model.mjs's chart): each
// series' log₁₀ of a fraction of |f| at each sampled width, the thresholds marked and said in words
// beside it, the chosen width marked; a click on it chooses the width under the pointer.
import { WIDEST } from './arithmetic.mjs';
import { h } from './views.mjs';

const SVG = 'http://www.w3.org/2000/svg';
// The height of the plot in the drawing's units; the margins around it follow the text's size.
const PLOT_HEIGHT = 324;

// The series, as the chart draws and names them, in the order of the legend.
const SERIES = [
  ['term_by_term', 'term by term'],
  ['powers_reused', 'powers reused'],
  ['term_by_term_fused', 'term by term, fused'],
  ['powers_reused_fused', 'powers reused, fused'],
  ['interval', 'the interval’s width'],
  ['bound', 'the bound γₙ·κ'],
];

// The thresholds, as the words beside the chart say them.
const THRESHOLDS = [
  ['interval_sign', 'the interval decides the sign'],
  ['bound_below_1', 'the bound γₙ·κ falls below 1'],
  ['term_by_term_fused', 'term by term, fused, is exact'],
  ['powers_reused_fused', 'powers reused, fused, is exact'],
  ['term_by_term', 'term by term is exact'],
  ['powers_reused', 'powers reused is exact'],
];

// The drawing's geometry, `width` units across, for text of `text` units: room on the left for 10⁻⁴⁵,
// above the plot for three rows of threshold labels, below it for the widths and the axis's name,
// and a band at the foot of the plot for the results that are exact (an error of 0).
function layout({ text, width }) {
  const [left, top, bottom, band] = [4.6 * text, 3.6 * text + 8, 3 * text, 1.7 * text];
  return { text, width, left, right: 16, top, bottom, band, height: PLOT_HEIGHT + top + bottom + band, row: text + 2 };
}

// An SVG element with attributes and children.
function s(tag, attributes, ...children) {
  const made = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) made.setAttribute(name, value);
  made.append(...children.flat());
  return made;
}

// The decades the y axis spans, from the series' values: [lowest, highest], whole numbers.
function decades(series) {
  const values = Object.values(series)
    .flat()
    .filter(v => v !== null);
  return [Math.floor(Math.min(...values, 0)), Math.ceil(Math.max(...values, 0))];
}

// The scales of the drawing `at` (a layout): x from a width, y from a log₁₀ value (null: the exact
// band), and the width at an x.
function scales(at, widths, [low, high]) {
  const [first, last] = [widths[0], widths.at(-1)];
  const plot = at.height - at.top - at.bottom - at.band;
  const across = at.width - at.left - at.right;
  return {
    x: p => at.left + ((p - first) / Math.max(last - first, 1)) * across,
    y: v => (v === null ? at.height - at.bottom - at.band / 2 : at.top + ((high - v) / Math.max(high - low, 1)) * plot),
    width: x => Math.round(first + ((x - at.left) / across) * (last - first)),
  };
}

// A text of the drawing's numbers, which a projector shows large: x, y and the anchor.
function number(x, y, anchor, ...content) {
  return s('text', { class: 'tick big', x, y, 'text-anchor': anchor }, ...content);
}

// The axes: a line and a label each few decades (10ⁿ) and each few widths, the band of exact
// results, and the line of 100 % of |f|.
function axes(at, widths, [low, high], scale) {
  const step = Math.max(1, Math.ceil((high - low) / Math.min(8, Math.floor(PLOT_HEIGHT / (2.4 * at.text)))));
  const lines = [];
  const right = at.width - at.right;
  for (let d = high; d >= low; d -= step) {
    const y = scale.y(d);
    lines.push(
      s('line', { class: d === 0 ? 'axis one' : 'grid', x1: at.left, x2: right, y1: y, y2: y }),
      number(
        at.left - 6,
        y + at.text / 3,
        'end',
        '10',
        s('tspan', { class: 'exponent', dy: '-0.45em' }, String(d).replace('-', '−')),
      ),
    );
  }
  const span = widths.at(-1) - widths[0];
  const every = [1, 2, 5, 10, 20, 25, 50, 100, 200].find(w => span / w <= 8) ?? 250;
  const bottom = at.height - at.bottom;
  for (let p = Math.ceil(widths[0] / every) * every; p <= widths.at(-1); p += every) {
    lines.push(number(scale.x(p), bottom + at.text * 1.2, 'middle', String(p)));
  }
  return [
    ...lines,
    s('text', { class: 'tick', x: at.left - 6, y: scale.y(null) + at.text / 3, 'text-anchor': 'end' }, 'exact'),
    s('line', { class: 'axis', x1: at.left, x2: right, y1: bottom, y2: bottom }),
    s('line', { class: 'axis', x1: at.left, x2: at.left, y1: at.top, y2: bottom }),
    s('text', { class: 'label', x: (at.left + right) / 2, y: at.height - 6, 'text-anchor': 'middle' }, 'p, bits'),
    s(
      'text',
      { class: 'label', x: -(at.top + bottom) / 2, y: at.text, transform: 'rotate(-90)', 'text-anchor': 'middle' },
      'error, a fraction of |f|',
    ),
  ];
}

// One series as a line through its values; the bound, which has no value at the narrowest widths,
// starts where it has one.
function line(name, widths, values, scale) {
  const points = widths.flatMap((p, i) =>
    name === 'bound' && values[i] === null ? [] : [`${scale.x(p).toFixed(1)},${scale.y(values[i]).toFixed(1)}`],
  );
  return s('polyline', { class: `series ${name}`, points: points.join(' ') });
}

// The thresholds' marks: one for each width that some threshold falls at, a line down the plot and
// its label above it, in the lowest of three rows that no label near it already takes.
function thresholdMarks(at, thresholds, scale) {
  const placed = [];
  const widths = [...new Set(THRESHOLDS.map(([key]) => thresholds[key]).filter(w => w !== null))];
  return widths.map(w => {
    const x = scale.x(w);
    const row = [0, 1, 2].find(r => !placed.some(other => other.row === r && Math.abs(other.x - x) < 3 * at.text)) ?? 0;
    placed.push({ x, row });
    const y = at.top - 6 - at.row * row;
    return s(
      'g',
      { class: 'threshold' },
      s('line', { x1: x, x2: x, y1: y - at.text + 2, y2: at.height - at.bottom }),
      number(x + 3, y, 'start', String(w)),
    );
  });
}

// The chosen width's mark, its label inside the plot, at its top.
function chosenMark(at, p, scale) {
  const x = scale.x(p);
  return s(
    'g',
    { class: 'chosen' },
    s('line', { x1: x, x2: x, y1: at.top, y2: at.height - at.bottom }),
    number(x + 4, at.top + at.text, 'start', `p = ${p}`),
  );
}

// The words beside the chart: each threshold, a button that chooses its width (choose(p)).
function thresholdList(thresholds, choose) {
  return h(
    'ul',
    { class: 'thresholds' },
    THRESHOLDS.map(([key, words]) =>
      h(
        'li',
        {},
        h('span', { class: `swatch ${key}`, 'aria-hidden': 'true' }),
        `${words}: `,
        thresholds[key] === null
          ? `at no width up to ${WIDEST} bits`
          : [
              'from ',
              h(
                'button',
                { type: 'button', class: 'width big', onclick: () => choose(thresholds[key]) },
                `${thresholds[key]} bits`,
              ),
              ' on',
            ],
      ),
    ),
  );
}

// The chart's text alternative: what it shows and where the thresholds fall.
function description(chart, thresholds) {
  const said = THRESHOLDS.map(([key, words]) =>
    thresholds[key] === null ? `${words} at no width up to ${WIDEST}` : `${words} from ${thresholds[key]} bits`,
  );
  return (
    `Relative error against the significand width p, from ${chart.widths[0]} to ${chart.widths.at(-1)} bits, ` +
    `on a logarithmic scale: ${SERIES.map(([, words]) => words).join(', ')}. ${said.join('; ')}.`
  );
}

// The chart at the point (its model's chart and thresholds) with p marked, its legend, its text
// alternative and its thresholds in words; choose(p) draws the width p. size is its text's size and
// its width, in its own units: larger text and a wider drawing on a projector's screen.
export function chartFigure(chart, thresholds, p, choose, size = { text: 13, width: 800 }) {
  const at = layout(size);
  const range = decades(chart.series);
  const scale = scales(at, chart.widths, range);
  const svg = s(
    'svg',
    {
      viewBox: `0 0 ${at.width} ${at.height}`,
      role: 'img',
      'aria-labelledby': 'chart-title chart-description',
      class: 'chart',
      'font-size': at.text,
    },
    s('title', { id: 'chart-title' }, 'Error against width'),
    s('desc', { id: 'chart-description' }, description(chart, thresholds)),
    axes(at, chart.widths, range, scale),
    SERIES.map(([key]) => line(key, chart.widths, chart.series[key], scale)),
    thresholdMarks(at, thresholds, scale),
    p >= chart.widths[0] && p <= chart.widths.at(-1) ? chosenMark(at, p, scale) : [],
  );
  svg.addEventListener('click', event => {
    const box = svg.getBoundingClientRect();
    const under = scale.width(((event.clientX - box.left) / box.width) * at.width);
    choose(Math.min(Math.max(under, chart.widths[0]), chart.widths.at(-1)));
  });
  const legend = h(
    'ul',
    { class: 'legend', 'aria-hidden': 'true' },
    SERIES.map(([key, words]) => h('li', {}, h('span', { class: `swatch ${key}` }), words)),
  );
  return h('figure', { class: 'chart' }, svg, h('figcaption', {}, legend, thresholdList(thresholds, choose)));
}
