// The page's views: DOM elements made from what the other modules compute. No view computes a
// number of its own; each writes what it is given, with the words that explain it.
import { grouped, compact, hexfloat, inSteps, minus, overPowerOfTwo, power, scientific } from './text.mjs';

// An element with attributes (a class, an id, aria-* and data-* attributes, an event listener as
// onclick) and children: strings, elements, arrays of them; null and false are left out.
export function h(tag, attributes, ...children) {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    if (name.startsWith('on')) made.addEventListener(name.slice(2), value);
    else if (value !== null && value !== undefined && value !== false) {
      made.setAttribute(name, value === true ? '' : value);
    }
  }
  made.append(...children.flat(Infinity).filter(child => child !== null && child !== false && child !== undefined));
  return made;
}

// An integer as the page shows it: short, with the full digits (and the exact value, if given and
// different) one click or tap away: a button that showDigits answers. A page holds a hundred of them,
// so the digits are written out only when asked for.
export function integer(n, exact) {
  const short = compact(n);
  const other = exact !== undefined && exact !== n ? exact : undefined;
  if (other === undefined && short === minus(n.toString())) return h('span', { class: 'number' }, short);
  return h(
    'button',
    {
      type: 'button',
      class: 'number',
      'aria-expanded': 'false',
      'data-digits': n.toString(),
      'data-exact': other?.toString() ?? null,
    },
    short,
  );
}

// Answers a click on a number's button: shows its full digits, grouped, below it, or hides them.
export function showDigits(event) {
  const button = event.target.closest('button.number');
  if (!button) return;
  const shown = button.getAttribute('aria-expanded') === 'true';
  button.setAttribute('aria-expanded', String(!shown));
  if (shown) {
    button.nextElementSibling.remove();
    return;
  }
  const { digits, exact } = button.dataset;
  button.after(
    h(
      'span',
      { class: 'digits' },
      grouped(BigInt(digits)),
      exact === undefined ? null : h('span', { class: 'exact' }, 'exact: ', grouped(BigInt(exact))),
    ),
  );
}

// The spacing 2^exponent in words: 2¹³³ ≈ 1.088904·10⁴⁰.
export function spacingText(exponent) {
  const spacing = overPowerOfTwo(1n, -exponent); // 2^exponent = 1 / 2^−exponent
  return exponent >= 0 && exponent < 24
    ? power(2, exponent) + ' = ' + grouped(spacing[0])
    : `${power(2, exponent)} ≈ ${scientific(...spacing, 6)}`;
}

// A wide table under its title, in a scroll region of its own that the title labels and a keyboard
// can reach. The title stands outside the region, so that it wraps at the page's width.
export function scrolling(id, title, head, rows, foot = []) {
  const row = (cells, tag) =>
    h(
      'tr',
      {},
      cells.map((cell, i) =>
        h(i === 0 && tag === 'td' ? 'th' : tag, i === 0 && tag === 'td' ? { scope: 'row' } : {}, cell),
      ),
    );
  return [
    h('p', { class: 'table-title', id }, title),
    h(
      'div',
      { class: 'scroll', role: 'region', 'aria-labelledby': id, tabindex: 0 },
      h(
        'table',
        { 'aria-labelledby': id },
        h('thead', {}, row(head, 'th')),
        h(
          'tbody',
          {},
          rows.map(cells => row(cells, 'td')),
        ),
        foot.length
          ? h(
              'tfoot',
              {},
              foot.map(cells => row(cells, 'td')),
            )
          : null,
      ),
    ),
  ];
}

// A relative error num/den against the exact value named `of` (f or g), in words.
export function relativeText(relative, of) {
  if (relative === null) return `none: ${of} = 0`;
  const [num, den] = relative;
  if (num === den) return `1, that is 100 % of |${of}|`;
  return num < den ? `${scientific(num, den)} of |${of}|` : `${scientific(num, den)} times |${of}|`;
}

const SIGN_TEXT = {
  right: 'right',
  wrong: 'wrong',
  lost: 'lost: the result is 0',
  none: 'none to be right: the exact value is 0',
};

// The verdict on one result (from account.mjs's verdict) as a card: the computed and the exact
// value, the error, the relative error, the sign and the error in spacing steps. of names the
// polynomial (f or g); exponent is the spacing's at the largest term; level is the title's heading level.
export function verdictCard(title, description, v, of, exponent, level = 3) {
  const rows = [
    ['computed', integer(v.result)],
    [`exact ${of}`, integer(v.exact)],
    ['error', integer(v.error)],
    ['relative error', relativeText(v.relative, of)],
    ['sign', SIGN_TEXT[v.sign]],
    exponent === null ? null : ['in steps', `${inSteps(v.error, exponent)}, each ${spacingText(exponent)}`],
  ];
  return h(
    'article',
    { class: `card ${v.good ? 'good' : 'bad'}` },
    h(`h${level}`, {}, title),
    h('p', { class: 'summary' }, v.summary),
    description ? h('p', { class: 'what' }, description) : null,
    h(
      'dl',
      {},
      rows.filter(Boolean).map(([term, value]) => h('div', {}, h('dt', {}, term), h('dd', {}, value))),
    ),
  );
}

// A card for a result that is not a number the page can weigh: an overflow or a NaN, in words.
export function nonFiniteCard(title, description, value, level = 3) {
  const why = Number.isNaN(value)
    ? 'not a number (NaN): two terms overflowed to ∞, and ∞ − ∞ has no value'
    : `${value > 0 ? '+' : '−'}∞: a step went past the largest binary64, about 1.797693·10³⁰⁸, and overflowed`;
  return h(
    'article',
    { class: 'card bad' },
    h(`h${level}`, {}, title),
    h('p', { class: 'summary' }, 'overflow'),
    description ? h('p', { class: 'what' }, description) : null,
    h('p', {}, `The result is ${why}.`),
  );
}

// Words joined as a list is written: "U1 and U2", "U3, U4 and U5".
function listed(words) {
  return words.length < 2 ? words.join('') : `${words.slice(0, -1).join(', ')} and ${words.at(-1)}`;
}

const NOTES = {
  exact: 'exact: nothing rounded',
  absorbed: 'absorbed: the sum did not change',
  Sterbenz: 'exact: Sterbenz’s lemma (S and the term within a factor of 2)',
};

// The account of one evaluation (from account.mjs's account) as a table: each step's value, its
// rounding error and that error's effect on the result, in steps of 2^exponent, and what happened;
// hex, when given, holds the binary64 steps of the program's routine in hexadecimal.
export function accountTable(id, caption, acc, exponent, hex) {
  const steps = error => (exponent === null ? '—' : inSteps(error, exponent));
  const head = [
    'step',
    'value',
    hex ? 'hexadecimal' : null,
    exponent === null ? 'its rounding error' : `its rounding error, in steps of ${power(2, exponent)}`,
    'effect on the result',
    'what happened',
  ].filter(Boolean);
  const hexColumn = hex ? '' : null;
  const rows = acc.rows.map((row, i) => [
    row.name,
    integer(row.value, row.exact),
    hex ? h('code', { class: 'hex' }, hex[i]) : null,
    steps(row.error),
    row.effect === null ? h('span', { class: 'words' }, `inside ${listed(row.inside)}`) : steps(row.effect),
    h('span', { class: 'words' }, row.note ? NOTES[row.note] : 'rounded'),
  ]);
  const foot = [
    [
      'all roundings together',
      '',
      hexColumn,
      '',
      h('strong', {}, steps(acc.total)),
      h('span', { class: 'words' }, `= result − exact: ${steps(acc.result - acc.exact)}`),
    ],
    ['exact value of the polynomial', integer(acc.exact), hexColumn, '', steps(acc.exact), ''],
    ['result', integer(acc.result), hexColumn, '', h('strong', {}, steps(acc.result)), ''],
  ];
  const present = cells => cells.filter(cell => cell !== null);
  return scrolling(id, caption, head, rows.map(present), foot.map(present));
}

// The steps of a routine whose result overflowed: values only, as binary64 gives them.
export function overflowTable(id, caption, names, values) {
  const text = v => (Number.isFinite(v) ? integer(BigInt(v)) : Number.isNaN(v) ? 'NaN' : `${v > 0 ? '+' : '−'}∞`);
  return scrolling(
    id,
    caption,
    ['step', 'value', 'hexadecimal'],
    values.map((v, i) => [names[i], text(v), h('code', { class: 'hex' }, hexfloat(v))]),
  );
}

// A definition list of quantities and their values.
export function quantities(rows) {
  return h(
    'dl',
    { class: 'quantities' },
    rows.map(([term, value]) => h('div', {}, h('dt', {}, term), h('dd', {}, value))),
  );
}
