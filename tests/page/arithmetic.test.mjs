// The page's exact p-bit arithmetic and its accounts, under Node's test runner: the rounding itself,
// both orders at 53 bits against the golden steps (tests/golden-steps.txt) and against the
// WebAssembly module at many points, the widths, intervals, fused results and per-operation errors
// at the program's point against the explanation page, whose numbers its scripts compute
// independently, and the accounts and verdicts at many points and widths.
//
// usage: POLYEVAL_WASM=<polyeval.wasm> node --test tests/page/arithmetic.test.mjs
import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { test } from 'node:test';

import * as arithmetic from '../../src/page/arithmetic.mjs';
import { account, powerLabels, shares, stepExponent, verdict } from '../../src/page/account.mjs';
import { pointModel } from '../../src/page/model.mjs';
import { inSteps, scientific } from '../../src/page/text.mjs';
import { instantiate } from '../../src/page/wasi.mjs';

const { exactTracking, fused, nearest, outward, reusingPowers, termByTerm } = arithmetic;
const source = path => readFileSync(new URL(`../../${path}`, import.meta.url), 'utf8');
const X = 9478657n;
const Y = 2298912n;

// A C hexadecimal float that holds an integer (0x1.54255935bde18p+185, -0x1p+134, 0.0) as a BigInt.
function hexInteger(text) {
  const hexfloat = /^(-?)0x([01])(?:\.([0-9a-f]+))?p([-+]\d+)$/;
  const [, sign, whole, fraction = '', exponent] = text.match(hexfloat) ?? [null, '', '0', '', '0']; // 0.0
  const shift = Number(exponent) - 4 * fraction.length;
  const digits = BigInt(`0x${whole}${fraction}`);
  const value = shift >= 0 ? digits << BigInt(shift) : digits >> BigInt(-shift);
  assert.equal(shift >= 0 || value << BigInt(-shift) === digits, true, `${text} is not an integer`);
  return sign ? -value : value;
}

// The rows of the block `script: name` of docs/numbers.md, each a list of its cells.
function block(script, name) {
  const text = source('docs/numbers.md');
  const start = text.indexOf(`<!-- from docs/${script}: ${name} -->`);
  assert.notEqual(start, -1, `docs/numbers.md has no block ${script}: ${name}`);
  return text
    .slice(start, text.indexOf('<!-- end -->', start))
    .split('\n')
    .filter(line => line.startsWith('| '))
    .slice(1)
    .map(line =>
      line
        .slice(2, -2)
        .split(' | ')
        .map(cell => cell.replaceAll('**', '').trim()),
    );
}

// The program's number text (−5.316912e+036) written as the page writes a number (−5.316912·10³⁶).
function asPageText(programText) {
  const [, mantissa, exponent] = programText.match(/^(.*)e([-+]\d+)$/);
  return `${mantissa}·10${[...String(Number(exponent))].map(c => '⁻⁰¹²³⁴⁵⁶⁷⁸⁹'['-0123456789'.indexOf(c)]).join('')}`;
}

test('rounding to p bits: ties to even, carries into a new bit, both directions', () => {
  // n, p, to nearest, toward −∞, toward +∞
  // prettier-ignore
  const rows = [
    [ 0x0n,                3,  0x0n,                0x0n,                0x0n],
    [ 0xcn,                2,  0xcn,                0xcn,                0xcn],                 // 1100: exact
    [ 0x9n,                3,  0x8n,                0x8n,                0xan],                 // 100|1: a tie, even
    [ 0xbn,                3,  0xcn,                0xan,                0xcn],                 // 101|1: a tie, odd
    [ 0x13n,               3,  0x14n,               0x10n,               0x14n],                // 100|11: above
    [ 0xfn,                3,  0x10n,               0xen,                0x10n],                // 111|1: a new bit
    [-0xbn,                3, -0xcn,               -0xcn,               -0xan],
    [-0x13n,               3, -0x14n,              -0x14n,              -0x10n],
    [ 0x20000000000001n,  53,  0x20000000000000n,   0x20000000000000n,   0x20000000000002n],    // 2^53 + 1
    [ 0x20000000000003n,  53,  0x20000000000004n,   0x20000000000002n,   0x20000000000004n],    // 2^53 + 3
    [ 0x3fffffffffffffffn, 53, 0x4000000000000000n, 0x3ffffffffffffe00n, 0x4000000000000000n],
  ];
  for (const [n, p, want, down, up] of rows) {
    assert.equal(arithmetic.roundNearest(n, p), want, `${n} to nearest at ${p} bits`);
    assert.equal(arithmetic.roundDirected(n, p, false), down, `${n} down at ${p} bits`);
    assert.equal(arithmetic.roundDirected(n, p, true), up, `${n} up at ${p} bits`);
  }
});

test('both orders at 53 bits give the golden steps bit for bit', () => {
  const golden = { single: [], double: [], reuse: [] };
  for (const line of source('tests/golden-steps.txt').split('\n')) {
    const [evaluation, , value] = line.split(/ +/);
    if (evaluation in golden) golden[evaluation].push(hexInteger(value));
  }
  const ar = nearest(53);
  assert.deepEqual(termByTerm(ar, X, Y, true).values, golden.single, 'Single');
  assert.deepEqual(termByTerm(ar, X, Y).values, golden.double, 'Double');
  assert.deepEqual(reusingPowers(ar, X, Y).values, golden.reuse, 'Extended2');
});

test('at 53 bits the page computes what the WebAssembly module computes, wherever binary64 is finite', async t => {
  const wasm = process.env.POLYEVAL_WASM;
  if (!wasm || !existsSync(wasm)) {
    const why = wasm ? `no module ${wasm} (target.wasm32-wasi builds it)` : 'POLYEVAL_WASM names no module';
    if (process.env.CI === 'true') assert.fail(`${why}: in CI the module must be compared`);
    t.skip(why);
    return;
  }
  const { exports } = await instantiate(await WebAssembly.compile(readFileSync(wasm)));
  const steps = (name, x, y, count) => {
    exports[name](Number(x), Number(y));
    return Array.from(new Float64Array(exports.memory.buffer, exports.steps(), count));
  };
  // Points of every size up to 2^70 (beyond 2^53 the module is given x rounded, as the page rounds
  // its operands), and from 2^40 on some overflow; a fixed generator, so that a failure repeats.
  let seed = 0x2545f491n;
  let compared = 0;
  const next = bits => {
    // Knuth's MMIX linear congruential generator, its top bits
    seed = (seed * 6364136223846793005n + 1442695040888963407n) & 0xffffffffffffffffn;
    return seed >> BigInt(64 - bits);
  };
  for (let i = 0; i < 3000; ++i) {
    const x = next(1 + (i % 70));
    const y = next(1 + ((i * 7) % 70));
    for (const [name, evaluate, count] of [
      ['sum_terms_double', ar => termByTerm(ar, x, y).values, 9],
      ['sum_reusing_powers', ar => reusingPowers(ar, x, y).values, 11],
    ]) {
      const module = steps(name, x, y, count);
      if (!module.every(Number.isFinite)) continue;
      assert.deepEqual(
        evaluate(nearest(53)),
        module.map(v => BigInt(v)),
        `${name} at (${x}, ${y})`,
      );
      ++compared;
    }
    if (x < 1n << 24n && y < 1n << 24n) {
      assert.deepEqual(
        termByTerm(nearest(53), x, y, true).values,
        steps('sum_terms_single', x, y, 9).map(v => BigInt(v)),
        `sum_terms_single at (${x}, ${y})`,
      );
    }
  }
  assert.ok(compared > 3000, `only ${compared} finite evaluations were compared`);
});

test("widths, intervals and fused results at the program's point are those of the explanation page", () => {
  const f = arithmetic.exactValue(X, Y);
  const widths = block('remedies.py', 'widths');
  const least = Number(widths.at(-1)[0].split(' ')[0]);
  assert.equal(arithmetic.leastExactWidth(X, Y), least);
  for (const [bits, , against] of widths.slice(0, -1)) {
    const off = termByTerm(nearest(Number(bits)), X, Y).result - f;
    assert.equal(off === 0n ? 'exact' : `off by ${String(off).replace('-', '−')}`, against, `${bits} bits`);
  }
  const intervals = block('remedies.py', 'intervals');
  const thresholds = pointModel(X, Y).thresholds;
  assert.equal(thresholds.term_by_term, least, 'the threshold of term by term');
  assert.equal(thresholds.interval_sign, Number(intervals.at(-1)[0]), 'the width from which the interval decides');
  for (const [bits, enclosure, holdsZero, holdsF] of intervals) {
    const [low, high] = termByTerm(outward(Number(bits)), X, Y).result;
    assert.equal(`[${scientific(low)}, ${scientific(high)}]`, enclosure, `the enclosure at ${bits} bits`);
    assert.equal(low <= 0n && 0n <= high ? 'yes' : 'no', holdsZero, `0 in the enclosure at ${bits} bits`);
    assert.equal(low <= f && f <= high ? 'yes' : 'no', holdsF, `f in the enclosure at ${bits} bits`);
  }
  // Each row: Single, Double, Extended, Extended2, in the program's number text.
  const rows = Object.fromEntries(block('arithmetic.py', 'other-hardware').map(([name, ...values]) => [name, values]));
  const page = {
    '64-bit significands (x87), all in registers': [
      termByTerm(nearest(64), X, Y, true).result,
      termByTerm(nearest(64), X, Y).result,
      termByTerm(nearest(64), X, Y).result,
      reusingPowers(nearest(64), X, Y).result,
    ],
    'fused multiply-add': [
      termByTerm(fused(53), X, Y, true).result.value,
      termByTerm(fused(53), X, Y).result.value,
      termByTerm(fused(53), X, Y).result.value,
      reusingPowers(fused(53), X, Y).result.value,
    ],
  };
  for (const [name, values] of Object.entries(page)) {
    assert.deepEqual(
      values.map(v => scientific(v, 1n, 6)),
      rows[name].map(asPageText),
      name,
    );
  }
  assert.equal(termByTerm(nearest(64), X, Y).result, -(1n << 122n), 'Double at 64 bits is one step of 2^122 low');
});

// The account of the order at (x, y) in the arithmetic ar, as the page makes it.
function accountOf(order, ar, x, y, subtractT2 = false) {
  return account(
    order(ar, x, y, subtractT2),
    order(exactTracking(), x, y, subtractT2),
    arithmetic.signedTerms(x, y, subtractT2),
  );
}

test("each operation's rounding error and effect are those of the explanation page", () => {
  const exponent = stepExponent(X, Y, 53);
  const ar = nearest(53);
  const accounts = {
    'steps-double': accountOf(termByTerm, ar, X, Y),
    'steps-reuse': accountOf(reusingPowers, ar, X, Y),
    'steps-single': accountOf(termByTerm, ar, X, Y, true),
  };
  for (const [name, acc] of Object.entries(accounts)) {
    const rows = block('steps.py', name);
    const shown = acc.rows.filter(row => row.effect !== null);
    const page = shown.map(row => [
      row.name + (row.note === 'Sterbenz' ? " (exact: Sterbenz's lemma)" : ''),
      inSteps(row.error, exponent),
      inSteps(row.effect, exponent),
    ]);
    page.push(
      ['all roundings together', '', inSteps(acc.total, exponent)],
      ['exact value of the polynomial', '', inSteps(acc.exact, exponent)],
      ['result', '', inSteps(acc.result, exponent)],
    );
    assert.deepEqual(page, rows, name);
  }
});

test('the effects an account shows add up to the result it accounts for, less the exact value', () => {
  // Points where terms vanish, cancel, or hold more bits than the width; both orders, f and g.
  const points = [
    [X, Y],
    [0n, 0n],
    [0n, 5n],
    [7n, 0n],
    [33n, 8n],
    [-2177n, 528n],
    [2n ** 70n + 1n, 3n],
    [123456789n, 987654321n],
  ];
  for (const [x, y] of points) {
    for (const p of [2, 5, 24, 53, 64, 113]) {
      for (const [name, order, subtractT2] of [
        ['term by term', termByTerm, false],
        ['term by term, g', termByTerm, true],
        ['powers reused', reusingPowers, false],
      ]) {
        const acc = accountOf(order, nearest(p), x, y, subtractT2);
        const effects = acc.rows.reduce((sum, row) => sum + (row.effect ?? 0n), 0n);
        const result = order(nearest(p), x, y, subtractT2).result;
        const where = `${name} at (${x}, ${y}), ${p} bits`;
        assert.equal(effects, result - arithmetic.exactValue(x, y, subtractT2), where);
        assert.equal(acc.total, effects, `${where}: the total is the effects' sum`);
      }
    }
  }
});

test("the shares of a term's error add up to it, and each rounding's is that rounding carried on", () => {
  // x, y, widths: points where operands, powers and products round, or nothing does
  const rows = [
    [X, Y, [11, 24, 53, 64]],
    [2177n, 528n, [3, 17, 40]],
    [0n, 7n, [2, 5]],
    [2n ** 70n + 12345n, 3n ** 30n, [20, 53, 113]],
    [-98765n, 43210n, [2, 9, 30]],
  ];
  for (const [x, y, widths] of rows) {
    for (const p of widths) {
      for (const [name, order, subtractT2] of [
        ['term by term', termByTerm, false],
        ['term by term, g', termByTerm, true],
        ['powers reused', reusingPowers, false],
      ]) {
        const run = order(arithmetic.traced(nearest(p)), x, y, subtractT2);
        const powers = powerLabels(run);
        for (const i of run.indices('term')) {
          const term = run.values[i];
          const { roundings, operands } = shares(term, powers);
          const where = `${run.names[i]}, ${name} at (${x}, ${y}), ${p} bits`;
          const sum = [...roundings, ...operands].reduce((a, { share }) => a + share, 0n);
          assert.equal(sum, term.value - term.exact, `${where}: the shares add up to the error`);
          // One rounding for each multiplication the term's formula writes: 83521·y·y·y·y·y·y·y·y has 8.
          const multiplications = run.names[i].split(' = ').at(-1).split('·').length - 1;
          assert.equal(roundings.length, multiplications, `${where}: one share for each multiplication`);
        }
      }
    }
  }
  // T1 at 5 bits, by hand: 83521 enters as 81920 (an operand's share), then 81920·y rounds.
  const run = termByTerm(arithmetic.traced(nearest(5)), 0n, 3n);
  const { roundings, operands } = shares(run.values[0], new Map());
  assert.deepEqual(
    operands.map(({ operand, share }) => [operand, share]),
    [['83521', (81920n - 83521n) * 3n ** 8n]],
  );
  assert.equal(roundings[0].share, (arithmetic.roundNearest(81920n * 3n, 5) - 81920n * 3n) * 3n ** 7n);
});

test('a verdict is good when it is exact or leaves a digit right, whatever its words', () => {
  // result, exact value, good, sign
  // prettier-ignore
  const rows = [
    [ 100n,  100n, true,  'right'],
    [ 101n,  100n, true,  'right'],  // 1 % off: two digits right
    [ 109n,  100n, true,  'right'],  // 9 % off: one digit right
    [ 110n,  100n, false, 'right'],  // 10 % off: no digit right
    [ 300n,  100n, false, 'right'],
    [-100n,  100n, false, 'wrong'],
    [   0n,  100n, false, 'lost'],
    [   5n,    0n, false, 'none'],
    [   0n,    0n, true,  'right'],
  ];
  for (const [result, exact, good, sign] of rows) {
    const v = verdict(result, exact);
    assert.equal(v.good, good, `${result} against ${exact}: ${v.summary}`);
    assert.equal(v.sign, sign, `${result} against ${exact}: the sign`);
  }
});
