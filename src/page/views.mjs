// The page's views: DOM elements made from what the models hold, and the words that explain them.
// No view computes a number of its own; numbers come as parts (text.mjs) and are rendered here, last.
import { compact, grouped, hexfloat, inSteps, minus, power, spacingText, text } from './text.mjs';
import { GLOSSARY, glossed } from './glossary.mjs';
import { OTHER_COLOURS, TONES, listed, relativeText, summary } from './words.mjs';
import { ANSWERS, judged } from './questions.mjs';

// Whether numbers are drawn for the back of a lecture room: the exponent a superscript element of its
// own size, rather than superscript digits.
let large = false;
export function drawnLarge(draw) {
  large = true;
  try {
    return draw();
  } finally {
    large = false;
  }
}

// A number's parts as the page shows them, one element that a line never breaks on paper.
function numberNode({ mantissa, base, exponent }) {
  if (!large) return h('span', { class: 'num' }, text({ mantissa, base, exponent }));
  const lead = exponent === null ? mantissa : `${mantissa === null ? '' : `${mantissa}·`}${base}`;
  return h('span', { class: 'big' }, lead, exponent === null ? null : h('sup', { class: 'exponent' }, minus(exponent)));
}

// The address of a term's entry in the page's glossary, which every later use of it links to.
const glossaryAddress = term => `#glossary-${term}`;

// Gives the markup's later uses of terms (a.glossed[data-term]) their glossary entries' addresses,
// once the glossary is drawn: until then they lead nowhere, and so are links without an address.
export function linkGlossed(root) {
  for (const use of root.querySelectorAll('a.glossed[data-term]'))
    use.setAttribute('href', glossaryAddress(use.dataset.term));
}

// A part of words as the page shows it: a number's parts, a term's later use (a link to its glossary
// entry) or its first (its defining instance); in the lecture, whose glossary is a key away, a term is
// marked and not linked, and a first use has no id of its own (the page's is in the document).
function partNode(part) {
  if ('exponent' in part) return numberNode(part);
  if (large) return h('span', { class: 'glossed' }, part.words);
  if ('term' in part) return h('a', { class: 'glossed', href: glossaryAddress(part.term) }, part.words);
  return h('dfn', { id: `dfn-${part.dfn}` }, part.words);
}

// An element with attributes (a class, an id, aria-* and data-* attributes, an event listener as
// onclick) and children: strings, parts (numbers, terms), elements, arrays of them; null and false
// are left out.
export function h(tag, attributes, ...children) {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    if (name.startsWith('on')) made.addEventListener(name.slice(2), value);
    else if (value !== null && value !== undefined && value !== false) made.setAttribute(name, value);
  }
  const shown = children.flat(Infinity).filter(child => child !== null && child !== false && child !== undefined);
  const part = child => typeof child === 'object' && ('exponent' in child || 'term' in child || 'dfn' in child);
  made.append(...shown.map(child => (part(child) ? partNode(child) : child)));
  return made;
}

// The glossary as a list of its terms, each entry's id prefixed (glossary-<id>: the one later uses link
// to), a format's with its significant bits from the page's widths (widths: width → format's name);
// on the page, each with a link back to the term's first use, where it is defined in its sentence.
export function glossaryList(prefix, back, widths) {
  const bits = format => [...widths].find(([, name]) => name === format)?.[0];
  const entry = ([id, name, says, format]) =>
    h(
      'div',
      {},
      h('dt', { id: `${prefix}-${id}` }, name),
      h(
        'dd',
        {},
        says,
        format ? `: numbers of ${bits(format)} significant bits.` : null,
        back ? [' ', h('a', { href: `#dfn-${id}`, class: 'first-use' }, 'first use')] : null,
      ),
    );
  return h('dl', { class: 'glossary' }, GLOSSARY.map(entry));
}

// An integer as the page shows it: short (seven significant digits), with its full digits grouped
// beside it, shown when the table or card it stands in shows all digits (digitsToggle).
export function integer(n) {
  const short = compact(n);
  const digits = short.exponent === null ? null : h('span', { class: 'digits' }, grouped(n));
  return h('span', { class: 'number' }, short, digits);
}

// The button that shows or hides all digits of the numbers in the element `id`.
function digitsToggle(id) {
  const attributes = { type: 'button', class: 'digits-toggle', 'aria-controls': id, 'aria-pressed': 'false' };
  return h('button', attributes, 'all digits');
}

// Answers a click on an all-digits button: shows or hides the full digits of its table or card.
export function toggleDigits(event) {
  const button = event.target.closest('button.digits-toggle');
  if (!button) return;
  const shown = button.getAttribute('aria-pressed') !== 'true';
  button.setAttribute('aria-pressed', String(shown));
  document.getElementById(button.getAttribute('aria-controls')).classList.toggle('all-digits', shown);
}

// An error counted in steps of 2^exponent, or a dash where every term is 0.
export const steps = (error, exponent) => (exponent === null ? '—' : inSteps(error, exponent));

// A wide table under its title, in a scroll region of its own that the title labels and a keyboard
// can reach; where the table has long numbers, the title holds its all-digits button. Rows are lists
// of cells (null cells left out), or { cells, class } for a row of a class of its own.
export function scrolling(id, title, head, rows, foot = []) {
  const cell = tag => (content, i) =>
    i === 0 && tag === 'td' ? h('th', { scope: 'row' }, content) : h(tag, {}, content);
  const row = tag => given => {
    const { cells, class: kind } = Array.isArray(given) ? { cells: given } : given;
    return h('tr', { class: kind }, cells.filter(c => c !== null).map(cell(tag)));
  };
  const body = [h('thead', {}, row('th')(head)), h('tbody', {}, rows.map(row('td')))];
  if (foot.length) body.push(h('tfoot', {}, foot.map(row('td'))));
  const attributes = { class: 'scroll', role: 'region', 'aria-labelledby': id, tabindex: 0, id: `${id}-region` };
  const region = h('div', attributes, h('table', { 'aria-labelledby': id }, body));
  const toggle = region.querySelector('.digits') ? [' ', digitsToggle(`${id}-region`)] : null;
  return [h('p', { class: 'table-title' }, h('span', { id }, title), toggle), region];
}

// The legend of the colours the page gives results, shown once where the cards first appear (and in
// the lecture's glossary): a swatch in each tone, drawn as a card's bar is, its colour's name and its
// one meaning, and what the other colours mean.
export function toneLegend() {
  const item = ([tone, colour, meaning]) =>
    h(
      'li',
      { class: tone },
      h('span', { class: 'tone-swatch', 'aria-hidden': 'true' }),
      h('strong', {}, colour),
      ': ',
      meaning,
    );
  return h(
    'div',
    { class: 'tone-legend' },
    h('p', {}, 'The colour of a result’s bar grades how wrong it is:'),
    h('ul', {}, TONES.map(item)),
    OTHER_COLOURS.map(words => h('p', {}, words)),
  );
}

// A result's sign in words, from its own evidence alone: exact where the result is the exact value,
// proven where its own rigorous bound proves it (proves), else right or wrong as it is; of: f or g.
function signText(v, of, proves) {
  if (v.tone === 'exact') return `exact: the result is ${of}`;
  if (v.sign !== 'right') return { wrong: 'wrong', lost: 'lost: the result is 0', none: 'none: f is 0' }[v.sign];
  return proves ? 'proven: its own error bound is below |f|' : 'right';
}

// The cards made so far, for ids of their own.
let cards = 0;

// A card: a title, summary lines (in its tone, but for a line given as an element), a description,
// quantities, more below, and an all-digits button where a quantity is a long number. tone is one of
// account.mjs's tones, neutral (a result of g) or none (no result).
export function card(tone, title, lines, description, rows, more = null) {
  const id = `card-${++cards}`;
  const list = quantities(rows.filter(Boolean));
  const said = lines.map(line => (line?.nodeType === 1 ? line : h('p', { class: 'summary' }, line)));
  if (description) said.push(h('p', { class: 'what' }, description));
  const toggle = list.querySelector('.digits') ? digitsToggle(id) : null;
  return h('article', { class: `card ${tone}`, id }, h('h3', {}, title), said, list, more, toggle);
}

// The rows of a card on one verdict against the exact value named of, its error also in steps of
// 2^exponent (none where exponent is null); proves: whether the result's own bound proves its sign.
function verdictRows(v, of, exponent, proves) {
  const rows = [[`exact ${of}`, integer(v.exact)]];
  const relative = [glossed('relative-error', 'relative error'), ` against ${of}`];
  rows.push([`error against ${of}`, integer(v.error)], [relative, relativeText(v.relative, of)]);
  rows.push([`sign against ${of}`, signText(v, of, proves)]);
  const counted = ['error in ', glossed('step', 'steps')];
  if (exponent !== null) rows.push([counted, [steps(v.error, exponent), ', each ', spacingText(exponent)]]);
  return rows;
}

// The verdict on one result as a card. A result of g has its verdict against f too (againstF): then
// the card is neutral, as its digits are g's and not f's.
export function verdictCard(title, description, v, { of = 'f', exponent = null, proves, againstF = null, more } = {}) {
  const computed = ['computed', integer(v.result)];
  if (againstF === null) {
    const rows = [computed, ...verdictRows(v, of, exponent, proves)];
    return card(v.tone, title, [summary(v, of)], description, rows, more);
  }
  const lines = [['against f: ', summary(againstF)]];
  lines.push([`against ${of}, its own: `, summary(v, of)]);
  const rows = [computed, ...verdictRows(againstF, 'f', null), ...verdictRows(v, of, exponent)];
  return card('neutral', title, lines, description, rows);
}

// A card for a result that is not a number the page can weigh, an overflow or a NaN, and its steps.
export function nonFiniteCard(title, values, stepsOf) {
  const v = values.at(-1);
  const why = Number.isNaN(v)
    ? 'not a number (NaN): two terms overflowed to ∞, and ∞ − ∞ has no value'
    : `${v > 0 ? '+' : '−'}∞: a step went past the largest binary64, about 1.797693·10³⁰⁸, and overflowed`;
  const shown = w => (Number.isFinite(w) ? integer(BigInt(w)) : Number.isNaN(w) ? 'NaN' : `${w > 0 ? '+' : '−'}∞`);
  const table = values.map((w, i) => [stepName(stepsOf[i]), [shown(w), ' ', h('code', { class: 'hex' }, hexfloat(w))]]);
  return card('worst', title, ['overflow'], `The result is ${why}.`, table);
}

// A step's name as the program writes it, its chain of operations left to right: T1 = 83521·y·y·…,
// S = U1 = 83521·Y4·Y4 (held in S, called U1), S = S − T3, h = h·s + c1.
export function stepName(step) {
  const written = (text, op, k) => `${k ? text : minus(op.a)}${op.op === '×' ? '·' : ` ${op.op} `}${minus(op.b)}`;
  const called = step.label === step.name ? '' : `${step.label} = `;
  return `${step.name} = ${called}${step.ops.reduce(written, '')}`;
}

// A term's formula with the sign it enters f with, as parts, from its chain of multiplications and the
// operation that takes it: each factor once, a repeated one as its power, T1 → +83521·y⁸, T3 → −2·x⁴.
export function formula(step) {
  const factors = [step.ops[0].a, ...step.ops.map(op => op.b)];
  const counts = new Map();
  for (const factor of factors) counts.set(factor, (counts.get(factor) ?? 0) + 1);
  const written = [...counts].flatMap(([factor, k], i) => [i ? '·' : '', k > 1 ? power(factor, k) : minus(factor)]);
  return [step.sign < 0 ? '−' : '+', ...written];
}

// What happened at one step of an account, in words: a note on it, a sum's own rounding, or a term's
// or power's error, from all the roundings that formed it.
const NOTES = {
  exact: 'exact: nothing rounded',
  absorbed: 'absorbed: the sum did not change',
  Sterbenz: ['exact: ', glossed('sterbenz', 'Sterbenz’s lemma'), ' (S and the term within a factor of 2)'],
};
const happened = row =>
  NOTES[row.note] ??
  (row.role === 'sum' ? 'the sum’s own rounding' : `the ${row.role}’s error, from all its roundings`);

// The account of one evaluation (account.mjs's) as a table: each step's value, its error (a term's
// or power's from all its roundings, or a sum's own rounding) and that error's effect on the result,
// in steps of 2^exponent, and what happened; hex, when given, holds the binary64 steps in hexadecimal.
export function accountTable(id, caption, acc, exponent, hex) {
  const unit = exponent === null ? '' : [', in ', glossed('step', 'steps'), ' of ', power(2, exponent)];
  const head = ['step', 'value', hex && 'hexadecimal', ['a term’s or power’s error', unit]];
  head.push(['a sum’s own rounding', unit], 'effect on the result', 'what happened');
  const words = content => h('span', { class: 'words' }, content);
  const rows = acc.rows.map((row, i) => {
    const [own, sum] = row.role === 'sum' ? ['', steps(row.error, exponent)] : [steps(row.error, exponent), ''];
    const effect = row.effect === null ? words(`inside ${listed(row.inside)}`) : steps(row.effect, exponent);
    const code = hex ? h('code', { class: 'hex' }, hex[i]) : null;
    return [stepName(row), integer(row.value), code, own, sum, effect, words(happened(row))];
  });
  const [blank, strong] = [hex ? '' : null, content => h('strong', {}, content)];
  const total = words(['= result − exact: ', steps(acc.error, exponent)]);
  const foot = [['all errors together', '', blank, '', '', strong(steps(acc.total, exponent)), total]];
  foot.push(['exact value of the polynomial', integer(acc.exact), blank, '', '', steps(acc.exact, exponent), '']);
  foot.push(['result', integer(acc.result), blank, '', '', strong(steps(acc.result, exponent)), '']);
  return scrolling(id, caption, head, rows, foot);
}

// The ordinal of k: 1st, 2nd, 3rd, 4th.
export const ordinal = k => `${k}${k === 1 ? 'st' : k === 2 ? 'nd' : k === 3 ? 'rd' : 'th'}`;

// Each term's error split into its shares (model.mjs's accountOf: each multiplication's rounding, and
// each operand that p bits cannot hold, or power, with its own error), in steps of 2^exponent, the
// largest share of each term marked.
export function sharesTable(id, caption, terms, exponent) {
  const size = share => (share < 0n ? -share : share);
  const rows = terms.flatMap(({ step, error, roundings, operands }) => {
    const largest = [...roundings, ...operands].reduce((a, { share }) => (size(share) > size(a) ? share : a), 0n);
    const marked = h('strong', { class: 'largest' }, 'the largest share');
    const mark = share => (share === largest && share !== 0n ? marked.cloneNode(true) : '');
    const term = [
      step.label,
      h('strong', {}, steps(error, exponent)),
      'the term’s error: the shares below add up to it',
    ];
    const uses = count => (count === 2 ? ', in both its uses' : count > 2 ? `, in its ${count} uses` : '');
    const own = ({ operand, power: made, count }) =>
      `${operand}${made ? '’s own error' : ', rounded as it enters'}${uses(count)}`;
    const rounding = ({ step: k, operand }) => `${ordinal(k)} multiplication, × ${operand}`;
    const row = name => share => [name(share), steps(share.share, exponent), mark(share.share)];
    return [{ cells: term, class: 'term' }, ...operands.map(row(own)), ...roundings.map(row(rounding))];
  });
  const unit = exponent === null ? '' : [', in ', glossed('step', 'steps'), ' of ', power(2, exponent)];
  const share = ['one rounding’s ', glossed('share', 'share'), unit];
  return scrolling(id, caption, ['term, and what made its error', share, 'the largest'], rows);
}

// A definition list of quantities and their values.
export function quantities(rows) {
  const pairs = rows.map(([term, value]) => h('div', {}, h('dt', {}, term), h('dd', {}, value)));
  return h('dl', { class: 'quantities' }, pairs);
}

// What a student gave in a question's form: the field's text, the choice's value (undefined where none
// is chosen), or the keys of the boxes ticked, in the table's order.
function given(form, question) {
  const kind = ANSWERS[question.kind];
  const inputs = inputsOf(form);
  if (kind.input === 'field') return inputs[0].value;
  if (kind.input === 'choice') return question.choices[inputs.findIndex(input => input.checked)]?.[0];
  return inputs.filter(input => input.checked).map(input => input.value);
}

// What each question's form held when it was last answered, by its id, with where it was asked: a
// form drawn again (its section redrawn for another reason, a window resized) takes it back.
const answers = new Map();

// What a question's inputs hold, each [its text, whether it is ticked], and sets them to that again.
const inputsOf = form => [...form.querySelectorAll('input[name="answer"]')];
const held = form => inputsOf(form).map(input => [input.value, input.checked]);
const hold = (form, values) => inputsOf(form).forEach((input, i) => ([input.value, input.checked] = values[i]));

// Judges the answer in a question's form and says so below it: right or not right, with the page's
// own numbers that decide it and why; or, for an answer not of the question's kind, what it must be,
// as a bad field is named, the field marked.
function answer(form, question) {
  const verdict = judged(question, given(form, question));
  const field = form.querySelector('input:not([type])');
  if (verdict.problem) field?.setAttribute('aria-invalid', 'true');
  else field?.removeAttribute('aria-invalid');
  const said = verdict.right
    ? [h('strong', {}, 'Right: '), verdict.answer, '.']
    : [h('strong', {}, 'Not right: '), `you gave ${verdict.given}; the page gives ${verdict.answer}.`];
  const shown = verdict.problem
    ? [h('p', { class: 'error' }, verdict.problem, '.')]
    : [h('p', { class: 'verdict' }, said), quantities(question.evidence), h('p', { class: 'why' }, question.why)];
  const judgement = verdict.problem ? (verdict.empty ? 'empty' : 'wrong kind') : verdict.right ? 'right' : 'not right';
  const out = form.querySelector('.judged');
  out.setAttribute('data-judged', judgement);
  out.replaceChildren(...shown.flat(Infinity));
  answers.set(question.id, { at: question.at, values: held(form) });
}

// A question asked on the page (questions.mjs's asked), to predict and then check: its words, a field,
// a choice or boxes to tick, and a button; below, once answered, the judgement (answer above).
export function questionBox(question) {
  const [kind, id] = [ANSWERS[question.kind], `question-${question.id}`];
  const option = (type, value, words) =>
    h('label', { class: 'option' }, h('input', { type, name: 'answer', value }), ' ', words);
  let input = h(
    'label',
    { class: 'field' },
    `Your answer, ${kind.asks}`,
    h('input', { name: 'answer', autocomplete: 'off', spellcheck: 'false', 'aria-describedby': `${id}-judged` }),
  );
  if (kind.input !== 'field') {
    const type = kind.input === 'choice' ? 'radio' : 'checkbox';
    const options = question.choices.map(([value, words], i) => option(type, type === 'radio' ? i : value, words));
    input = h('fieldset', {}, h('legend', {}, `Your answer: ${kind.asks}`), options);
  }
  const form = h(
    'form',
    { class: 'question', 'data-question': question.id, id, novalidate: true },
    h('p', { class: 'asked' }, h('strong', {}, 'Predict, then check. '), question.words),
    h('div', { class: 'answering' }, input, h('button', { type: 'submit' }, 'Check')),
    h('div', { class: 'judged', id: `${id}-judged`, role: 'status' }),
  );
  form.addEventListener('submit', event => {
    event.preventDefault();
    answer(form, question);
  });
  const before = answers.get(question.id);
  if (before?.at === question.at) {
    hold(form, before.values);
    answer(form, question);
  }
  return form;
}
