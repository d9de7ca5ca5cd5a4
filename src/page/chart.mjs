// The chart of error against width, drawn as SVG from the point's model: each shown row's log₁₀ of a
// fraction of |f| at each sampled width, one short stroke a sample (neighbouring widths are never
// joined), a line at 10⁰ (all of |f|: a result of 0) and a band for exact results, a lane of it a
// row, each least width named in words at its line in its row's colour, the chosen width marked (at
// the axis's edge where it lies beyond) and beside the chart a slider and a readout of what it gives.
// It is drawn at the size it is shown, so that its text is as large on a phone as beside it, and no
// text leaves it: a label too long for its width is broken into lines. The slider below it spans its
// width, so that a drag moves the width as far along as the hand moves.
import { rows } from './evaluations.mjs';
import { DRAWN, KINDS } from './kinds.mjs';
import { h } from './views.mjs';
import { NEEDS_F, fromWidth } from './words.mjs';

const SVG = 'http://www.w3.org/2000/svg';
// How much of its width a sample's stroke spans, by arithmetic: fused results dashed, the interval dotted.
const SPAN = { fused: 0.5, outward: 0.25 };
// Every second remedy draws the right half of each sample only: neighbours in the table often give
// the same result (Neumaier's and the exact sum at most widths, the compensated and the 2-fold sums at
// some), and where they coincide both then show, in turns.
const DASHED = new Set(rows('remedy').filter((_, i) => i % 2 === 1));
// The least height of a lane of the band of exact results, in px: one stroke and a gap.
const LANE = 5;

// An SVG element with attributes and children.
function s(tag, attributes, ...children) {
  const made = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) made.setAttribute(name, value);
  made.append(...children.flat());
  return made;
}

// The colour of a row, its own custom property, and its swatch, dashed as its series is.
const colour = key => `--c: var(--${key})`;
const pattern = row => (DASHED.has(row) || row.arithmetic?.name === 'fused' ? 'dashed' : row.kind);
export const swatch = row =>
  h('span', { class: `swatch ${pattern(row)}`, style: colour(row.key), 'aria-hidden': 'true' });

// Text at (x, y) anchored at its start, middle or end.
const label = (x, y, anchor, attributes = {}) => ({ x, y, 'text-anchor': anchor, ...attributes });

// The width of the text in px at size px, bold or not, in the page's own font.
let ruler = null;
function textWidth(text, size, bold = true) {
  ruler ??= document.createElement('canvas').getContext('2d');
  ruler.font = `${bold ? 'bold ' : ''}${size}px ${getComputedStyle(document.body).fontFamily}`;
  return ruler.measureText(text).width;
}

// 10ⁿ as SVG text at (x, y), its exponent raised.
function decade(d, x, y) {
  const exponent = s('tspan', { class: 'exponent', dy: '-0.45em' }, String(d).replace('-', '−'));
  return s('text', label(x, y, 'end', { class: 'tick big' }), '10', exponent);
}

// Each least width of the shown rows (of the kinds named, where given): { row, width, what, name }.
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
// in words ("2-fold sum, compensated: exact from 93"), or tersely by the width alone, the legend
// naming what its line's pattern marks: each { rows, row, width, what, name, words }, by width.
function together(marks, terse) {
  const groups = new Map();
  for (const { row, width, what, name } of marks.filter(mark => mark.width !== null)) {
    if (!groups.has(`${width} ${what}`)) groups.set(`${width} ${what}`, { rows: [], row, width, what, name });
    groups.get(`${width} ${what}`).rows.push(row);
  }
  const named = group => `${group.rows.map(row => row.short).join(', ')}: ${group.what} from ${group.width}`;
  const words = group => (terse ? String(group.width) : named(group));
  return [...groups.values()].map(group => ({ ...group, words: words(group) })).sort((a, b) => a.width - b.width);
}

// The lines of a label of size px no wider than room px: broken after a comma or the colon, and
// between words where a part is wider still.
function brokenLines(words, size, room) {
  const lines = [''];
  const parts = words.split(/(?<=, |: )/);
  const pieces = parts.flatMap(part => (textWidth(part, size) > room ? part.split(/(?<= )/) : [part]));
  for (const piece of pieces) {
    if (lines.at(-1) && textWidth(lines.at(-1) + piece, size) > room) lines.push(piece);
    else lines[lines.length - 1] += piece;
  }
  return lines.map(line => line.trimEnd());
}

// The drawing's geometry for text of `text` px, a drawing `width` px wide and a plot `plot` px high,
// with rows of mark labels (their text `marks` times the rest's) above the plot and a lane for each of
// `lanes` rows in the band of exact results: the plot's box, the scales from a width and a log₁₀
// value (null: the band, in the lane given), and the width at an x.
function geometry({ text, width, plot, marks = 1 }, widths, [low, high], labelRows, lanes) {
  const [left, top, bottom] = [5 * text, (labelRows * marks + 0.6) * 1.25 * text, 1.6 * text];
  const band = Math.max(1.6 * text, lanes * LANE);
  const [first, last, across] = [widths[0], widths.at(-1), width - left - text];
  const x = p => left + ((p - first) / Math.max(last - first, 1)) * across;
  const y = (v, lane = 0) =>
    v === null ? top + plot + (band * (lane + 0.5)) / lanes : top + ((high - v) / Math.max(high - low, 1)) * plot;
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
    band: top + plot,
    x,
    y,
    widthAt,
    step: x(first + 1) - x(first),
  };
}

// The axis's name, upright along it, as long as the drawing is high.
function axisName(at) {
  const words = ['error, a fraction of |f|', 'error / |f|'].find(w => textWidth(w, at.text, false) < at.height);
  const half = textWidth(words, at.text, false) / 2;
  const middle = Math.min(Math.max((at.top + at.bottom) / 2, half), at.height - half);
  return s('text', label(-middle, at.text, 'middle', { class: 'label', transform: 'rotate(-90)' }), words);
}

// The axes: a line and a tick every few decades (at most ten apart), labelled where there is room,
// the line at 10⁰ named all of |f|, the band of exact results, the widths below, named at their
// row's start, and the error's name up the side.
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
    const tick = label(at.x(p), at.bottom + at.text * 1.2, 'middle', { class: 'tick big' });
    if (at.x(p) - textWidth(String(p), at.text, false) / 2 > at.left) drawn.push(s('text', tick, String(p)));
  }
  drawn.push(line(at.left, at.width, at.y(0), at.y(0), 'axis one'), decade(0, at.left - 6, at.y(0) + at.text / 3));
  drawn.push(s('text', label(at.width - 4, at.y(0) - 4, 'end', { class: 'label' }), 'all of |f|: a result of 0'));
  drawn.push(line(at.left, at.width, at.band, at.band, 'grid'));
  const exact = label(at.left - 6, (at.band + at.bottom) / 2 + at.text / 3, 'end', { class: 'tick' });
  drawn.push(s('text', exact, 'exact'));
  drawn.push(line(at.left, at.width, at.bottom, at.bottom), line(at.left, at.left, at.top, at.bottom));
  drawn.push(s('text', label(at.left - 6, at.bottom + at.text * 1.2, 'end', { class: 'label' }), 'p, bits'));
  return [...drawn, axisName(at)];
}

// One row's samples: a short stroke at each width, in its own lane of the band where the result is
// exact; the bound has none where it has no value; a band of values ({ band: [least, most] }) is drawn
// as a bar from the one to the other.
function series(row, widths, values, at, lane) {
  const half = (Math.max(at.step, 2) * (SPAN[row.arithmetic?.name] ?? 1)) / 2;
  const [from, length] = DASHED.has(row) ? [0, half] : [-half, 2 * half];
  const across = (p, v) => `M${(at.x(p) + from).toFixed(1)} ${at.y(v, lane).toFixed(1)}h${length.toFixed(1)}`;
  const bar = (p, [least, most]) => `${across(p, least)}V${at.y(most, lane).toFixed(1)}h${(-length).toFixed(1)}Z`;
  const stroke = (p, i) => (values[i]?.band ? bar(p, values[i].band) : across(p, values[i]));
  const strokes = widths.flatMap((p, i) => (row.kind === 'bound' && values[i] === null ? [] : [stroke(p, i)]));
  return s('path', { class: `series ${row.kind}`, style: colour(row.key), d: strokes.join('') });
}

// The marks' lines down the plot, each labelled in words above it (in lines, where the drawing is too
// narrow for one), right of its line or else left of it, in the lowest rows of labels whose room it
// does not share: the lines, and the number of rows used.
function markLines(at, marks) {
  const [taken, size, gap] = [[], at.text * at.marks, 1.25 * at.text * at.marks];
  const free = (level, start, end) => !taken.some(t => t.level === level && start < t.end && t.start < end);
  const drawn = marks.map(mark => {
    const lines = brokenLines(mark.words, size, at.width);
    const room = Math.max(...lines.map(line => textWidth(line, size))) + 0.4 * size;
    const x = at.x(mark.width);
    const starts = [Math.min(x, at.width - room), x - room].map(start => Math.max(0, start));
    const fits = (level, start) => lines.every((_, k) => free(level + k, start, start + room));
    let level = 0;
    while (!starts.some(start => fits(level, start))) ++level;
    const start = starts.find(each => fits(level, each));
    taken.push(...lines.map((_, k) => ({ level: level + k, start, end: start + room })));
    const y = at.top - 0.4 * size - level * gap; // the last line's baseline
    const tspans = lines.map((line, k) => s('tspan', { x: start, dy: k ? gap : 0 }, line));
    const text = s('text', { x: start, y: y - (lines.length - 1) * gap, 'font-size': size }, tspans);
    const line = s('line', { x1: x, x2: x, y1: y + 0.3 * size, y2: at.bottom });
    return s('g', { class: `threshold ${mark.name}`, style: colour(mark.row.key) }, line, text);
  });
  return { drawn, levels: Math.max(0, ...taken.map(t => t.level + 1)) };
}

// The chosen width's line and tag, at its width, or at the axis's edge where it lies beyond: p = 500 →.
function chosenMark(at, p, [first, last]) {
  const beyond = p > last ? 'beyond' : p < first ? 'before' : null;
  const x = at.x(Math.min(Math.max(p, first), last));
  const words = { beyond: `p = ${p} →`, before: `← p = ${p}` }[beyond] ?? `p = ${p}`;
  const end = x + 4 + textWidth(words, at.text) > at.width;
  const tag = s('text', label(end ? x - 4 : x + 4, at.top + at.text, end ? 'end' : 'start'), words);
  const kind = beyond ? 'chosen beyond' : 'chosen';
  return s('g', { class: kind }, s('line', { x1: x, x2: x, y1: at.top, y2: at.bottom }), tag);
}

// The decades the shown rows' values span, 0 among them: [lowest, highest].
function decades(values) {
  const finite = values.flatMap(each => each.flatMap(v => v?.band ?? [v])).filter(v => v !== null);
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
  return h(
    'div',
    { class: 'readout', 'aria-live': 'polite' },
    h('p', { class: 'readout-title' }, `At p = ${width.p} bits:`),
    h('ul', {}, items),
  );
}

// The legend: a switch for each row the chart can draw, its swatch in the row's colour and pattern;
// in the lecture, only the rows shown, without switches; and what each pattern of line marks where
// the least widths are labelled by their widths alone (patterns: { name, what }, sign from, exact from).
function legend(chart, state, act, lecture, patterns) {
  const listed = DRAWN.filter(row => chart.series[row.key] && (!lecture || state.series.has(row.key)));
  const box = row =>
    h('input', { type: 'checkbox', checked: state.series.has(row.key), onchange: () => act.toggle(row.key) });
  const item = row => (lecture ? [swatch(row), row.short] : h('label', {}, box(row), swatch(row), row.words));
  const lines = patterns.map(({ name, what }) => h('li', {}, h('span', { class: `swatch ${name}` }), `${what} from`));
  return h(
    'ul',
    { class: 'legend' },
    listed.map(row => h('li', {}, item(row))),
    lines,
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

// A slider and a stepper for the width, one bit a step, which a finger can use: act.slide(p) follows
// the slider, act.nudge(d) moves the width by d bits.
function widthControl(chart, p, act) {
  const [first, last] = [chart.widths[0], chart.widths.at(-1)];
  const slider = { type: 'range', min: first, max: last, step: 1, value: Math.min(Math.max(p, first), last) };
  const range = h('input', {
    ...slider,
    'aria-label': 'p, bits',
    oninput: event => act.slide(Number(event.target.value)),
  });
  const narrower = h('button', { type: 'button', 'aria-label': 'one bit narrower', onclick: () => act.nudge(-1) }, '−');
  const wider = h('button', { type: 'button', 'aria-label': 'one bit wider', onclick: () => act.nudge(1) }, '+');
  return h('div', { class: 'stepper' }, narrower, range, wider);
}

// The drawing at the point (its model) with p marked, the shown rows' series and least widths (those
// of the kinds named, where given, labelled by their widths alone where terse); act.choose(p) draws
// the width p.
function drawing({ point, width }, shown, act, size, kinds, terse = false) {
  const chart = point.chart;
  const marks = together(marksOf(shown, point.marks, kinds), terse);
  const range = decades(shown.map(row => chart.series[row.key]));
  const levels = markLines(geometry(size, chart.widths, range, 0, shown.length), marks).levels;
  const at = geometry(size, chart.widths, range, levels, shown.length);
  const [first, last] = [chart.widths[0], chart.widths.at(-1)];
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
    ...shown.map((row, i) => series(row, chart.widths, chart.series[row.key], at, i)),
  );
  svg.append(...markLines(at, marks).drawn, chosenMark(at, width.p, [first, last]));
  svg.addEventListener('click', event => {
    const box = svg.getBoundingClientRect();
    act.choose(Math.min(Math.max(at.widthAt(((event.clientX - box.left) / box.width) * at.width), first), last));
  });
  return svg;
}

// The rows the chart shows for the state.
const shownRows = ({ point, state }) => DRAWN.filter(row => point.chart.series[row.key] && state.series.has(row.key));

// The chart at the point (its model) with p marked, the shown rows' series and least widths (those
// of the kinds named, where given, labelled by their widths alone where terse), its legend, its
// controls and readout (not in the lecture); act.choose(p) draws the width p, act.toggle(key) shows or
// hides a row. size: the drawing's width, its plot's height and its text's size, in CSS pixels.
export function chartFigure(model, act, { size = model.state.chartSize, kinds, lecture = false, terse = false } = {}) {
  const { point, width, state } = model;
  const shown = shownRows(model);
  const svg = drawing(model, shown, act, size, kinds, terse);
  const slider = lecture ? null : widthControl(point.chart, width.p, act);
  const side = lecture ? null : h('div', { class: 'chart-side' }, readout(model, shown));
  const named = new Map(marksOf(shown, point.marks, kinds).map(({ name, what }) => [name, { name, what }]));
  const patterns = terse ? [...named.values()] : [];
  const needsF = shown.some(row => rows('bound').includes(row)) ? h('p', { class: 'needs-f' }, NEEDS_F) : null;
  const caption = [
    legend(point.chart, state, act, lecture, patterns),
    needsF,
    lecture ? null : markList(shown, point.marks, act),
  ];
  return h(
    'figure',
    { class: 'chart', id: 'chart-figure' },
    h('div', { class: 'chart-row' }, h('div', { class: 'chart-main' }, svg, slider), side),
    h('figcaption', {}, caption),
  );
}

// The page's chart (a chartFigure) moved to the model's width in place: a new drawing, the readout's
// words and the slider's value, so that a slider in use keeps its drag and the keyboard's focus.
export function chartAtWidth(figure, model, act) {
  const shown = shownRows(model);
  figure.querySelector('svg.chart').replaceWith(drawing(model, shown, act, model.state.chartSize));
  figure.querySelector('.readout').replaceChildren(...readout(model, shown).childNodes);
  const slider = figure.querySelector('.stepper input');
  const [first, last] = [Number(slider.min), Number(slider.max)];
  slider.value = String(Math.min(Math.max(model.width.p, first), last));
}
