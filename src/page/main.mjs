// The page at work: runs the program, reads the point and the width from the address or the form,
// computes every evaluation there and draws it, and keeps what it shows in #results for scripts.
import { instantiate, runProgram } from './wasi.mjs';
import {
  NARROWEST, WIDEST, exactTerms, exactValue, leastExactWidth, nearest, outward, reusingPowers, reusingPowersFused,
  termByTerm, termByTermFused,
} from './arithmetic.mjs';
import { LONGEST_CHAIN, REUSING_POWERS, TERM_BY_TERM, account, stepExponent, verdict } from './account.mjs';
import { grouped, hexfloat, inSteps, minus, power, scientific } from './text.mjs';
import {
  accountTable, h, integer, nonFiniteCard, overflowTable, quantities, relativeText, scrolling, spacingText, verdictCard,
} from './views.mjs';

// The program's own point, where it always evaluates.
const PROGRAM_POINT = { x: 9478657n, y: 2298912n };
// binary64's significand width; the widths one click away, with the formats that have them.
const BINARY64 = 53;
const PRESETS = [[11, 'binary16'], [24, 'binary32'], [53, 'binary64'], [64, 'x87 extended'], [113, 'binary128']];
// The longest integers the fields take: enough for any lesson, short enough to draw at once.
const MOST_DIGITS = 100;

// The program's routines the module exports: what each computes, in which format it holds its
// operands, its order and how many steps it records.
const ROUTINES = [
  { label: 'Single', export: 'sum_terms_single', format: 'binary32', order: TERM_BY_TERM, subtractT2: true,
    what: 'binary32 operands, widened exactly before each multiply; it subtracts the 578·x²·y⁴ term, so it evaluates another polynomial, g' },
  { label: 'Double and Extended', export: 'sum_terms_double', format: 'binary64', order: TERM_BY_TERM, subtractT2: false,
    what: 'binary64 operands, term by term; the program prints this one computation under both labels' },
  { label: 'Extended2', export: 'sum_reusing_powers', format: 'binary64', order: REUSING_POWERS, subtractT2: false,
    what: 'binary64 operands, x⁴ and y⁴ computed once and reused' },
];

// Whether the integer v is a value of the format exactly, so that the routine sees the point itself.
function holds(format, v) {
  const n = Number(v);
  return Number.isFinite(n) && BigInt(n) === v && (format === 'binary64' || Math.fround(n) === n);
}

// The steps one exported routine records at (x, y), as binary64 numbers.
function routineSteps(exports, routine, x, y) {
  exports[routine.export](Number(x), Number(y));
  const count = routine.order.names(false).length;
  return Array.from(new Float64Array(exports.memory.buffer, exports.steps(), count));
}

// The fields' texts checked: { x, y, p } as numbers, or { problems } naming each field that is wrong.
function parse(texts) {
  const problems = [], values = {};
  for (const name of ['x', 'y']) {
    const text = texts[name].trim();
    if (/^[+-]?[0-9]{1,100}$/.test(text)) values[name] = BigInt(text);
    else problems.push({ field: name, text: `${name} must be a whole number of at most ${MOST_DIGITS} digits, such as ` +
      `${PROGRAM_POINT[name]}; ${text === '' ? 'it is empty' : `“${text}” is not`}.` });
  }
  const p = texts.p.trim();
  if (/^[0-9]{1,4}$/.test(p) && Number(p) >= NARROWEST && Number(p) <= WIDEST) values.p = Number(p);
  else problems.push({ field: 'p', text: `p must be a whole number of bits from ${NARROWEST} to ${WIDEST}; ` +
    `${p === '' ? 'it is empty' : `“${p}” is not`}.` });
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

// The verdict cards of the program's four lines, at its own point.
function runVerdicts(exports, stdout) {
  const { x, y } = PROGRAM_POINT, printed = stdout.split('\n').filter(line => line !== '');
  const exponent = stepExponent(x, y, BINARY64);
  const [single, double, reuse] = ROUTINES.map(routine => routineSteps(exports, routine, x, y).map(v => BigInt(v)));
  const lines = [[single, true], [double, false], [double, false], [reuse, false]];
  return lines.map(([steps, subtractT2], i) => verdictCard(printed[i] ?? '(no line)',
    subtractT2 ? 'It evaluates g, with the 578·x²·y⁴ term subtracted.' : null,
    verdict(steps[steps.length - 1], exactValue(x, y, subtractT2)), subtractT2 ? 'g' : 'f', exponent));
}

// The section on why the evaluations fail at (x, y): the terms against f, the condition number and
// the error bound beside the observed errors, and the algebra where the point solves x² − 17·y² = 1.
function whySection(x, y) {
  const terms = exactTerms(x, y), f = exactValue(x, y), magnitude = f < 0n ? -f : f;
  const names = ['+83521·y⁸', '+578·x²·y⁴', '−2·x⁴', '+2·x⁶', '−x⁸'];
  const sum = terms.reduce((a, b) => a + b);
  const termRows = terms.map((t, i) => [names[i], integer(t), f === 0n ? '—' : scientific(t, magnitude)]);
  const content = [h('h2', { id: 'why-heading' }, 'Why, at this point'),
    scrolling('terms-caption', 'The terms of f, exactly, against |f|', ['term', 'value', 'term / |f|'], termRows),
    f === 0n ? h('p', {}, 'f = 0 here: no error can be measured against it, and the condition number is infinite.') : conditionBlock(x, y, f, sum, magnitude)];
  return [content, pellBlock(x, y, f),
    h('p', {}, 'What other arithmetic gives here, the x87 unit’s 64-bit significands, a fused multiply-add, binary128 ',
      'or any other width, is in ', h('a', { href: '#width' }, 'the table of widths below'), '.')];
}

// κ, the bound γₙ·κ with binary64's unit roundoff, and the relative errors binary64 gives here.
function conditionBlock(x, y, f, sum, magnitude) {
  const n = BigInt(LONGEST_CHAIN), unitDenominator = 1n << BigInt(BINARY64);
  // γₙ = nu / (1 − nu) with u = 2⁻⁵³ is n / (2⁵³ − n); the bound γₙ·κ is n·Σ|terms| / ((2⁵³ − n)·|f|).
  const bound = [n * sum, (unitDenominator - n) * magnitude];
  const ar = nearest(BINARY64);
  const relative = result => relativeText(verdict(result, f).relative, 'f');
  const subscript = [...String(LONGEST_CHAIN)].map(d => '₀₁₂₃₄₅₆₇₈₉'[d]).join('');
  const trusted = bound[0] >= bound[1]
    ? 'The bound is not below 1: no digit of a binary64 result, not even its sign, can be trusted here.'
    : 'The bound is below 1: binary64 is promised a relative error of at most that much here.';
  return [
    h('p', {}, `κ = Σ|terms| / |f| is the condition number: how much the sum magnifies the terms' relative errors. `,
      `Each term reaches the result through at most n = ${LONGEST_CHAIN} roundings (T1: eight multiplications, then four sums), `,
      `each a factor (1 + δ) with |δ| ≤ u, the unit roundoff; together they stay within γₙ = nu / (1 − nu). `,
      `So |computed − f| ≤ γ${subscript}·Σ|terms|, and the relative error is at most γ${subscript}·κ.`),
    quantities([
      ['Σ|terms|', integer(sum)], ['|f|', integer(magnitude)], ['κ = Σ|terms| / |f|', scientific(sum, magnitude)],
      [`u = ${power(2, -BINARY64)}, binary64`, scientific(1n, unitDenominator)],
      [`γ${subscript} = ${LONGEST_CHAIN}u / (1 − ${LONGEST_CHAIN}u)`, scientific(n, unitDenominator - n)],
      [`bound on the relative error, γ${subscript}·κ`, scientific(...bound)],
      ['observed at 53 bits, term by term', relative(termByTerm(ar, x, y)[8])],
      ['observed at 53 bits, powers reused', relative(reusingPowers(ar, x, y)[10])],
    ]),
    h('p', {}, trusted)];
}

// x² − 17·y² at the point, and where it is 1, f = 1 − 2x² and what 1 − 2·x·x gives in binary64.
function pellBlock(x, y, f) {
  const pell = x * x - 17n * y * y;
  if (pell !== 1n) {
    return h('p', {}, `Here x² − 17·y² = ${minus(grouped(pell))}, not 1, so the terms do not collapse to a short form: `,
      'the points that solve x² − 17·y² = 1 (above the form) are those where f = 1 − 2·x² and the terms cancel almost completely.');
  }
  const ar = nearest(BINARY64), limit = 1n << BigInt(BINARY64);
  const square = ar.mul(ar.of(x), ar.of(x)), double = ar.mul(2n, square), result = ar.sub(1n, double);
  const against = (value, exact) => (value === exact ? 'exact' : `off by ${minus(grouped(value - exact))}`);
  const below = v => ((v < 0n ? -v : v) < limit ? 'is' : 'is not');
  const why = `Every integer below ${power(2, BINARY64)} = ${grouped(limit)} is a binary64. Here x² = ${grouped(x * x)} ` +
    `${below(x * x)} below it and |1 − 2·x²| = ${grouped(f < 0n ? -f : f)} ${below(f)}: ` +
    (result === f ? 'no step rounds, and the algebra gives f exactly where the terms gave nothing right.' : 'a step rounds.');
  return h('div', {}, h('p', {}, 'Here x² − 17·y² = 1: the point solves Pell’s equation, so with u = x² and v = 17·y² = u − 1 ',
    'every power of u of degree two and more cancels, and f = 1 − 2·x². In binary64, step by step:'),
  scrolling('algebra-caption', '1 − 2·x·x in binary64', ['step', 'binary64', 'against the exact value'], [
    ['x·x', integer(square), against(square, x * x)], ['2·x·x', integer(double), against(double, 2n * x * x)],
    ['1 − 2·x·x', integer(result), against(result, f)]]),
  h('p', {}, why));
}

// The section on the program's routines at (x, y): each one's binary64 steps from the module, with
// each operation's rounding error and the result's verdict, checked against the page's own 53-bit
// arithmetic.
function routinesSection(exports, x, y) {
  const exponent = stepExponent(x, y, BINARY64), point = { x, y };
  const parts = ROUTINES.map((routine, i) => {
    const heading = h('h3', {}, routine.label), what = h('p', {}, routine.what, '.');
    const unheld = ['x', 'y'].filter(name => !holds(routine.format, point[name]));
    if (unheld.length) {
      return [heading, h('p', {}, `${routine.format} cannot hold ${unheld.map(name => `${name} = ${grouped(point[name])}`).join(' and ')} `,
        'exactly, so the routine is not given this point. The widths below round the operands instead.')];
    }
    const values = routineSteps(exports, routine, x, y), names = routine.order.names(routine.subtractT2);
    const of = routine.subtractT2 ? 'g' : 'f', caption = `${routine.label}, step by step in binary64`;
    if (!values.every(Number.isFinite)) {
      return [heading, what, h('div', { class: 'cards' }, nonFiniteCard(`${routine.label}’s result`, null, values[values.length - 1], 4)),
        overflowTable(`routine-${i}`, caption, names, values),
        h('p', {}, 'The widths below have no largest number, so there the evaluation goes on.')];
    }
    const steps = values.map(v => BigInt(v)), acc = account(routine.order, steps, x, y, routine.subtractT2);
    const own = (routine.order === TERM_BY_TERM ? termByTerm(nearest(BINARY64), x, y, routine.subtractT2)
      : reusingPowers(nearest(BINARY64), x, y));
    const differs = own.findIndex((v, k) => v !== steps[k]);
    return [heading, what, h('div', { class: 'cards' }, verdictCard(`${routine.label}’s result`, null, verdict(acc.result, acc.exact), of, exponent, 4)),
      accountTable(`routine-${i}`, caption, acc, exponent, values.map(hexfloat)),
      h('p', { class: differs < 0 ? 'check' : 'error' }, differs < 0
        ? 'The page’s own 53-bit arithmetic (below) gives each of these steps bit for bit.'
        : `The page’s own 53-bit arithmetic differs at ${names[differs]}: one of the two is wrong.`)];
  });
  return [h('h2', { id: 'routines-heading' }, 'The program’s routines at this point'),
    h('p', {}, 'The module’s own evaluations, called at this point, every step as binary64 computes it. Each ',
      'operation’s rounding error is counted in steps: ', exponent === null ? 'here every term is 0.'
        : `the spacing of binary64 numbers at the largest term, ${spacingText(exponent)}. A sum near that term can only `,
      exponent === null ? '' : 'move by whole steps. The effects add up to the result’s distance from the exact value.'),
    parts];
}

// What p bits give at the point for the term-by-term order (Double's) and the power-reuse order
// (Extended2's), plain and fused, and the interval enclosure; values as BigInt.
function atWidth(x, y, p) {
  const ar = nearest(p);
  return {
    termByTerm: termByTerm(ar, x, y), reusingPowers: reusingPowers(ar, x, y),
    fused: [termByTermFused(p, x, y), reusingPowersFused(p, x, y)], interval: termByTerm(outward(p), x, y)[8],
  };
}

// The operands that p bits cannot hold, each with the value it enters the evaluation as.
function roundedOperands(x, y, p) {
  const ar = nearest(p), named = [['x', x], ['y', y], ['83521', 83521n], ['578', 578n]];
  return named.filter(([, v]) => ar.of(v) !== v).map(([name, v]) => `${name} enters as ${minus(grouped(ar.of(v)))}`);
}

// The card of the interval enclosure at p bits: its ends, whether it holds 0 and f.
function intervalCard([low, high], f, exponent) {
  const holdsZero = low <= 0n && 0n <= high, holdsF = low <= f && f <= high;
  return h('article', { class: `card ${holdsZero ? 'bad' : 'good'}` }, h('h3', {}, 'Interval, term by term'),
    h('p', { class: 'summary' }, holdsZero ? 'holds 0: the sign is undecided' : `decides the sign: ${low > 0n ? 'positive' : 'negative'}`),
    h('p', { class: 'what' }, 'Every operation rounded outward, each lower end down and each upper end up, so the pair encloses the exact value.'),
    quantities([['lower end', integer(low)], ['upper end', integer(high)], ['holds 0', holdsZero ? 'yes' : 'no'],
      ['holds f', holdsF ? 'yes' : 'no (impossible: a fault)'],
      exponent === null ? null : ['width', `${inSteps(high - low, exponent)} steps`]].filter(Boolean)));
}

// The table of what the preset widths, the least exact one and p give at the point.
function widthsTable(x, y, p, exactFrom, choose) {
  const f = exactValue(x, y), names = new Map(PRESETS);
  const widths = [...new Set([...PRESETS.map(([w]) => w), exactFrom, p])].filter(Boolean).sort((a, b) => a - b);
  const value = v => h('span', {}, integer(v), v === f ? h('span', { class: 'tag' }, ' = f') : null);
  const rows = widths.map(w => {
    const at = atWidth(x, y, w);
    const format = names.get(w) ?? (w === exactFrom ? 'least exact' : null);
    return [[h('button', { type: 'button', 'aria-pressed': String(w === p), onclick: () => choose(w) }, String(w)),
      format ? h('span', { class: 'format' }, ' ', format) : null],
    value(at.termByTerm[8]), value(at.reusingPowers[10]), value(at.fused[0]), value(at.fused[1])];
  });
  return scrolling('widths-caption', 'The results at other widths (choose one to see its steps)',
    ['p, bits', 'term by term', 'powers reused', 'fused, term by term', 'fused, powers reused'], rows);
}

// The section on p-bit arithmetic at the point: verdicts on both orders, plain and fused, the
// interval, the least exact width, the other widths, and each order's account.
function widthSection(x, y, p, exactFrom, choose) {
  const at = atWidth(x, y, p), f = exactValue(x, y), exponent = stepExponent(x, y, p);
  const name = new Map(PRESETS).get(p), operands = roundedOperands(x, y, p);
  const card = (title, what, result) => verdictCard(title, what, verdict(result, f), 'f', exponent);
  const below = exactFrom !== null && exactFrom > NARROWEST ? termByTerm(nearest(exactFrom - 1), x, y)[8] - f : null;
  const exactText = exactFrom === null
    ? `No width up to ${WIDEST} bits makes the term-by-term order give f exactly.`
    : `The term-by-term order gives f exactly from ${exactFrom} bits on, at every width up to ${WIDEST}` +
      (below === null ? '.' : `; at ${exactFrom - 1} bits it is off by ${minus(grouped(below))}.`);
  const accounts = [[TERM_BY_TERM, at.termByTerm, 'Term by term (Double’s order)'], [REUSING_POWERS, at.reusingPowers, 'Powers reused (Extended2’s order)']]
    .map(([order, steps, title], i) => accountTable(`width-${i}`, `${title} at ${p} bits, step by step`, account(order, steps, x, y), exponent));
  return [h('h2', { id: 'width-heading' }, `At ${p} bits${name ? ` (${name})` : ''}`),
    h('p', {}, `Both orders again, with every operand, product and sum rounded to ${p} significant bits, to nearest `,
      'with ties to even. The exponent is unbounded: nothing overflows and nothing is subnormal, so only the width of ',
      'the significand differs from the real formats. Every value is an integer, computed exactly.'),
    operands.length ? h('p', {}, `${p} bits cannot hold every operand: ${operands.join('; ')}.`) : null,
    h('div', { class: 'cards' },
      card('Term by term', 'Double’s order', at.termByTerm[8]), card('Powers reused', 'Extended2’s order', at.reusingPowers[10]),
      card('Fused, term by term', 'each sum fused with the last product of a term, rounded once, as a compiler contracts them', at.fused[0]),
      card('Fused, powers reused', 'the same contraction in Extended2’s order', at.fused[1]),
      intervalCard(at.interval, f, exponent)),
    h('p', {}, exactText), widthsTable(x, y, p, exactFrom, choose), accounts];
}

// What the page shows at (x, y) and p, for scripts: the values as decimal integer strings.
function results(x, y, p, exactFrom) {
  const at = atWidth(x, y, p), text = v => v.toString();
  return {
    x: text(x), y: text(y), p, f: text(exactValue(x, y)),
    term_by_term: { steps: at.termByTerm.map(text), result: text(at.termByTerm[8]), fused: text(at.fused[0]), interval: at.interval.map(text) },
    powers_reused: { steps: at.reusingPowers.map(text), result: text(at.reusingPowers[10]), fused: text(at.fused[1]) },
    exact_from: exactFrom,
  };
}

// Puts the children into the element id and shows it; with null, empties and hides it.
function fill(id, children) {
  const element = document.getElementById(id);
  element.replaceChildren(...[children ?? []].flat(Infinity).filter(child => child !== null && child !== false));
  element.hidden = children === null;
}

// Links to the first solutions of x² − 17·y² = 1, each the previous one times 33 + 8·√17.
function chainLinks(count, choose) {
  const links = [];
  for (let x = 33n, y = 8n; links.length < count; [x, y] = [33n * x + 136n * y, 8n * x + 33n * y]) {
    const [px, py] = [x, y];
    links.push(h('a', { href: `?x=${x}&y=${y}`, onclick: event => choose(event, px, py) }, `(${x}, ${y})`));
  }
  return links.flatMap(link => [link, ' ']);
}

// The page's state and the drawing of the chosen point and width.
class Page {
  constructor(exports) {
    this.exports = exports;
    this.exactFrom = new Map();  // the least exact width of each point drawn, by "x,y"
    this.drawn = null;  // the point whose sections are drawn, as "x,y"
    this.fields = Object.fromEntries(['x', 'y', 'p'].map(name => [name, document.getElementById(name)]));
  }

  // Draws the fields' texts: everything at the point and width they name, or what is wrong with them.
  // address: 'push' or 'replace' puts them in the address, anything else leaves it.
  show(texts, address) {
    const parsed = parse(texts), error = document.getElementById('input-error');
    for (const [name, field] of Object.entries(this.fields)) {
      const problem = parsed.problems?.find(found => found.field === name);
      field.value = problem ? texts[name] : texts[name].trim();
      field.toggleAttribute('aria-invalid', Boolean(problem));
    }
    if (parsed.problems) {
      error.replaceChildren(...parsed.problems.map(problem => h('span', {}, problem.text, ' ')));
      error.hidden = false;
      for (const id of ['point', 'why', 'routines', 'width']) fill(id, null);
      this.drawn = null;
      this.publish({ error: parsed.problems });
      return;
    }
    error.hidden = true;
    const started = performance.now();
    this.draw(parsed);
    document.getElementById('timing').textContent = `Computed and drawn in ${Math.round(performance.now() - started)} ms.`;
    if (address === 'push' || address === 'replace') {
      const query = `?${new URLSearchParams({ x: parsed.x, y: parsed.y, p: parsed.p })}`;
      try {
        history[`${address}State`](null, '', query);
      } catch {
        // A browser that keeps file: addresses fixed: the page still shows the choice.
      }
    }
  }

  // Draws every section at (x, y) and p and publishes the results.
  draw({ x, y, p }) {
    const exactFrom = this.leastExactWidth(x, y), key = `${x},${y}`;
    fill('width', widthSection(x, y, p, exactFrom, width => this.choose(width, 'push')));
    if (this.drawn !== key) {  // at the same point, only the width's section changes
      const least = document.getElementById('least-exact');
      least.disabled = exactFrom === null;
      least.textContent = exactFrom === null ? `least exact width: none up to ${WIDEST}` : `${exactFrom} least exact width`;
      fill('point', [`At x = ${minus(grouped(x))}, y = ${minus(grouped(y))}, f(x, y) = `,
        h('output', { id: 'exact-f' }, minus(grouped(exactValue(x, y)))), ' exactly.']);
      fill('why', whySection(x, y));
      fill('routines', routinesSection(this.exports, x, y));
      this.drawn = key;
    }
    this.publish(results(x, y, p, exactFrom));
  }

  // The least exact width at (x, y), found once for each point.
  leastExactWidth(x, y) {
    const key = `${x},${y}`;
    if (!this.exactFrom.has(key)) this.exactFrom.set(key, leastExactWidth(x, y));
    return this.exactFrom.get(key);
  }

  // Draws the width p at the point in the fields.
  choose(p, address) {
    this.show({ x: this.fields.x.value, y: this.fields.y.value, p: String(p) }, address);
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

// Runs the program, then draws the point and width the address names, and follows the form.
async function main() {
  const base64 = document.getElementById('module').textContent.trim();
  const module = await WebAssembly.compile(Uint8Array.from(atob(base64), c => c.charCodeAt(0)));
  const run = await runProgram(module);
  document.getElementById('stdout').textContent = run.stdout;
  document.getElementById('status').textContent = run.status;
  document.getElementById('stderr').textContent = run.stderr === '' ? 'empty' : run.stderr;
  const { exports } = await instantiate(module);
  document.getElementById('run-verdicts').replaceChildren(...runVerdicts(exports, run.stdout));

  const page = new Page(exports), form = document.getElementById('choice');
  const fieldTexts = () => Object.fromEntries(Object.entries(page.fields).map(([name, field]) => [name, field.value]));
  form.addEventListener('submit', event => { event.preventDefault(); page.show(fieldTexts(), 'push'); });
  page.fields.p.addEventListener('input', () => { if (parse(fieldTexts()).p) page.show(fieldTexts(), 'replace'); });
  for (const button of form.querySelectorAll('button[data-p]')) button.addEventListener('click', () => page.choose(button.dataset.p, 'push'));
  document.getElementById('least-exact').addEventListener('click', () => {
    const { x, y } = parse({ ...fieldTexts(), p: String(BINARY64) });
    const width = x === undefined ? null : page.leastExactWidth(x, y);
    if (width !== null) page.choose(width, 'push');
  });
  document.getElementById('chain').append(...chainLinks(6, (event, x, y) => {
    if (event.ctrlKey || event.metaKey || event.shiftKey) return;
    event.preventDefault();
    page.show({ x: String(x), y: String(y), p: page.fields.p.value }, 'push');
  }));
  window.addEventListener('popstate', () => page.show(addressTexts(), 'keep'));
  page.show(addressTexts(), 'keep');
}

main().catch(error => {
  document.getElementById('input-error').hidden = false;
  document.getElementById('input-error').textContent = `The page failed: ${error}`;
});
