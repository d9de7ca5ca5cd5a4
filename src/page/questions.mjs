// The questions the page asks a student, to predict and then check, as one table: each by its id (its
// element's data-question and its key in #results' questions), where it is asked (the section of the
// page and the step of the lecture that teach it), the kind of its answer (how an answer is taken and
// judged: ANSWERS), its words, and, from the models of a point and a width, its answer as #results
// holds it, the page's own numbers that decide it and one sentence of why. The model answers them
// (asked), the views ask them and judge what a student gives (judged).
import { WIDEST, abs, significantBits } from './arithmetic.mjs';
import { stepExponent } from './account.mjs';
import { PLAIN, rows } from './evaluations.mjs';
import { compact, inSteps, minus, overPowerOfTwo, roundedQuotient, spacingText } from './text.mjs';
import { fromWidth, listed } from './words.mjs';

// The orders the questions are about: the program's plain order (Double's) and its powers reused
// (Extended2's); and the running bound.
const EXTENDED2S = rows('order')[1];
const RUNNING = rows('running')[0];

// −1, 0 or 1: the sign of an integer.
const signum = v => (v > 0n ? 1 : v < 0n ? -1 : 0);

// A student's text as it is judged: trimmed, lower case, every minus sign a hyphen-minus.
const normalized = text => text.trim().toLowerCase().replaceAll('−', '-');

// A typed number: an integer (with its sign), a number that is not one, or a word.
const TYPED_WHOLE = /^[+-]? *[0-9]+$/;
const TYPED_NUMBER = /^[+-]? *([0-9]+([.,][0-9]*)?|[.,][0-9]+)(e[+-]?[0-9]+)?$/;
function typed(text, rule) {
  const given = normalized(text);
  if (given === '') return { problem: `no answer yet: the answer must be ${rule}`, empty: true };
  if (TYPED_WHOLE.test(given)) return { integer: Number(given.replace(/ /g, '')) };
  const what = TYPED_NUMBER.test(given) ? 'a number, but not a whole one' : 'a word, not a number';
  return { problem: `the answer must be ${rule}; “${text.trim()}” is ${what}` };
}

// How each kind of answer is taken and judged: what it asks for in words (asks), how a student's
// answer becomes a value of its kind or the words on why it is none (read: from the text of a field,
// the value of a choice, or the keys of a set), and the value in words (said). A field's kinds name
// an answer of another kind as such, as a bad field is named.
export const ANSWERS = {
  sign: {
    input: 'field',
    asks: '−1, 0 or 1',
    read(text) {
      const words = { negative: -1, zero: 0, positive: 1 };
      if (normalized(text) in words) return { value: words[normalized(text)] };
      const { integer, problem, empty } = typed(text, 'a sign, −1, 0 or 1');
      if (problem) return { problem, empty };
      if (Math.abs(integer) > 1) return { problem: `the answer must be a sign, −1, 0 or 1; ${integer} is no sign` };
      return { value: integer === 0 ? 0 : integer }; // −0 is 0
    },
    said: v => minus(String(v)),
  },
  whole: {
    input: 'field',
    asks: 'a whole number, such as 2 or −1',
    read(text) {
      const { integer, problem, empty } = typed(text, 'a whole number, such as 2 or −1');
      return problem ? { problem, empty } : { value: integer === 0 ? 0 : integer };
    },
    said: v => minus(String(v)),
  },
  width: {
    input: 'field',
    asks: `a width in bits, from 2 to ${WIDEST}, or none`,
    read(text) {
      if (['none', 'no width', 'never'].includes(normalized(text))) return { value: null };
      const rule = `a width in bits, from 2 to ${WIDEST}, or none`;
      const { integer, problem, empty } = typed(text, rule);
      if (problem) return { problem, empty };
      if (integer < 2 || integer > WIDEST) return { problem: `the answer must be ${rule}; ${integer} is not one` };
      return { value: integer };
    },
    said: v => (v === null ? 'none' : `${v} bits`),
  },
  yesno: {
    input: 'choice',
    choices: [
      [true, 'yes'],
      [false, 'no'],
    ],
    asks: 'yes or no',
    read: value => (value === undefined ? { problem: 'no answer yet: choose yes or no', empty: true } : { value }),
    said: v => (v ? 'yes' : 'no'),
  },
  rows: {
    input: 'set',
    asks: 'tick each that does; none, where none does',
    read: keys => ({ value: keys }),
    said: (keys, choices) => listed(choices.filter(([key]) => keys.includes(key)).map(([, words]) => words)) || 'none',
  },
};

// double_sign: the sign of Double's result, the plain order's at p bits, and why it is what it is.
function doubleSign({ f }, { p, at }) {
  const { value } = at[PLAIN.key];
  const error = value - f;
  const evidence = [
    [`${PLAIN.words} at ${p} bits`, compact(value)],
    ['f', compact(f)],
    ['its error', compact(error)],
  ];
  let how = 'its error is smaller than |f|, so its sign is f’s.';
  if (error === 0n) how = 'it is f exactly.';
  else if (value === 0n) how = 'its roundings cancelled to exactly 0, and the sign is lost.';
  else if (f === 0n) how = 'every digit of it is the roundings’.';
  else if (signum(value) !== signum(f)) how = 'its error is larger than |f| and points the other way.';
  else if (abs(error) >= abs(f))
    how = 'its error is larger than |f|, but points away from 0: the sign is f’s, though no digit is right.';
  return { answer: signum(value), evidence, why: ['It gives ', compact(value), ' where f is ', compact(f), ': ', how] };
}

// t1_steps: T1's rounding error at p bits, as the plain order forms it, in steps of the spacing at its
// largest rounded term, to the nearest whole step, ties to even; 0 where every rounded term is 0.
function t1Steps(point, { p, at }) {
  const { run } = at[PLAIN.key];
  const terms = run.steps.filter(step => step.role === 'term');
  const exponent = stepExponent(
    terms.map(step => step.value),
    p,
  );
  const [rounded, exact] = [terms[0], point.termSteps[0]];
  const error = rounded.value - exact.value;
  const evidence = [
    [`${exact.label} as ${PLAIN.words} forms it at ${p} bits`, compact(rounded.value)],
    [`${exact.label} exactly`, compact(exact.value)],
    ['its rounding error', compact(error)],
  ];
  if (exponent === null)
    return { answer: 0, evidence, why: ['Every rounded term is 0: there is no step to count in.'] };
  const [num, den] = overPowerOfTwo(abs(error), exponent);
  const answer = signum(error) * Number(roundedQuotient(num, den)) || 0; // never −0
  const largest = terms.reduce((a, b) => (abs(b.value) > abs(a.value) ? b : a));
  evidence.push([`a step: the spacing at ${largest.label}, the largest rounded term`, spacingText(exponent)]);
  evidence.push(['its error in steps', inSteps(error, exponent)]);
  const why = [
    `${exact.label} is formed by ${exact.ops.length} multiplications, each rounded to ${p} bits; what they leave in it is `,
    inSteps(error, exponent),
    ` steps of ${largest.label}’s spacing, ${minus(String(answer))} to the nearest whole step.`,
  ];
  return { answer, evidence, why };
}

// extended2_zero: whether the powers-reused order gives 0 at p bits, from its last step's operands.
function extended2Zero({ f }, { p, at }) {
  const { value, run } = at[EXTENDED2S.key];
  const [last] = run.steps.at(-1).ops;
  const [a, b] = last.from.map(source => run.all[source.at]);
  const [named, apart] = [`${last.a} ${last.op} ${last.b}`, last.op === '−' ? a - b : a + b];
  const evidence = [
    [`${last.a} before the last step, ${named}`, compact(a)],
    [last.b, compact(b)],
    [`${named}, exactly`, compact(apart)],
    [`${EXTENDED2S.words} at ${p} bits`, compact(value)],
    ['f', compact(f)],
  ];
  let why = [`Before its last step, ${named} is exactly `, compact(apart), ', which rounds to ', compact(value), '.'];
  if (value === 0n) why = [`Before its last step ${last.a} equals ${last.b} to the last bit: ${named} is exactly 0.`];
  return { answer: value === 0n, evidence, why };
}

// sign_from: the least width from which the plain order has f's sign at every width up to WIDEST.
function signFrom(point) {
  const from = point.marks[PLAIN.key].sign;
  const evidence = [[`${PLAIN.words}: f’s sign`, fromWidth(from)]];
  let why = ['It has f’s sign at every width the page evaluates.'];
  const below = from === null ? WIDEST : from - 1;
  if (from === null || from > 2) {
    const value = point.value(PLAIN, below);
    evidence.push([`${PLAIN.words} at ${below} bits`, compact(value)], ['f', compact(point.f)]);
    why = [
      'Its roundings shrink as p grows, but at ',
      `${below} bits it still gives `,
      compact(value),
      ', not f’s sign.',
    ];
  }
  return { answer: from, evidence, why };
}

// exact_remedies: the remedies that give f at p bits, in the table's order (one that does not apply
// at the point is not asked about).
function exactRemedies(point, { p, at }) {
  const asked = rows('remedy').filter(row => point.applies(row));
  const exact = asked.filter(row => at[row.key].value === point.f);
  const said = row => (at[row.key].value === point.f ? ['exact'] : ['off by ', compact(at[row.key].value - point.f)]);
  const evidence = asked.map(row => [`${row.short} at ${p} bits`, said(row)]);
  const kept = asked.filter(row => at[row.key].termsSum !== undefined);
  const off = at[kept[0].key].termsSum - point.f;
  const rewritten = asked.filter(row => row.applies).map(row => `, or, as ${row.short}, f in another form`);
  let why = [
    `${listed(kept.map(row => row.short))} add up the rounded terms, already off by `,
    compact(off),
    ', which no summation undoes; the others compute what the roundings lost as well',
    rewritten,
    '.',
  ];
  if (off === 0n) why = [`At ${p} bits the rounded terms are f’s terms exactly, and a sum of them can be f.`];
  if (significantBits(point.f) > p)
    why = ['f, ', compact(point.f), `, has ${significantBits(point.f)} significant bits: no ${p}-bit result is f.`];
  const choices = asked.map(row => [row.key, row.short]);
  return { answer: exact.map(row => row.key), evidence, why, choices };
}

// bound_distrusts: whether the running bound at p bits does not prove the sign of its result.
function boundDistrusts(point, { p, at }) {
  const { value, bound, proves } = at[RUNNING.key];
  const evidence = [
    [`${PLAIN.words} at ${p} bits`, compact(value)],
    ['the running bound on its error', compact(bound)],
  ];
  let how = 'as large as |computed| or larger: values of either sign lie within it.';
  if (proves) how = 'smaller than |computed|: every value within it has the computed sign.';
  if (proves && value === 0n) how = '0, and so is the computed value: it proves f = 0.';
  return { answer: !proves, evidence, why: ['Its bound, ', compact(bound), ', is ', how] };
}

// The questions, in the order the page asks them: id, where (section, lecture step), the kind of
// answer, the words (from the width p), and what answers it at a point and a width.
export const QUESTIONS = [
  {
    id: 'double_sign',
    where: { section: 'why', step: 1 },
    kind: 'sign',
    words: p => `What sign does Double’s order, ${PLAIN.words}, give at ${p} bits?`,
    at: doubleSign,
  },
  {
    id: 't1_steps',
    where: { section: 'width', step: 2 },
    kind: 'whole',
    words: p =>
      `How many steps is T1’s rounding error worth at ${p} bits, to the nearest whole step (a step: the spacing at the largest rounded term)?`,
    at: t1Steps,
  },
  {
    id: 'extended2_zero',
    where: { section: 'width', step: 3 },
    kind: 'yesno',
    words: p => `Does Extended2’s order, ${EXTENDED2S.words}, give 0 at ${p} bits?`,
    at: extended2Zero,
  },
  {
    id: 'sign_from',
    where: { section: 'chart', step: 4 },
    kind: 'width',
    words: () => `From which width on does ${PLAIN.words} give f’s sign, at every width up to ${WIDEST} bits?`,
    at: signFrom,
  },
  {
    id: 'bound_distrusts',
    where: { section: 'detect', step: 6 },
    kind: 'yesno',
    words: p => `Does the running bound alone say, at ${p} bits, that the sign is not to be trusted?`,
    at: boundDistrusts,
  },
  {
    id: 'exact_remedies',
    where: { section: 'fix', step: 7 },
    kind: 'rows',
    words: p => `Which remedies give f exactly at ${p} bits?`,
    at: exactRemedies,
  },
];

// Every question at a point and a width (their models), answered: { id, where, kind, words, answer,
// evidence, why, choices, at }, choices ([value, words]) for a set (its rows' keys) or a choice
// (ANSWERS'), at the point and width it is asked at, in words.
export function asked(point, width) {
  return QUESTIONS.map(({ id, where, kind, words, at }) => ({
    id,
    where,
    kind,
    at: `${point.x} ${point.y} ${width.p}`,
    words: words(width.p),
    choices: ANSWERS[kind].choices,
    ...at(point, width),
  }));
}

// A student's answer to a question (asked's) judged: { problem, empty } where there is none or it is
// not of the question's kind, else { right, given, answer }, each in words.
export function judged(question, input) {
  const kind = ANSWERS[question.kind];
  const { value, problem, empty = false } = kind.read(input);
  if (problem) return { problem, empty };
  const same = Array.isArray(value) ? value.join() === question.answer.join() : value === question.answer;
  const said = v => kind.said(v, question.choices);
  return { right: same, given: said(value), answer: said(question.answer) };
}
