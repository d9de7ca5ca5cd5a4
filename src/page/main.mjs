// The page at work: runs the program, then answers every change in three moves: state = read(the
// address or the form), render(state), which draws the sections (or the lecture's step) from the
// models and writes #results, and go(state, how), which alone touches the address, the scrolling
// and the focus.
import { instantiate, runProgram } from './wasi.mjs';
import { NARROWEST, WIDEST } from './arithmetic.mjs';
import { rows } from './evaluations.mjs';
import { LECTURE, asksAt, lectureRefusal, lectureStep } from './lecture.mjs';
import { BINARY64, PRESETS, PROGRAM_POINT, Point, pointModel, results, routinesModel } from './model.mjs';
import { pellChain } from './orders.mjs';
import { runModel, widthModel } from './model.mjs';
import { drawnLarge, glossaryList, h, linkGlossed, toggleDigits, toneLegend } from './views.mjs';
import { SECTIONS, runVerdicts, widthName } from './sections.mjs';

// The fields: what each takes (its digits, leading zeros aside, and its range), its rule in words and
// its text where the address names none. A point's integers have at most MOST_DIGITS digits: enough
// for any lesson, few enough to draw at once.
const MOST_DIGITS = 100;
const INTEGER = `^[+-]?0*([0-9]{1,${MOST_DIGITS}})$`;
const coordinate = given => [INTEGER, null, `a whole number of at most ${MOST_DIGITS} digits, such as ${given}`];
const FIELDS = {
  x: [...coordinate(PROGRAM_POINT.x), String(PROGRAM_POINT.x)],
  y: [...coordinate(PROGRAM_POINT.y), String(PROGRAM_POINT.y)],
  p: ['^0*([0-9]{1,4})$', [NARROWEST, WIDEST], `a whole number of bits from ${NARROWEST} to ${WIDEST}`],
  N: ['^0*([0-9]{1,2})$', [2, 20], 'a whole number of runs from 2 to 20', '3'],
  seed: ['^0*([0-9]{1,20})$', [0n, (1n << 64n) - 1n], 'a whole number from 0 to 2⁶⁴ − 1', '1'],
};
FIELDS.p.push(String(BINARY64));
// The fields an address given out earlier names otherwise: the runs were n before they were N, which
// n is γₙ's alone now. Such an address is read, and written again with the field's name.
const FORMERLY = { N: 'n' };
// The series the chart shows until the reader switches them: the orders, plain and fused, the
// interval and the bound γₙ·κ.
const SHOWN = new Set(rows('order', 'value', 'interval', 'bound').map(row => row.key));

// The state the texts name: { x, y, p, N, seed } as numbers, or { problems } naming each field that
// is wrong; with the view (the lecture's step or null, the series shown), which is never wrong, and
// the texts, trimmed where they are right.
function read(texts, view) {
  const [problems, values, shown] = [[], {}, { ...texts }];
  for (const [name, [pattern, range, rule]] of Object.entries(FIELDS)) {
    const text = texts[name].trim();
    const digits = new RegExp(pattern).exec(text)?.[1];
    const value = digits && (range === null ? BigInt(text) : range[0] === 0n ? BigInt(digits) : Number(digits));
    const why = `${name} must be ${rule}; ${text ? `“${text}” is not` : 'it is empty'}.`;
    if (digits && (range === null || (value >= range[0] && value <= range[1])))
      [values[name], shown[name]] = [value, text];
    else problems.push({ field: name, text: why });
  }
  return { texts: shown, ...view, ...(problems.length ? { problems } : values) };
}

// The state the address names: each field's text where it names it, under its name or its former one
// (both coordinates blank where it names only one), and the lecture's step where it asks for the
// lecture view.
function fromAddress(series) {
  const query = new URLSearchParams(location.search);
  const given = query.has('x') || query.has('y');
  const named = name => query.get(name) ?? query.get(FORMERLY[name]);
  const text = ([name, field]) => [name, named(name) ?? (given && field[1] === null ? '' : field[3])];
  const texts = Object.fromEntries(Object.entries(FIELDS).map(text));
  const step = Math.min(Math.max(Math.trunc(Number(query.get('step'))) || 1, 1), LECTURE.length);
  return read(texts, { lecture: query.get('view') === 'lecture' ? step : null, revealed: false, series });
}

// Whether the address is to be written again as the state names it: it names another lecture step
// than the state shows (one beyond the last, or none), or a field by its former name.
function corrected(state) {
  const query = new URLSearchParams(location.search);
  const former = Object.values(FORMERLY).some(name => query.has(name));
  return former || (state.lecture !== null && query.get('step') !== String(state.lecture));
}

// Puts the children into the element id (below its fixed words, in its part .drawn, where it has
// one) and shows it; with null, empties and hides it.
function fill(id, children) {
  const element = document.getElementById(id);
  const drawn = element.querySelector(':scope > .drawn') ?? element;
  drawn.replaceChildren(...[children ?? []].flat(Infinity).filter(child => child !== null && child !== false));
  element.hidden = children === null;
}

// The drawing size of the page's chart, in CSS pixels, from the window: as wide as the text (less the
// readout beside it, where there is room), with text of 15 to 17 px (exponents of 11 px and more).
function chartSize() {
  const text = document.querySelector('main').clientWidth - 32;
  const width = Math.floor(text >= 960 ? text - 320 : text);
  return { width, plot: Math.max(200, Math.min(340, width / 2)), text: Math.max(15, Math.min(17, width / 50)) };
}

// The lecture's type size for the screen, in px: 24 on a screen 768 px high, 32 on one 1080 px high,
// in proportion above, and never less than 24, the least the back of a room can read; on a screen
// too narrow for a projector's (a phone's), small enough for a step's table to fit its width. One
// size for every step, so that nothing changes size from one step to the next.
const lectureType = () => Math.min(Math.max(24, window.innerHeight / 33.75), window.innerWidth / 26);

// Draws the lecture's step in the screen's type (draw(size) makes it with its chart drawn at size:
// its width, its plot's height and its text's size, in px), its chart as high as the screen leaves
// room for: drawn once low, then again with the room left below it.
function fitLecture(draw) {
  const [text, lecture] = [lectureType(), document.getElementById('lecture')];
  lecture.style.fontSize = `${text}px`;
  const size = plot => ({ width: Math.floor(window.innerWidth * 0.94), plot, text, marks: 1 });
  const least = 2 * text;
  fill('lecture', draw(size(least)));
  if (!lecture.querySelector('svg.chart')) return;
  const slide = lecture.querySelector('.slide');
  const below = slide.getBoundingClientRect().bottom - slide.lastElementChild.getBoundingClientRect().bottom;
  const over = document.documentElement.scrollHeight - window.innerHeight;
  const room = Math.floor(over > 0 ? -over : below - text / 2);
  fill('lecture', draw(size(Math.max(text, least + room))));
}

// Puts what the page shows into #results, for scripts.
function publish(data) {
  if (!document.getElementById('results'))
    document.querySelector('main').append(h('script', { type: 'application/json', id: 'results' }));
  document.getElementById('results').textContent = JSON.stringify(data);
}

// The page's models, each computed once: the program's run, each point drawn with its routines, and
// what each section shows (which render skips where nothing it is drawn from changed).
class Page {
  constructor(exports) {
    Object.assign(this, { exports, points: new Map(), shown: new Map() });
    this.fields = Object.fromEntries(Object.keys(FIELDS).map(name => [name, document.getElementById(name)]));
  }

  // The fields' texts.
  texts() {
    return Object.fromEntries(Object.entries(this.fields).map(([name, field]) => [name, field.value]));
  }

  // The model of the point (x, y), with its routines', computed once for each point; with whole false,
  // its routines alone, until it is drawn.
  point(x, y, whole = true) {
    const key = `${x},${y}`;
    if (!this.points.has(key)) this.points.set(key, new Point(x, y));
    const point = this.points.get(key);
    point.routines ??= routinesModel(this.exports, point);
    if (whole && !point.marks) pointModel(x, y, point);
    return point;
  }

  // Draws the state: its sections or the lecture's step, or what is wrong with its fields, and what
  // it shows in #results.
  render(state) {
    const { problems = [], texts } = state;
    for (const [name, field] of Object.entries(this.fields)) {
      const wrong = problems.some(found => found.field === name);
      field.value = wrong ? texts[name] : texts[name].trim();
      if (wrong) field.setAttribute('aria-invalid', 'true');
      else field.removeAttribute('aria-invalid');
    }
    fill('input-error', problems.length ? problems.map(problem => h('span', {}, problem.text, ' ')) : null);
    document.body.classList.toggle('lecturing', state.lecture !== null);
    if (state.lecture === null) this.glossary(false);
    const least = document.getElementById('least-exact');
    const act = this.actions();
    if (problems.length) {
      for (const id of SECTIONS.map(section => section.id)) fill(id, null);
      fill('lecture', null);
      if (state.lecture !== null) fitLecture(() => lectureRefusal(state.lecture, problems, act));
      this.shown.clear();
      Object.assign(least, { disabled: true, textContent: 'least exact width' });
      document.getElementById('timing').textContent = '';
      return publish({ error: problems.map(({ field, text }) => ({ field, text })) });
    }
    const started = performance.now();
    const point = this.point(state.x, state.y);
    const model = { point, width: widthModel(point, state.p, state), state: { ...state, chartSize: chartSize() } };
    const lecture = size =>
      lectureStep(state.lecture, { ...model, run: this.run, lectureChart: size }, act, state.revealed);
    fill('lecture', null);
    if (state.lecture !== null) fitLecture(lecture);
    else this.sections(model, act);
    least.disabled = point.exactFrom === null;
    least.textContent = `${point.exactFrom ?? `none up to ${WIDEST}`} bits: least exact width`;
    publish(results(point, model.width));
    const took = Math.round(performance.now() - started);
    document.getElementById('timing').textContent = `Computed and drawn in ${took} ms.`;
  }

  // Draws each section whose point or width, runs, seed, series or chart size changed, or moves it to
  // the width in place where it can (the chart, whose slider may be in use).
  sections(model, act) {
    const { x, y, p, N, seed, series } = model.state;
    const keys = { point: `${x},${y}`, chart: `${x},${y} ${[...series]} ${model.state.chartSize.width}` };
    keys.width = `${keys.chart} ${p},${N},${seed}`;
    for (const { id, draw, of, at } of SECTIONS) {
      const [drawn, moved] = this.shown.get(id) ?? [];
      if (drawn !== keys[of]) fill(id, draw(model, act));
      else if (at && moved !== keys.width) at(document.getElementById(id), model, act);
      this.shown.set(id, [keys[of], keys.width]);
    }
  }

  // What the controls do, whenever they are used, from the state shown then: choose a width (slide to
  // one, nudge it by bits), show or hide a series, move through the lecture (to a step, asking its
  // questions; forward, revealing their answers first; back) or leave it; each goes to a new state.
  actions() {
    const again = (texts, changed, how) => {
      const { state } = this;
      const view = { lecture: state.lecture, revealed: state.revealed, series: state.series, ...changed };
      this.go(read({ ...state.texts, ...texts }, view), how);
    };
    const toggled = ({ series }, key) =>
      new Set([...series].filter(k => k !== key).concat(series.has(key) ? [] : [key]));
    const kept = () => (this.state.lecture === null ? 'chart-figure' : null);
    const nudged = d => String(Math.min(Math.max(this.state.p + d, NARROWEST), WIDEST));
    return {
      choose: p => again({ p: String(p) }, {}, { address: 'push', keep: kept() }),
      slide: p => again({ p: String(p) }, {}, { address: 'replace', keep: kept() }),
      nudge: d => this.state.p && again({ p: nudged(d) }, {}, { address: 'replace', keep: kept() }),
      toggle: key => again({}, { series: toggled(this.state, key) }, { keep: 'chart-figure' }),
      step: k => k >= 1 && k <= LECTURE.length && again({}, { lecture: k, revealed: false }, { address: 'replace' }),
      reveal: () => again({}, { revealed: true }),
      glossary: () => this.glossary(true),
      leave: () => again({}, { lecture: null }, { address: 'push', focus: LECTURE[this.state.lecture - 1].section }),
    };
  }

  // Opens or closes the lecture's glossary over the step shown, which stays as it is: the focus goes
  // into it, and back to where it was when it closes.
  glossary(open) {
    const panel = document.getElementById('lecture-glossary');
    if (open === !panel.hidden) return;
    panel.hidden = !open;
    if (open) {
      this.focused = document.activeElement;
      panel.style.fontSize = document.getElementById('lecture').style.fontSize;
      panel.focus();
    } else {
      if (panel.contains(document.activeElement)) document.activeElement.blur(); // the page's, where none was
      if (this.focused?.isConnected) this.focused.focus();
    }
  }

  // Goes to a state: draws it, then puts it in the address ('push' or 'replace'; anything else leaves
  // it), keeps the element `keep` where it stood on the screen, or brings the element `focus` into
  // view with the keyboard's focus, or only into view, the element `view`.
  go(state, { address, keep, focus, view } = {}) {
    const kept = document.getElementById(keep)?.getBoundingClientRect().top;
    this.state = state;
    this.render(state);
    if (address === 'push' || address === 'replace') {
      const named = ([name, text]) => ['x', 'y', 'p'].includes(name) || text !== FIELDS[name][3];
      const query = Object.entries(state.texts).filter(named);
      if (state.lecture !== null) query.push(['view', 'lecture'], ['step', state.lecture]);
      try {
        history[`${address}State`](null, '', `?${new URLSearchParams(query)}${location.hash}`);
      } catch {
        // A browser that keeps file: addresses fixed: the page still shows the choice.
      }
    }
    const moved = document.getElementById(keep)?.getBoundingClientRect().top - kept;
    if (moved) window.scrollBy(0, moved);
    const element = document.getElementById(focus ?? view);
    if (!element || state.problems) return;
    if (focus && element.tabIndex < 0) element.setAttribute('tabindex', '-1');
    element.scrollIntoView({ block: 'start' });
    if (focus) element.focus({ preventScroll: true });
  }
}

// The keys that move through the lecture, by what they do at step k (act: the page's actions, with
// whether step k's questions are asked and not yet answered): forward reveals the answers first,
// then goes on; back goes back without revealing; Home and End go to the first and the last step.
const FORWARD = (k, act, asking) => (asking ? act.reveal() : act.step(k + 1));
const BACK = (k, act) => act.step(k - 1);
const LECTURE_KEYS = { ArrowRight: FORWARD, ArrowDown: FORWARD, PageDown: FORWARD, ' ': FORWARD };
Object.assign(LECTURE_KEYS, { ArrowLeft: BACK, ArrowUp: BACK, PageUp: BACK });
Object.assign(LECTURE_KEYS, { Home: (k, act) => act.step(1), End: (k, act) => act.step(LECTURE.length) });
// The keys that change the width in the lecture, by the bits they add: = is + unshifted.
const WIDTH_KEYS = { '+': 1, '=': 1, '-': -1 };

// Whether a click asks for a new tab or window, which a link then opens itself.
const elsewhere = event => event.ctrlKey || event.metaKey || event.shiftKey;

// Follows the controls: Enter or the button draws the fields and brings the point into view; a valid
// width draws as it is typed (or stepped) and brings the results into view under the width bar, which
// stays; the width buttons and the chain's points draw at once and bring what they changed into view;
// the lecture's keys move through it, and Esc leaves it for the section of its step.
function follow(page) {
  const view = () => ({ lecture: page.state.lecture, revealed: page.state.revealed, series: page.state.series });
  const current = (how, texts = {}) => page.go(read({ ...page.texts(), ...texts }, view()), how);
  const width = p => current({ address: 'push', focus: 'width-heading' }, { p: String(p) });
  const on = (id, kind, act) => document.getElementById(id).addEventListener(kind, act);
  on('choice', 'submit', event => {
    event.preventDefault();
    current({ address: 'push', focus: 'point' });
  });
  on('p', 'input', () => read(page.texts(), {}).p && current({ address: 'replace', view: 'width-heading' }));
  const stepped = d => String(Math.min(Math.max(page.state.p + d, NARROWEST), WIDEST));
  const step = d => current({ address: 'replace', view: 'width-heading' }, { p: stepped(d) });
  on('narrower', 'click', () => page.state.p && step(-1));
  on('wider', 'click', () => page.state.p && step(1));
  const preset = p => h('button', { type: 'button', 'data-p': String(p), onclick: () => width(p) }, widthName(p));
  const presets = [...PRESETS.keys()].map(preset);
  document.getElementById('least-exact').before(...presets);
  on('least-exact', 'click', () => page.state.problems || width(page.point(page.state.x, page.state.y).exactFrom));
  const open = (event, go) => elsewhere(event) || (event.preventDefault(), go());
  const chosen = { address: 'push', focus: 'point' };
  const to = ({ x, y }) => current(chosen, { x: String(x), y: String(y) });
  const link = ({ x, y }) =>
    h('a', { href: `?x=${x}&y=${y}`, onclick: event => open(event, () => to({ x, y })) }, `(${x}, ${y})`);
  document.getElementById('chain').append(...pellChain().flatMap(point => [link(point), ' ']));
  on('lecture-link', 'click', event => open(event, () => page.go({ ...page.state, lecture: 1 }, { address: 'push' })));
  window.addEventListener('popstate', () => {
    const state = fromAddress(page.state.series);
    page.go(state, { address: corrected(state) ? 'replace' : null });
  });
  document.querySelector('main').addEventListener('click', toggleDigits);
  document.addEventListener('keydown', event => {
    const k = page.state.lecture;
    if (k === null || event.altKey || event.ctrlKey || event.metaKey || event.target.closest('input, textarea, select'))
      return;
    // the glossary, one key away: g opens it, g or Esc closes it, and the other keys read it meanwhile
    const open = !document.getElementById('lecture-glossary').hidden;
    if (event.key === 'g' || (open && event.key === 'Escape')) {
      event.preventDefault();
      page.glossary(!open);
    }
    if (open || event.key === 'g') return;
    const [to, wider] = [LECTURE_KEYS[event.key], WIDTH_KEYS[event.key]];
    if ((!to && !wider && event.key !== 'Escape') || (event.key === ' ' && event.target.closest('button, a'))) return;
    event.preventDefault();
    if (to) to(k, page.actions(), asksAt(k) && !page.state.revealed);
    else if (wider) page.actions().nudge(wider);
    else page.actions().leave();
  });
  let resized = null;
  window.addEventListener('resize', () => {
    clearTimeout(resized);
    resized = setTimeout(() => page.state && !page.state.problems && page.go(page.state), 200);
  });
}

// Runs the program and judges its lines, then draws the point, width and view the address names,
// and, where it names a part (#width), brings that part into view once drawn.
async function main() {
  const base64 = document.getElementById('module').textContent.trim();
  const module = await WebAssembly.compile(Uint8Array.from(atob(base64), c => c.charCodeAt(0)));
  const run = await runProgram(module);
  document.getElementById('stdout').textContent = run.stdout;
  document.getElementById('status').textContent = run.status;
  document.getElementById('stderr').textContent = run.stderr === '' ? 'empty' : run.stderr;
  const page = new Page((await instantiate(module)).exports);
  const home = page.point(PROGRAM_POINT.x, PROGRAM_POINT.y, false); // its routines: the rest when drawn
  const printed = run.stdout.split('\n').filter(line => line !== '');
  const lines = runModel(home.routines);
  page.run = { lines, printed, f: home.f };
  document.querySelector('#glossary > .drawn').replaceChildren(glossaryList('glossary', true, PRESETS));
  linkGlossed(document);
  const lectureGlossary = drawnLarge(() => [toneLegend(), glossaryList('lecture-glossary', false, PRESETS)]);
  document.querySelector('#lecture-glossary > .drawn').replaceChildren(...lectureGlossary);
  document.getElementById('run-verdicts').replaceChildren(...runVerdicts(lines, printed, home.routines.exponent));
  follow(page);
  const state = fromAddress(SHOWN);
  const focus = location.hash.length > 1 ? decodeURIComponent(location.hash.slice(1)) : null;
  page.go(state, { focus, address: corrected(state) ? 'replace' : null });
}

main().catch(error => {
  document.getElementById('input-error').hidden = false;
  document.getElementById('input-error').textContent = `The page failed: ${error}`;
});
