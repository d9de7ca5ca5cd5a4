// The chart of error against width, drawn as SVG from the point's model: each shown row's log₁₀ of a
// fraction of |f| at each sampled width, one short stroke a sample (neighbouring widths are never
// joined), a line at 10⁰ (all of |f|: a result of 0) and a band for exact results, each least width
// named in words at its line in its row's colour, the chosen width marked and beside the chart a
// slider and a readout of what it gives. It is drawn at the size it is shown, so that its text is
// as large on a phone as beside it.
import { DRAWN, KINDS } from './kinds.mjs';
import { h } from './views.mjs';
import { fromWidth } from './words.mjs';

const SVG = 'http://www.w3.org/2000/svg';
// How much of its width a sample's stroke spans, by arithmetic: fused results dashed, the interval dotted.
const SPAN = { fused: 0.5, outward: 0.25 };

// An SVG element with attributes and children.
function s(tag, attributes, ...children) {
  const made = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) made.setAttribute(name, value);
  made.append(...children.flat());
  return made;
}

// The colour of a row, its own custom property, and its swatch.
const colour = key => `--c: var(--${key})`;
export const swatch = row => h('span', { class: `swatch ${row.kind}`, style: colour(row.key), 'aria-hidden': 'true' });

// Text at (x, y) anchored at its start, middle or end.
const label = (x, y, anchor, attributes = {}) => ({ x, y, 'text-anchor': anchor, ...attributes });

// 10ⁿ as SVG text at (x, y), its exponent raised.
function decade(d, x, y) {
  const exponent = s('tspan', { class: 'exponent', dy: '-0.45em' }, String(d).replace('-', '−'));
  return s('text', label(x, y, 'end', { class: 'tick big' }), '10', exponent);
}

// Each least width of the shown rows (of the kinds named, where given): { row, width, what }.
function marksOf(shown, marks, kinds = null) {
  const each = row =>
    Object.entries(KINDS[row.kind].marks ?? {}).map(([name, what]) => ({
      row,
      width: marks[row.key][name],
      what,
      name,
    }));
  return shown.flatMap(each).filter(mark => !kinds || kinds.includes(mark.name));
}

// The least widths that fall at a width, those at one width that say one thing grouped and labelled
// in words: each { rows, row, width, what, words }, by width.
function together(marks) {
  const groups = new Map();
  for (const { row, width, what } of marks.filter(mark => mark.width !== null)) {
    if (!groups.has(`${width} ${what}`)) groups.set(`${width} ${what}`, { rows: [], row, width, what });
    groups.get(`${width} ${what}`).rows.push(row);
  }
  const words = group => `${group.rows.map(row => row.short).join(', ')} ${group.what}: ${group.width}`;
  return [...groups.values()].map(group => ({ ...group, words: words(group) })).sort((a, b) => a.width - b.width);
}

// The drawing's geometry for text of `text` px, a drawing `width` px wide and a plot `plot` px high,
// with rows of mark labels (their text `marks` times the rest's) above the plot: the plot's box, the
// scales from a width and a log₁₀ value (null: the band of exact results), and the width at an x.
function geometry({ text, width, plot, marks = 1 }, widths, [low, high], labelRows) {
  const [left, top, bottom, band] = [5 * text, (labelRows * marks + 0.6) * 1.25 * text, 3.1 * text, 1.6 * text];
  const [first, last, across] = [widths[0], widths.at(-1), width - left - text];
  const x = p => left + ((p - first) / Math.max(last - first, 1)) * across;
  const y = v => (v === null ? top + plot + band / 2 : top + ((high - v) / Math.max(high - low, 1)) * plot);
  const widthAt = at => Math.round(first + ((at - left) / across) * (last - first));
  const height = Math.ceil(plot + top + bottom + band); // whole pixels, which a layout keeps exactly
  return {
    text,
    marks,
    left,
    top,
    width,
    height,
    bottom: top + plot + band,
    x,
    y,
    widthAt,
    step: x(first + 1) - x(first),
  };
}

// The axes: a line and a tick every few decades (at most ten apart), labelled where there is room,
// the line at 10⁰ named all of |f|, the band of exact results, the widths below and the axes' names.
function axes(at, widths, [low, high]) {
  const fit = Math.max(1, Math.floor((at.y(low) - at.y(high)) / (1.4 * at.text)));
  const step = [1, 2, 5, 10].find(d => (high - low) / d <= fit) ?? 10;
  const labelled = step * Math.ceil((high - low) / step / fit); // a label on each line that has room for one
  const line = (x1, x2, y1, y2, kind = 'axis') => s('line', { class: kind, x1, x2, y1, y2 });
  const drawn = [];
  for (let d = Math.floor(high / step) * step; d >= low; d -= step) {
    if (d !== 0) drawn.push(line(at.left - 5, at.width, at.y(d), at.y(d), 'grid')); // its tick left of the axis
    if (d !== 0 && d % labelled === 0) drawn.push(decade(d, at.left - 6, at.y(d) + at.text / 3));
  }
  const span = widths.at(-1) - widths[0];
  const every = [1, 2, 5, 10, 20, 25, 50, 100, 200, 250].find(w => (span / w) * 3.2 * at.text <= at.width - at.left);
  for (let p = Math.ceil(widths[0] / (every ?? 500)) * (every ?? 500); p <= widths.at(-1); p += every ?? 500) {
    drawn.push(s('text', label(at.x(p), at.bottom + at.text * 1.2, 'middle', { class: 'tick big' }), String(p)));
  }
  const [middle, across] = [(at.top + at.bottom) / 2, (at.left + at.width) / 2];
  drawn.push(line(at.left, at.width, at.y(0), at.y(0), 'axis one'), decade(0, at.left - 6, at.y(0) + at.text / 3));
  drawn.push(s('text', label(at.width - 4, at.y(0) - 4, 'end', { class: 'label' }), 'all of |f|: a result of 0'));
  drawn.push(s('text', label(at.left - 6, at.y(null) + at.text / 3, 'end', { class: 'tick' }), 'exact'));
  drawn.push(line(at.left, at.width, at.bottom, at.bottom), line(at.left, at.left, at.top, at.bottom));
  drawn.push(s('text', label(across, at.height - 6, 'middle', { class: 'label' }), 'p, bits'));
  const upright = label(-middle, at.text, 'middle', { class: 'label', transform: 'rotate(-90)' });
  return [...drawn, s('text', upright, 'error, a fraction of |f|')];
}

// One row's samples: a short stroke at each width, in the band where the result is exact; the bound
// has none where it has no value.
function series(row, widths, values, at) {
  const half = (Math.max(at.step, 2) * (SPAN[row.arithmetic?.name] ?? 1)) / 2;
  const across = (p, v) => `M${(at.x(p) - half).toFixed(1)} ${at.y(v).toFixed(1)}h${(2 * half).toFixed(1)}`;
  const band = (p, [low, high]) => `${across(p, low)}V${at.y(high).toFixed(1)}h${(-2 * half).toFixed(1)}Z`;
  const stroke = (p, v) => (v?.band ? band(p, v.band) : across(p, v));
  const strokes = widths.flatMap((p, i) => (row.kind === 'bound' && values[i] === null ? [] : [stroke(p, values[i])]));
  return s('path', { class: `series ${row.kind}`, style: colour(row.key), d: strokes.join('') });
}

// The marks' lines down the plot, each labelled in words above it, in the lowest row of labels whose
// room it does not share: the lines, and the number of rows used.
function markLines(at, marks) {
  const [taken, size] = [[], at.text * at.marks];
  const drawn = marks.map(mark => {
    const [x, room] = [at.x(mark.width), (mark.words.length + 5) * 0.62 * size];
    const start = Math.min(x, at.width - room);
    let level = 0;
    while (taken.some(t => t.level === level && start < t.end && t.start < start + room)) ++level;
    taken.push({ level, start, end: start + room });
    const y = at.top - 0.4 * size - level * 1.25 * size;
    const line = s('line', { x1: x, x2: x, y1: y + 0.3 * size, y2: at.bottom });
    return s(
      'g',
      { class: 'threshold', style: colour(mark.row.key) },
      line,
      s('text', { x: start, y, 'font-size': size }, mark.words),
    );
  });
  return { drawn, levels: Math.max(0, ...taken.map(t => t.level + 1)) };
}

// The decades the shown rows' values span, 0 among them: [lowest, highest].
function decades(values) {
  const finite = values
    .flat()
    .flatMap(v => v?.band ?? [v])
    .filter(v => v !== null);
  return [Math.floor(Math.min(...finite, 0)), Math.ceil(Math.max(...finite, 0))];
}

// The chart's text alternative: what it shows and where each least width falls.
function description(chart, shown, marks) {
  const said = marks.map(mark => `${mark.rows.map(row => row.words).join(', ')}: ${mark.what} from ${mark.width} bits`);
  const span = `from ${chart.widths[0]} to ${chart.widths.at(-1)} bits, on a logarithmic scale`;
  return `Relative error against the significand width p, ${span}: ${shown.map(row => row.words).join(', ')}. ${said.join('; ')}.`;
}

// The readout beside the chart: what each shown row gives at p, in words.
function readout({ width }, shown) {
  const said = row => KINDS[row.kind].readout(width.at[row.key], width);
  const items = shown.map(row => h('li', { style: colour(row.key) }, swatch(row), `${row.short}: `, said(row)));
  return [
    h('p', { class: 'readout-title' }, `At p = ${width.p} bits:`),
    h('ul', { class: 'readout', 'aria-live': 'polite' }, items),
  ];
}

// The legend: a switch for each row the chart can draw, its swatch in the row's colour; in the
// lecture, only the rows shown, without switches.
function legend(chart, state, act, lecture) {
  const listed = DRAWN.filter(row => chart.series[row.key] && (!lecture || state.series.has(row.key)));
  const box = row =>
    h('input', { type: 'checkbox', checked: state.series.has(row.key), onchange: () => act.toggle(row.key) });
  const item = row => (lecture ? [swatch(row), row.short] : h('label', {}, box(row), swatch(row), row.words));
  return h(
    'ul',
    { class: 'legend' },
    listed.map(row => h('li', {}, item(row))),
  );
}

// The least widths in words, all of them, each a button that chooses its width (text on paper).
function markList(shown, marks, act) {
  const width = w => h('button', { type: 'button', class: 'width big', onclick: () => act.choose(w) }, `${w} bits`);
  const said = mark => (mark.width === null ? fromWidth(null) : ['from ', width(mark.width), ' on']);
  const item = mark =>
    h('li', { style: colour(mark.row.key) }, swatch(mark.row), `${mark.row.words}: ${mark.what} `, said(mark));
  return h('ul', { class: 'thresholds' }, marksOf(shown, marks).map(item));
}

// A slider and a stepper for the width, one bit a step, which a finger can use.
function widthControl(chart, p, act) {
  const [first, last] = [chart.widths[0], chart.widths.at(-1)];
  const to = w => act.choose(Math.min(Math.max(w, first), last));
  const slider = { type: 'range', min: first, max: last, step: 1, value: Math.min(Math.max(p, first), last) };
  const range = h('input', { ...slider, 'aria-label': 'p, bits', oninput: event => to(Number(event.target.value)) });
  const narrower = h('button', { type: 'button', 'aria-label': 'one bit narrower', onclick: () => to(p - 1) }, '−');
  const wider = h('button', { type: 'button', 'aria-label': 'one bit wider', onclick: () => to(p + 1) }, '+');
  return h('div', { class: 'stepper' }, narrower, range, wider);
}

// The chart at the point (its model) with p marked, the shown rows' series and least widths (those
// of the kinds named, where given), its legend (unless named is false), its controls and readout (not
// in the lecture); act.choose(p) draws the width p, act.toggle(key) shows or hides a row. size: the
// drawing's width, its plot's height and its text's size, in CSS pixels.
export function chartFigure(model, act, { size = model.state.chartSize, kinds, lecture = false, named = true } = {}) {
  const { point, width, state } = model;
  const chart = point.chart;
  const shown = DRAWN.filter(row => chart.series[row.key] && state.series.has(row.key));
  const marks = together(marksOf(shown, point.marks, kinds));
  const range = decades(shown.map(row => chart.series[row.key]));
  const at = geometry(size, chart.widths, range, markLines(geometry(size, chart.widths, range, 0), marks).levels);
  const [p, first, last] = [width.p, chart.widths[0], chart.widths.at(-1)];
  const chosen = s('line', { x1: at.x(p), x2: at.x(p), y1: at.top, y2: at.bottom });
  const tag = s('text', { x: at.x(p) + 4, y: at.top + at.text }, `p = ${p}`);
  const box = { viewBox: `0 0 ${at.width} ${at.height}`, width: at.width, height: at.height, class: 'chart' };
  const svg = s('svg', {
    ...box,
    role: 'img',
    'aria-labelledby': 'chart-title chart-description',
    'font-size': at.text,
  });
  svg.append(
    s('title', { id: 'chart-title' }, 'Error against width'),
    s('desc', { id: 'chart-description' }, description(chart, shown, marks)),
  );
  svg.append(
    ...axes(at, chart.widths, range),
    ...shown.map(row => series(row, chart.widths, chart.series[row.key], at)),
  );
  svg.append(
    ...markLines(at, marks).drawn,
    ...(p >= first && p <= last ? [s('g', { class: 'chosen' }, chosen, tag)] : []),
  );
  svg.addEventListener('click', event => {
    const box = svg.getBoundingClientRect();
    act.choose(Math.min(Math.max(at.widthAt(((event.clientX - box.left) / box.width) * at.width), first), last));
  });
  const side = lecture ? null : h('div', { class: 'chart-side' }, widthControl(chart, p, act), readout(model, shown));
  const caption = [named && legend(chart, state, act, lecture), lecture ? null : markList(shown, point.marks, act)];
  return h(
    'figure',
    { class: 'chart', id: 'chart-figure' },
    h('div', { class: 'chart-row' }, svg, side),
    h('figcaption', {}, caption),
  );
}
