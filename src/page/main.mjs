// The page at work: runs the program, reads the point, the width and the view from the address or
// the form, computes their models once, draws every section (or the lecture's step) from them,
// brings what a change changed into view, and keeps what it shows in #results for scripts.
import { instantiate, runProgram } from './wasi.mjs';
import { NARROWEST, WIDEST } from './arithmetic.mjs';
import { LECTURE_STEPS, lectureStep } from './lecture.mjs';
import {
  BINARY64,
  PRESETS,
  PROGRAM_POINT,
  pellChain,
  pointModel,
  results,
  routinesModel,
  runModel,
  widthModel,
} from './model.mjs';
import { grouped, minus } from './text.mjs';
import { h, toggleDigits } from './views.mjs';
import { chartSection, routinesSection, runVerdicts, whySection, widthName, widthSection } from './sections.mjs';

// The longest integers the fields take, leading zeros aside: enough for any lesson, short enough to
// draw at once. Leading zeros are taken alike in every field.
const MOST_DIGITS = 100;
const INTEGER = new RegExp(`^[+-]?0*([0-9]{1,${MOST_DIGITS}})$`);
const WIDTH_TEXT = /^0*([0-9]{1,4})$/;

// The fields' texts checked: { x, y, p } as numbers, or { problems } naming each field that is wrong.
function parse(texts) {
  const problems = [];
  const values = {};
  const wrong = (field, rule, text) =>
    problems.push({
      field,
      text: `${field} must be ${rule}; ` + `${text === '' ? 'it is empty' : `“${text}” is not`}.`,
    });
  for (const name of ['x', 'y']) {
    const text = texts[name].trim();
    if (INTEGER.test(text)) values[name] = BigInt(text);
    else wrong(name, `a whole number of at most ${MOST_DIGITS} digits, such as ${PROGRAM_POINT[name]}`, text);
  }
  const p = texts.p.trim();
  const width = WIDTH_TEXT.exec(p);
  if (width && Number(width[1]) >= NARROWEST && Number(width[1]) <= WIDEST) values.p = Number(width[1]);
  else wrong('p', `a whole number of bits from ${NARROWEST} to ${WIDEST}`, p);
  return problems.length ? { problems } : values;
}

// The address's query: the texts of the fields (the program's point where it names none, binary64's
// width where it names no width), and the lecture's step where it asks for the lecture view.
function addressTexts() {
  const query = new URLSearchParams(location.search);
  const pointGiven = query.has('x') || query.has('y');
  const step = Number(query.get('step'));
  return {
    x: query.get('x') ?? (pointGiven ? '' : String(PROGRAM_POINT.x)),
    y: query.get('y') ?? (pointGiven ? '' : String(PROGRAM_POINT.y)),
    p: query.get('p') ?? String(BINARY64),
    lecture: query.get('view') === 'lecture' ? Math.min(Math.max(Math.trunc(step) || 1, 1), LECTURE_STEPS) : null,
  };
}

// Puts the children into the element id and shows it; with null, empties and hides it.
function fill(id, children) {
  const element = document.getElementById(id);
  element.replaceChildren(...[children ?? []].flat(Infinity).filter(child => child !== null && child !== false));
  element.hidden = children === null;
}

// Links to the points of pellChain; a click calls choose(event, x, y).
function chainLinks(choose) {
  return pellChain().flatMap(({ x, y }) => [
    h('a', { href: `?x=${x}&y=${y}`, onclick: event => choose(event, x, y) }, `(${x}, ${y})`),
    ' ',
  ]);
}

// The buttons of the preset widths, each named as a width, before the least exact width's.
function presetButtons() {
  document
    .getElementById('least-exact')
    .before(...PRESETS.map(([p]) => h('button', { type: 'button', 'data-p': String(p) }, widthName(p))));
}

// Brings the element into view at the top of the window, and moves the keyboard's focus to it, so
// that what a change changed is where the eye is.
function bringIntoView(element) {
  if (!element) return;
  if (element.tabIndex < 0 && !element.hasAttribute('tabindex')) element.setAttribute('tabindex', '-1');
  element.scrollIntoView({ block: 'start' });
  element.focus({ preventScroll: true });
}

// The page's state and the drawing of the chosen point and width.
class Page {
  constructor(exports, run) {
    this.exports = exports;
    this.run = run; // the program's own run: its output and the verdicts on its lines
    this.points = new Map(); // the model of each point drawn, with its routines', by "x,y"
    this.drawn = null; // the point whose sections are drawn, as "x,y"
    this.lecture = null; // the lecture's step shown, or null for the page
    this.fields = Object.fromEntries(['x', 'y', 'p'].map(name => [name, document.getElementById(name)]));
  }

  // The fields' texts.
  texts() {
    return Object.fromEntries(Object.entries(this.fields).map(([name, field]) => [name, field.value]));
  }

  // Draws the texts: everything at the point and width they name, or what is wrong with them.
  // address: 'push' or 'replace' puts them in the address, anything else leaves it. focus: the id
  // of the part to bring into view once drawn, or null.
  show(texts, address, focus = null) {
    const parsed = parse(texts);
    this.markFields(texts, parsed.problems ?? []);
    if (parsed.problems) {
      this.refuse(texts, parsed.problems, address);
      return;
    }
    const started = performance.now();
    this.draw(parsed);
    document.getElementById('timing').textContent =
      `Computed and drawn in ${Math.round(performance.now() - started)} ms.`;
    this.address({ x: parsed.x, y: parsed.y, p: parsed.p }, address);
    if (focus) bringIntoView(document.getElementById(focus));
  }

  // Shows the fields' texts as given (trimmed where right) and marks the wrong ones invalid.
  markFields(texts, problems) {
    for (const [name, field] of Object.entries(this.fields)) {
      const problem = problems.some(found => found.field === name);
      field.value = problem ? texts[name] : texts[name].trim();
      if (problem) field.setAttribute('aria-invalid', 'true');
      else field.removeAttribute('aria-invalid');
    }
    const error = document.getElementById('input-error');
    error.hidden = problems.length === 0;
    error.replaceChildren(...problems.map(problem => h('span', {}, problem.text, ' ')));
  }

  // Answers fields that are wrong: nothing of the point drawn before stays on show, the least exact
  // width forgets it, and the address holds what was typed, so that it shows the same refusal.
  refuse(texts, problems, address) {
    for (const section of document.querySelectorAll('#at-point > [id]')) fill(section.id, null);
    this.lecture = null; // the page, where the fields are, says what is wrong
    document.body.classList.remove('lecturing');
    fill('lecture', null);
    const least = document.getElementById('least-exact');
    least.disabled = true;
    least.textContent = 'least exact width';
    document.getElementById('timing').textContent = '';
    this.drawn = null;
    this.address({ x: texts.x, y: texts.y, p: texts.p }, address);
    this.publish({ error: problems });
  }

  // Puts the query into the address ('push' or 'replace'; anything else leaves it), with the
  // lecture's step while the lecture view is on.
  address(query, how) {
    if (how !== 'push' && how !== 'replace') return;
    const lecture = this.lecture === null ? {} : { view: 'lecture', step: this.lecture };
    try {
      history[`${how}State`](null, '', `?${new URLSearchParams({ ...query, ...lecture })}${location.hash}`);
    } catch {
      // A browser that keeps file: addresses fixed: the page still shows the choice.
    }
  }

  // Draws every section at (x, y) and p, but at the point already drawn only those that the width
  // changes; or, in the lecture view, only its step. Either way #results says what is shown.
  draw({ x, y, p }) {
    const point = this.point(x, y);
    const key = `${x},${y}`;
    const width = widthModel(point, p);
    const choose = w => this.choose(w, 'push', this.lecture === null ? 'width-heading' : null);
    this.publish(results(point, width));
    if (this.lecture !== null) {
      // The page's sections stay as they are, hidden, until the lecture view is left.
      this.drawLecture(point, width, choose);
      return;
    }
    fill('why', whySection(point, width));
    fill('chart', chartSection(point, width, choose));
    fill('width', widthSection(point, width, choose));
    if (this.drawn !== key) {
      const least = document.getElementById('least-exact');
      least.disabled = point.exactFrom === null;
      least.textContent =
        point.exactFrom === null ? `least exact width: none up to ${WIDEST}` : `${point.exactFrom} least exact width`;
      fill('point', [
        `At x = ${minus(grouped(x))}, y = ${minus(grouped(y))}, f(x, y) = `,
        h('output', { id: 'exact-f' }, minus(grouped(point.f))),
        ' exactly.',
      ]);
      fill('routines', routinesSection(point.routines, point));
      this.drawn = key;
    }
  }

  // Draws the lecture's step at the point and width.
  drawLecture(point, width, choose) {
    const step = this.lecture;
    fill(
      'lecture',
      lectureStep(
        step,
        { run: this.run.model, printed: this.run.printed, point, width },
        { move: k => this.step(k), leave: () => this.leaveLecture(), choose },
      ),
    );
    document.body.classList.add('lecturing');
  }

  // Shows the lecture's step k (1 to LECTURE_STEPS), where the lecture view is on.
  step(k) {
    if (this.lecture === null || k < 1 || k > LECTURE_STEPS) return;
    this.lecture = k;
    this.show(this.texts(), 'replace');
  }

  // Leaves the lecture view for the page at the same point and width.
  leaveLecture() {
    this.lecture = null;
    document.body.classList.remove('lecturing');
    fill('lecture', null);
    this.show(this.texts(), 'replace');
  }

  // The model of the point (x, y), with its routines', computed once for each point.
  point(x, y) {
    const key = `${x},${y}`;
    if (!this.points.has(key)) {
      const point = pointModel(x, y);
      this.points.set(key, { ...point, routines: routinesModel(this.exports, point) });
    }
    return this.points.get(key);
  }

  // Draws the width p at the point in the fields, and brings the part focus names into view.
  choose(p, address, focus = null) {
    this.show({ ...this.texts(), p: String(p) }, address, focus);
  }

  // Puts what the page shows into #results, for scripts.
  publish(data) {
    let element = document.getElementById('results');
    if (!element) {
      element = h('script', { type: 'application/json', id: 'results' });
      document.querySelector('main').append(element);
    }
    element.textContent = JSON.stringify(data);
  }
}

// The keys that move through the lecture: the step they go to from step k, or undefined.
const LECTURE_KEYS = {
  ArrowRight: k => k + 1,
  ArrowDown: k => k + 1,
  PageDown: k => k + 1,
  ' ': k => k + 1,
  ArrowLeft: k => k - 1,
  ArrowUp: k => k - 1,
  PageUp: k => k - 1,
  Home: () => 1,
  End: () => LECTURE_STEPS,
};

// Follows the lecture's keys, where the lecture view is on and no field has the keyboard.
function followLecture(page) {
  document.addEventListener('keydown', event => {
    if (page.lecture === null || event.altKey || event.ctrlKey || event.metaKey) return;
    if (event.target.closest('input, textarea, select')) return;
    if (event.key === 'Escape') {
      event.preventDefault();
      page.leaveLecture();
      return;
    }
    const to = LECTURE_KEYS[event.key];
    if (to && !(event.key === ' ' && event.target.closest('button, a'))) {
      event.preventDefault();
      page.step(to(page.lecture));
    }
  });
}

// Follows the form: Enter or the button draws the fields and brings the point into view, a valid
// width draws as it is typed, the width buttons and the chain's points draw at once and bring what
// they changed into view.
function follow(page) {
  const form = document.getElementById('choice');
  form.addEventListener('submit', event => {
    event.preventDefault();
    page.show(page.texts(), 'push', 'point');
  });
  page.fields.p.addEventListener('input', () => {
    if (parse(page.texts()).p) page.show(page.texts(), 'replace');
  });
  presetButtons();
  for (const button of form.querySelectorAll('button[data-p]')) {
    button.addEventListener('click', () => page.choose(button.dataset.p, 'push', 'width-heading'));
  }
  document.getElementById('least-exact').addEventListener('click', () => {
    const { x, y } = parse({ ...page.texts(), p: String(BINARY64) });
    const width = x === undefined ? null : page.point(x, y).exactFrom;
    if (width !== null) page.choose(width, 'push', 'width-heading');
  });
  document.getElementById('chain').append(
    ...chainLinks((event, x, y) => {
      if (event.ctrlKey || event.metaKey || event.shiftKey) return; // a new tab or window: the link itself
      event.preventDefault();
      page.show({ ...page.texts(), x: String(x), y: String(y) }, 'push', 'point');
    }),
  );
  document.getElementById('lecture-link').addEventListener('click', event => {
    if (event.ctrlKey || event.metaKey || event.shiftKey) return;
    event.preventDefault();
    page.lecture = 1;
    page.show(page.texts(), 'push');
  });
  window.addEventListener('popstate', () => {
    const texts = addressTexts();
    page.lecture = texts.lecture;
    if (page.lecture === null) page.leaveLecture();
    else page.show(texts, 'keep');
  });
  document.querySelector('main').addEventListener('click', toggleDigits);
  followLecture(page);
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
  const { exports } = await instantiate(module);
  const model = runModel(exports);
  document.getElementById('run-verdicts').replaceChildren(...runVerdicts(model, run.stdout));
  const printed = run.stdout.split('\n').filter(line => line !== '');
  const page = new Page(exports, { model, printed });
  follow(page);
  const texts = addressTexts();
  page.lecture = texts.lecture;
  page.show(texts, 'keep', location.hash.length > 1 ? decodeURIComponent(location.hash.slice(1)) : null);
}

main().catch(error => {
  document.getElementById('input-error').hidden = false;
  document.getElementById('input-error').textContent = `The page failed: ${error}`;
});
