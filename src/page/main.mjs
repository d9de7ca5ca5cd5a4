// The page at work: runs the program, reads the point and the width from the address or the form,
// computes their models once, draws every section from them, and keeps what it shows in #results
// for scripts.
import { instantiate, runProgram } from './wasi.mjs';
import { NARROWEST, WIDEST } from './arithmetic.mjs';
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
import { h, showDigits } from './views.mjs';
import { routinesSection, runVerdicts, whySection, widthSection } from './sections.mjs';

// The longest integers the fields take: enough for any lesson, short enough to draw at once.
const MOST_DIGITS = 100;
const INTEGER = new RegExp(`^[+-]?[0-9]{1,${MOST_DIGITS}}$`);
const WIDTH = /^[0-9]{1,4}$/;

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
  if (WIDTH.test(p) && Number(p) >= NARROWEST && Number(p) <= WIDEST) values.p = Number(p);
  else wrong('p', `a whole number of bits from ${NARROWEST} to ${WIDEST}`, p);
  return problems.length ? { problems } : values;
}

// The texts of the fields as the address gives them: the program's point where it names none, and
// binary64's width where it names no width.
function addressTexts() {
  const query = new URLSearchParams(location.search);
  const pointGiven = query.has('x') || query.has('y');
  return {
    x: query.get('x') ?? (pointGiven ? '' : String(PROGRAM_POINT.x)),
    y: query.get('y') ?? (pointGiven ? '' : String(PROGRAM_POINT.y)),
    p: query.get('p') ?? String(BINARY64),
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

// The buttons of the preset widths, each with its format, before the least exact width's.
function presetButtons() {
  const least = document.getElementById('least-exact');
  least.before(...PRESETS.map(([p, format]) => h('button', { type: 'button', 'data-p': String(p) }, `${p} ${format}`)));
}

// The page's state and the drawing of the chosen point and width.
class Page {
  constructor(exports) {
    this.exports = exports;
    this.points = new Map(); // the model of each point drawn, with its routines', by "x,y"
    this.drawn = null; // the point whose sections are drawn, as "x,y"
    this.fields = Object.fromEntries(['x', 'y', 'p'].map(name => [name, document.getElementById(name)]));
  }

  // The fields' texts.
  texts() {
    return Object.fromEntries(Object.entries(this.fields).map(([name, field]) => [name, field.value]));
  }

  // Draws the texts: everything at the point and width they name, or what is wrong with them.
  // address: 'push' or 'replace' puts them in the address, anything else leaves it.
  show(texts, address) {
    const parsed = parse(texts);
    const error = document.getElementById('input-error');
    for (const [name, field] of Object.entries(this.fields)) {
      const problem = parsed.problems?.find(found => found.field === name);
      field.value = problem ? texts[name] : texts[name].trim();
      field.toggleAttribute('aria-invalid', Boolean(problem));
    }
    error.hidden = !parsed.problems;
    if (parsed.problems) {
      error.replaceChildren(...parsed.problems.map(problem => h('span', {}, problem.text, ' ')));
      for (const section of document.querySelectorAll('#at-point > [id]')) fill(section.id, null);
      this.drawn = null;
      this.publish({ error: parsed.problems });
      return;
    }
    const started = performance.now();
    this.draw(parsed);
    document.getElementById('timing').textContent =
      `Computed and drawn in ${Math.round(performance.now() - started)} ms.`;
    if (address === 'push' || address === 'replace') {
      try {
        history[`${address}State`](null, '', `?${new URLSearchParams({ x: parsed.x, y: parsed.y, p: parsed.p })}`);
      } catch {
        // A browser that keeps file: addresses fixed: the page still shows the choice.
      }
    }
  }

  // Draws every section at (x, y) and p, but at the point already drawn only the width's section.
  draw({ x, y, p }) {
    const point = this.point(x, y);
    const key = `${x},${y}`;
    const width = widthModel(point, p);
    fill(
      'width',
      widthSection(point, width, w => this.choose(w, 'push')),
    );
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
      fill('why', whySection(point));
      fill('routines', routinesSection(point.routines, point));
      this.drawn = key;
    }
    this.publish(results(point, width));
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

  // Draws the width p at the point in the fields.
  choose(p, address) {
    this.show({ ...this.texts(), p: String(p) }, address);
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

// Follows the form: Enter or the button draws the fields, a valid width draws as it is typed, the
// width buttons and the chain's points draw at once.
function follow(page) {
  const form = document.getElementById('choice');
  form.addEventListener('submit', event => {
    event.preventDefault();
    page.show(page.texts(), 'push');
  });
  page.fields.p.addEventListener('input', () => {
    if (parse(page.texts()).p) page.show(page.texts(), 'replace');
  });
  presetButtons();
  for (const button of form.querySelectorAll('button[data-p]')) {
    button.addEventListener('click', () => page.choose(button.dataset.p, 'push'));
  }
  document.getElementById('least-exact').addEventListener('click', () => {
    const { x, y } = parse({ ...page.texts(), p: String(BINARY64) });
    const width = x === undefined ? null : page.point(x, y).exactFrom;
    if (width !== null) page.choose(width, 'push');
  });
  document.getElementById('chain').append(
    ...chainLinks((event, x, y) => {
      if (event.ctrlKey || event.metaKey || event.shiftKey) return; // a new tab or window: the link itself
      event.preventDefault();
      page.show({ ...page.texts(), x: String(x), y: String(y) }, 'push');
    }),
  );
  window.addEventListener('popstate', () => page.show(addressTexts(), 'keep'));
  document.querySelector('main').addEventListener('click', showDigits);
}

// Runs the program and judges its lines, then draws the point and width the address names.
async function main() {
  const base64 = document.getElementById('module').textContent.trim();
  const module = await WebAssembly.compile(Uint8Array.from(atob(base64), c => c.charCodeAt(0)));
  const run = await runProgram(module);
  document.getElementById('stdout').textContent = run.stdout;
  document.getElementById('status').textContent = run.status;
  document.getElementById('stderr').textContent = run.stderr === '' ? 'empty' : run.stderr;
  const { exports } = await instantiate(module);
  document.getElementById('run-verdicts').replaceChildren(...runVerdicts(runModel(exports), run.stdout));
  const page = new Page(exports);
  follow(page);
  page.show(addressTexts(), 'keep');
}

main().catch(error => {
  document.getElementById('input-error').hidden = false;
  document.getElementById('input-error').textContent = `The page failed: ${error}`;
});
