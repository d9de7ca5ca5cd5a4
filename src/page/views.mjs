// The page's views: DOM elements made from what the models hold. No view computes a number of its
// own; each writes what it is given, with the words that explain it.
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

// An integer as the page shows it: short (seven significant digits), with its full digits grouped
// (and the exact value, if given and different) beside it, shown when the table or card it stands in
// shows all digits (digitsToggle).
export function integer(n, exact) {
  const short = compact(n);
  const other = exact !== undefined && exact !== n ? exact : undefined;
  if (other === undefined && short === minus(n.toString())) return h('span', { class: 'number' }, short);
  return h(
    'span',
    { class: 'number' },
    short,
    h(
      'span',
      { class: 'digits' },
      grouped(n),
      other === undefined ? null : h('span', { class: 'exact' }, 'exact: ', grouped(other)),
    ),
  );
}

// The button that shows or hides all digits of the numbers in the element `id`: one per table or
// card, where that element has a long number.
function digitsToggle(id) {
  return h(
    'button',
    { type: 'button', class: 'digits-toggle', 'aria-controls': id, 'aria-pressed': 'false' },
    'all digits',
  );
}

// Answers a click on an all-digits button: shows or hides the full digits of its table or card.
export function toggleDigits(event) {
  const button = event.target.closest('button.digits-toggle');
  if (!button) return;
  const shown = button.getAttribute('aria-pressed') !== 'true';
  button.setAttribute('aria-pressed', String(shown));
  document.getElementById(button.getAttribute('aria-controls')).classList.toggle('all-digits', shown);
}

// The spacing 2^exponent in words: 2¹³³ ≈ 1.088904·10⁴⁰.
export function spacingText(exponent) {
  const spacing = overPowerOfTwo(1n, -exponent); // 2^exponent = 1 / 2^−exponent
  return exponent >= 0 && exponent < 24
    ? power(2, exponent) + ' = ' + grouped(spacing[0])
    : `${power(2, exponent)} ≈ ${scientific(...spacing, 6)}`;
}

// A wide table under its title, in a scroll region of its own that the title labels and a keyboard
// can reach. The title stands outside the region, so that it wraps at the page's width; where the
// table has long numbers, it holds the table's all-digits button. Rows are lists of cells, or
// { cells, class } for a row of a class of its own.
export function scrolling(id, title, head, rows, foot = []) {
  const row = (given, tag) => {
    const { cells, class: kind } = Array.isArray(given) ? { cells: given } : given;
    return h(
      'tr',
      { class: kind },
      cells.map((cell, i) =>
        h(i === 0 && tag === 'td' ? 'th' : tag, i === 0 && tag === 'td' ? { scope: 'row' } : {}, cell),
      ),
    );
  };
  const region = h(
    'div',
    { class: 'scroll', role: 'region', 'aria-labelledby': id, tabindex: 0, id: `${id}-region` },
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
  );
  const toggle = region.querySelector('.digits') ? [' ', digitsToggle(`${id}-region`)] : null;
  return [h('p', { class: 'table-title' }, h('span', { id }, title), toggle), region];
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

// The cards made so far, for ids of their own.
let cards = 0;

// A card: a title, a summary, a description, quantities, and an all-digits button where a quantity
// is a long number. tone is good, bad or neutral.
function card(tone, title, level, summary, description, rows) {
  const id = `card-${++cards}`;
  const list = quantities(rows.filter(Boolean));
  return h(
    'article',
    { class: `card ${tone}`, id },
    h(`h${level}`, {}, title),
    [summary].flat().map(line => h('p', { class: 'summary' }, line)),
    description ? h('p', { class: 'what' }, description) : null,
    list,
    list.querySelector('.digits') ? digitsToggle(id) : null,
  );
}

// The rows of a card on one verdict against the exact value named of, its error also in steps of
// 2^exponent (none where exponent is null).
function verdictRows(v, of, exponent) {
  return [
    [`exact ${of}`, integer(v.exact)],
    [`error against ${of}`, integer(v.error)],
    [`relative error against ${of}`, relativeText(v.relative, of)],
    [`sign against ${of}`, SIGN_TEXT[v.sign]],
    exponent === null ? null : [`error in steps`, `${inSteps(v.error, exponent)}, each ${spacingText(exponent)}`],
  ];
}

// The verdict on one result (account.mjs's verdict) as a card: the computed and the exact value,
// the error, the relative error, the sign and the error in spacing steps. of names the polynomial
// (f or g); exponent is the spacing's at the largest term; level is the title's heading level. A
// result of g also has its verdict against f, againstF: then the card is neutral, neither good nor
// bad, as its digits are g's and not f's.
export function verdictCard(title, description, v, of, exponent, level = 3, againstF = null) {
  if (againstF === null) {
    return card(v.good ? 'good' : 'bad', title, level, v.summary, description, [
      ['computed', integer(v.result)],
      ...verdictRows(v, of, exponent),
    ]);
  }
  return card(
    'neutral',
    title,
    level,
    [`against f: ${againstF.summary}`, `against g, its own: ${v.summary}`],
    description,
    [['computed', integer(v.result)], ...verdictRows(againstF, 'f', null), ...verdictRows(v, of, exponent)],
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

// The interval enclosure at p bits (the width model's interval facts) as a card: its ends, whether
// it holds 0 and f, and what it decides.
export function intervalCard({ low, high, holdsZero, holdsF, decides }, exponent) {
  let summary = holdsZero
    ? 'holds 0: the sign is undecided'
    : `decides the sign: ${low > 0n ? 'positive' : 'negative'}`;
  if (decides && holdsZero) summary = 'is [0, 0]: proves f = 0';
  return card(
    decides ? 'good' : 'bad',
    'Interval, term by term',
    3,
    summary,
    'Every operation rounded outward, each lower end down and each upper end up, so the pair encloses the exact value.',
    [
      ['lower end', integer(low)],
      ['upper end', integer(high)],
      ['holds 0', holdsZero ? 'yes' : 'no'],
      ['holds f', holdsF ? 'yes' : 'no (impossible: a fault)'],
      exponent === null ? null : ['width', `${inSteps(high - low, exponent)} steps`],
    ],
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

// What happened at one step of an account, in words: a sum's own rounding, or a term's or power's
// error, from all the roundings that formed it.
function happened(row) {
  if (row.note) return NOTES[row.note];
  return row.role === 'sum' ? 'the sum’s own rounding' : `the ${row.role}’s error, from all its roundings`;
}

// The account of one evaluation (account.mjs's account) as a table: each step's value, its error
// (a term's or power's from all its roundings, or a sum's own rounding) and that error's effect on
// the result, in steps of 2^exponent, and what happened; hex, when given, holds the binary64 steps of
// the program's routine in hexadecimal.
export function accountTable(id, caption, acc, exponent, hex) {
  const steps = error => (exponent === null ? '—' : inSteps(error, exponent));
  const unit = exponent === null ? '' : `, in steps of ${power(2, exponent)}`;
  const head = [
    'step',
    'value',
    hex ? 'hexadecimal' : null,
    `a term’s or power’s error${unit}`,
    `a sum’s own rounding${unit}`,
    'effect on the result',
    'what happened',
  ].filter(Boolean);
  const hexColumn = hex ? '' : null;
  const rows = acc.rows.map((row, i) => [
    row.name,
    integer(row.value, row.exact),
    hex ? h('code', { class: 'hex' }, hex[i]) : null,
    row.role === 'sum' ? '' : steps(row.error),
    row.role === 'sum' ? steps(row.error) : '',
    row.effect === null ? h('span', { class: 'words' }, `inside ${listed(row.inside)}`) : steps(row.effect),
    h('span', { class: 'words' }, happened(row)),
  ]);
  const foot = [
    [
      'all errors together',
      '',
      hexColumn,
      '',
      '',
      h('strong', {}, steps(acc.total)),
      h('span', { class: 'words' }, `= result − exact: ${steps(acc.error)}`),
    ],
    ['exact value of the polynomial', integer(acc.exact), hexColumn, '', '', steps(acc.exact), ''],
    ['result', integer(acc.result), hexColumn, '', '', h('strong', {}, steps(acc.result)), ''],
  ];
  const present = cells => cells.filter(cell => cell !== null);
  return scrolling(id, caption, head, rows.map(present), foot.map(present));
}

// The ordinal of k: 1st, 2nd, 3rd, 4th.
export function ordinal(k) {
  return `${k}${k === 1 ? 'st' : k === 2 ? 'nd' : k === 3 ? 'rd' : 'th'}`;
}

// Each term's error split into its shares (the width model's shares: each multiplication's rounding,
// and each operand that p bits cannot hold, or power, with its own error) as a table, in steps of
// 2^exponent, the largest share of each term marked.
export function sharesTable(id, caption, terms, exponent) {
  const steps = error => (exponent === null ? '—' : inSteps(error, exponent));
  const rows = terms.flatMap(({ name, error, roundings, operands, largest }) => [
    { cells: [name, h('strong', {}, steps(error)), 'the term’s error: the shares below add up to it'], class: 'term' },
    ...operands.map(({ operand, count, share }) => {
      const uses = count === 2 ? ', in both its uses' : count > 2 ? `, in its ${count} uses` : '';
      const what = /^[A-Z]/.test(operand) ? `${operand}’s own error${uses}` : `${operand}, rounded as it enters${uses}`;
      return [what, steps(share), share === largest ? h('strong', { class: 'largest' }, 'the largest share') : ''];
    }),
    ...roundings.map(({ step, operand, share }) => [
      `${ordinal(step)} multiplication, × ${operand}`,
      steps(share),
      share === largest && share !== 0n ? h('strong', { class: 'largest' }, 'the largest share') : '',
    ]),
  ]);
  const unit = exponent === null ? '' : `, in steps of ${power(2, exponent)}`;
  return scrolling(id, caption, ['term, and what made its error', `one rounding’s share${unit}`, 'the largest'], rows);
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
