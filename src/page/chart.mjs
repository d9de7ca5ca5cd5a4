// The chart of error against width, drawn as SVG from the point's model: each shown row's log₁₀ of a
// fraction of |f| at each sampled width, one short stroke a sample (neighbouring widths are never
// joined), a line at 10⁰ (all of |f|: a result of 0) and a band for exact results, each least width
// named in words at its line in its row's colour, the chosen width marked and beside the chart a
// slider and a readout of what it gives. It is drawn at the size it is shown, so that its text is
// as large on a phone as beside it.
import { rows } from './evaluations.mjs';
import { fromWidth, h, summary } from './views.mjs';

const SVG = 'http://www.w3.org/2000/svg';

// The least widths a row marks, in words: [its mark's name in the model, what holds from there].
const MARKS = {
  order: [['exact', 'exact']],
  value: [['exact', 'exact']],
  remedy: [
    ['sign', 'sign right'],
    ['exact', 'exact'],
  ],
  interval: [['decides', 'decides the sign']],
  bound: [['below1', 'below 1']],
};

// How much of its width a sample's stroke spans, by arithmetic: fused results dashed, the interval dotted.
const SPAN = { fused: 0.5, outward: 0.25 };

// An SVG element with attributes and children.
function s(tag, attributes, ...children) {
  const made = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) made.setAttribute(name, value);
  made.append(...children.flat());
  return made;
}

// The colour of a row: its own custom property.
const colour = key => `--c: var(--${key})`;

// 10ⁿ as SVG text, its exponent raised.
const decade = (d, attributes) =>
  s('text', attributes, '10', s('tspan', { class: 'exponent', dy: '-0.45em' }, String(d).replace('-', '−')));

// The least widths of the shown rows (of the kinds named, where given), those at one width that say
// one thing grouped: each { rows, width, words }, by width.
function marksOf(shown, marks, kinds) {
  const groups = new Map();
  for (const row of shown) {
    for (const [name, words] of MARKS[row.kind] ?? []) {
      const width = marks[row.key][name];
      if (width === null || (kinds && !kinds.includes(name))) continue;
      const key = `${width} ${words}`;
      if (!groups.has(key)) groups.set(key, { rows: [], width, what: words });
      groups.get(key).rows.push(row);
    }
  }
  const label = group => `${group.rows.map(row => row.short).join(', ')} ${group.what}: ${group.width}`;
  return [...groups.values()]
    .map(group => ({ ...group, row: group.rows[0], words: label(group) }))
    .sort((a, b) => a.width - b.width);
}

// The drawing's geometry for text of `text` px, a drawing `width` px wide and a plot `plot` px high,
// with rows of mark labels (their text `marks` times the rest's) above the plot: the plot's box and the scales from a width and a log₁₀
// value (null: the band of exact results), and the width at an x.
function geometry({ text, width, plot, marks = 1 }, widths, [low, high], labelRows) {
  const [left, top, bottom, band] = [5 * text, (labelRows * marks + 0.6) * 1.25 * text, 3.1 * text, 1.6 * text];
  const across = width - left - text;
  const [first, last] = [widths[0], widths.at(-1)];
  return {
    text,
    marks,
    left,
    top,
    width,
    height: Math.ceil(plot + top + bottom + band), // whole pixels, which a layout keeps exactly
    bottom: top + plot + band,
    x: p => left + ((p - first) / Math.max(last - first, 1)) * across,
    y: v => (v === null ? top + plot + band / 2 : top + ((high - v) / Math.max(high - low, 1)) * plot),
    widthAt: x => Math.round(first + ((x - left) / across) * (last - first)),
    step: across / Math.max(last - first, 1),
  };
}

// The axes: a line every few decades (at most ten apart), labelled where there is room, the line at
// 10⁰ named all of |f|, the band of exact results, the widths below and the axes' names.
function axes(at, widths, [low, high]) {
  const fit = Math.max(1, Math.floor((at.y(low) - at.y(high)) / (1.4 * at.text)));
  const step = [1, 2, 5, 10].find(d => (high - low) / d <= fit) ?? 10;
  const labelled = step * Math.ceil((high - low) / step / fit); // a label on each line that has room for one
  const lines = [];
  for (let d = Math.floor(high / step) * step; d >= low; d -= step) {
    if (d === 0) continue;
    lines.push(s('line', { class: 'grid', x1: at.left, x2: at.width, y1: at.y(d), y2: at.y(d) }));
    if (d % labelled === 0)
      lines.push(decade(d, { class: 'tick big', x: at.left - 6, y: at.y(d) + at.text / 3, 'text-anchor': 'end' }));
  }
  const span = widths.at(-1) - widths[0];
  const every =
    [1, 2, 5, 10, 20, 25, 50, 100, 200, 250].find(w => (span / w) * 3.2 * at.text <= at.width - at.left) ?? 500;
  for (let p = Math.ceil(widths[0] / every) * every; p <= widths.at(-1); p += every) {
    lines.push(
      s('text', { class: 'tick big', x: at.x(p), y: at.bottom + at.text * 1.2, 'text-anchor': 'middle' }, String(p)),
    );
  }
  return [
    ...lines,
    s('line', { class: 'axis one', x1: at.left, x2: at.width, y1: at.y(0), y2: at.y(0) }),
    decade(0, { class: 'tick big', x: at.left - 6, y: at.y(0) + at.text / 3, 'text-anchor': 'end' }),
    s('text', { class: 'label', x: at.width - 4, y: at.y(0) - 4, 'text-anchor': 'end' }, 'all of |f|: a result of 0'),
    s('text', { class: 'tick', x: at.left - 6, y: at.y(null) + at.text / 3, 'text-anchor': 'end' }, 'exact'),
    s('line', { class: 'axis', x1: at.left, x2: at.width, y1: at.bottom, y2: at.bottom }),
    s('line', { class: 'axis', x1: at.left, x2: at.left, y1: at.top, y2: at.bottom }),
    s('text', { class: 'label', x: (at.left + at.width) / 2, y: at.height - 6, 'text-anchor': 'middle' }, 'p, bits'),
    s(
      'text',
      { class: 'label', x: -(at.top + at.bottom) / 2, y: at.text, transform: 'rotate(-90)', 'text-anchor': 'middle' },
      'error, a fraction of |f|',
    ),
  ];
}

// One row's samples: a short stroke at each width, in the band where the result is exact; the bound
// has none where it has no value.
function series(row, widths, values, at) {
  const half = (Math.max(at.step, 2) * (SPAN[row.arithmetic?.name] ?? 1)) / 2;
  const strokes = widths.flatMap((p, i) =>
    row.kind === 'bound' && values[i] === null
      ? []
      : [`M${(at.x(p) - half).toFixed(1)} ${at.y(values[i]).toFixed(1)}h${(2 * half).toFixed(1)}`],
  );
  return s('path', { class: `series ${row.kind}`, style: colour(row.key), d: strokes.join('') });
}

// The marks' lines down the plot, each labelled in words above it, in the lowest row of labels whose
// room it does not share: the rows, and the number of rows used.
function markLines(at, marks) {
  const taken = [];
  const size = at.text * at.marks;
  const drawn = marks.map(mark => {
    const x = at.x(mark.width);
    const room = (mark.words.length + 5) * 0.62 * size;
    const start = Math.min(x, at.width - room);
    let level = 0;
    while (taken.some(t => t.level === level && start < t.end && t.start < start + room)) ++level;
    taken.push({ level, start, end: start + room });
    const y = at.top - 0.4 * size - level * 1.25 * size;
    return s(
      'g',
      { class: 'threshold', style: colour(mark.row.key) },
      s('line', { x1: x, x2: x, y1: y + 0.3 * size, y2: at.bottom }),
      s('text', { x: start, y, 'font-size': size }, mark.words),
    );
  });
  return { drawn, levels: Math.max(0, ...taken.map(t => t.level + 1)) };
}

// The decades the shown rows' values span, 0 among them: [lowest, highest].
function decades(values) {
  const finite = values.flat().filter(v => v !== null);
  return [Math.floor(Math.min(...finite, 0)), Math.ceil(Math.max(...finite, 0))];
}

// The chart's text alternative: what it shows and where each least width falls.
function description(chart, shown, marks) {
  const said = marks.map(mark => `${mark.rows.map(row => row.words).join(', ')}: ${mark.what} from ${mark.width} bits`);
  return `Relative error against the significand width p, from ${chart.widths[0]} to ${chart.widths.at(-1)} bits, on a logarithmic scale: ${shown.map(row => row.words).join(', ')}. ${said.join('; ')}.`;
}

// The readout beside the chart: what each shown row gives at p, in words.
function readout({ width }, shown) {
  const said = shown.map(row => {
    const at = width.at[row.key];
    if (row.kind === 'interval') return at.decides ? 'decides the sign' : 'holds 0';
    if (row.kind === 'running') return at.proves ? 'proves the sign' : 'proves nothing';
    if (row.kind === 'bound') return width.bound && width.bound.of[0] < width.bound.of[1] ? 'below 1' : 'not below 1';
    return at.verdict ? summary(at.verdict) : 'does not apply';
  });
  const items = shown.map((row, i) =>
    h(
      'li',
      { style: colour(row.key) },
      h('span', { class: `swatch ${row.kind}`, 'aria-hidden': 'true' }),
      `${row.short}: `,
      said[i],
    ),
  );
  return [
    h('p', { class: 'readout-title' }, `At p = ${width.p} bits:`),
    h('ul', { class: 'readout', 'aria-live': 'polite' }, items),
  ];
}

// The legend: a switch for each row the chart can draw, its swatch in the row's colour; in the
// lecture, only the rows shown, without switches.
function legend(chart, state, act, lecture) {
  const listed = rows('order', 'value', 'interval', 'bound', 'running', 'remedy').filter(
    row => chart.series[row.key] && (!lecture || state.series.has(row.key)),
  );
  const swatch = row => h('span', { class: `swatch ${row.kind}`, style: colour(row.key) });
  const item = row =>
    lecture
      ? [swatch(row), row.short]
      : h(
          'label',
          {},
          h('input', { type: 'checkbox', checked: state.series.has(row.key), onchange: () => act.toggle(row.key) }),
          swatch(row),
          row.words,
        );
  return h(
    'ul',
    { class: 'legend' },
    listed.map(row => h('li', {}, item(row))),
  );
}

// The least widths in words, all of them, each a button that chooses its width (text on paper).
export function markList(shown, marks, act) {
  const all = shown.flatMap(row =>
    (MARKS[row.kind] ?? []).map(([name, words]) => ({
      row,
      width: marks[row.key][name],
      words: `${row.words}: ${words}`,
    })),
  );
  return h(
    'ul',
    { class: 'thresholds' },
    all.map(mark =>
      h(
        'li',
        { style: colour(mark.row.key) },
        h('span', { class: `swatch ${mark.row.kind}`, 'aria-hidden': 'true' }),
        `${mark.words} `,
        mark.width === null
          ? fromWidth(null)
          : [
              'from ',
              h(
                'button',
                { type: 'button', class: 'width big', onclick: () => act.choose(mark.width) },
                `${mark.width} bits`,
              ),
              ' on',
            ],
      ),
    ),
  );
}

// A slider and a stepper for the width, one bit a step, which a finger can use.
function widthControl(chart, p, act) {
  const [first, last] = [chart.widths[0], chart.widths.at(-1)];
  const to = w => act.choose(Math.min(Math.max(w, first), last));
  return h(
    'div',
    { class: 'stepper' },
    h('button', { type: 'button', 'aria-label': 'one bit narrower', onclick: () => to(p - 1) }, '−'),
    h('input', {
      type: 'range',
      min: first,
      max: last,
      step: 1,
      value: Math.min(Math.max(p, first), last),
      'aria-label': 'p, bits',
      oninput: event => to(Number(event.target.value)),
    }),
    h('button', { type: 'button', 'aria-label': 'one bit wider', onclick: () => to(p + 1) }, '+'),
  );
}

// The chart at the point (its model) with p marked, the shown rows' series and least widths (those
// of the kinds named, where given), its legend (unless named is false), its controls and readout (not in
// the lecture); act.choose(p) draws
// the width p, act.toggle(key) shows or hides a row. size: the drawing's width, its plot's height and
// its text's size, in CSS pixels.
export function chartFigure(
  model,
  act,
  { size = model.state.chartSize, kinds = null, lecture = false, named = true } = {},
) {
  const { point, width, state } = model;
  const chart = point.chart;
  const shown = rows('order', 'value', 'interval', 'bound', 'running', 'remedy').filter(
    row => chart.series[row.key] && state.series.has(row.key),
  );
  const marks = marksOf(shown, point.marks, kinds);
  const range = decades(shown.map(row => chart.series[row.key]));
  let at = geometry(size, chart.widths, range, 0);
  at = geometry(size, chart.widths, range, markLines(at, marks).levels);
  const inside = width.p >= chart.widths[0] && width.p <= chart.widths.at(-1);
  const svg = s(
    'svg',
    {
      viewBox: `0 0 ${at.width} ${at.height}`,
      width: at.width,
      height: at.height,
      role: 'img',
      'aria-labelledby': 'chart-title chart-description',
      class: 'chart',
      'font-size': at.text,
    },
    s('title', { id: 'chart-title' }, 'Error against width'),
    s('desc', { id: 'chart-description' }, description(chart, shown, marks)),
    axes(at, chart.widths, range),
    shown.map(row => series(row, chart.widths, chart.series[row.key], at)),
    markLines(at, marks).drawn,
    inside
      ? s(
          'g',
          { class: 'chosen' },
          s('line', { x1: at.x(width.p), x2: at.x(width.p), y1: at.top, y2: at.bottom }),
          s('text', { x: at.x(width.p) + 4, y: at.top + at.text }, `p = ${width.p}`),
        )
      : [],
  );
  svg.addEventListener('click', event => {
    const box = svg.getBoundingClientRect();
    act.choose(
      Math.min(
        Math.max(at.widthAt(((event.clientX - box.left) / box.width) * at.width), chart.widths[0]),
        chart.widths.at(-1),
      ),
    );
  });
  const side = lecture
    ? null
    : h('div', { class: 'chart-side' }, widthControl(chart, width.p, act), readout(model, shown));
  const caption = [named && legend(chart, state, act, lecture), lecture ? null : markList(shown, point.marks, act)];
  return h(
    'figure',
    { class: 'chart', id: 'chart-figure' },
    h('div', { class: 'chart-row' }, svg, side),
    h('figcaption', {}, caption),
  );
}
