// The page's exact p-bit arithmetic and its accounts, under Node's test runner: the rounding itself,
// both orders at 53 bits against the evaluation tests' steps and against the WebAssembly module at
// many points, and the widths, intervals, fused results and per-operation errors at the program's
// point against the explanation page, whose numbers its scripts compute independently.
//
// usage: POLYEVAL_WASM=<polyeval.wasm> node --test tests/page/arithmetic.test.mjs
import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { test } from 'node:test';

import * as arithmetic from '../../src/page/arithmetic.mjs';
import { REUSING_POWERS, TERM_BY_TERM, account, stepExponent } from '../../src/page/account.mjs';
import { inSteps, scientific } from '../../src/page/text.mjs';
import { instantiate } from '../../src/page/wasi.mjs';

const { nearest, outward, reusingPowers, termByTerm } = arithmetic;
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

test("both orders at 53 bits give the evaluation tests' steps bit for bit", () => {
  const tables = source('tests/eval_test.cpp')
    .split('constexpr step ')
    .slice(1)
    .map(table =>
      [...table.matchAll(/\{"[^"]+",\s*(-?0x[0-9a-f.]+p[-+]\d+|0\.0)\}/g)].map(match => hexInteger(match[1])),
    );
  assert.equal(tables.length, 3, 'tests/eval_test.cpp: three tables of steps');
  const ar = nearest(53);
  assert.deepEqual(termByTerm(ar, X, Y, true), tables[0], 'Single');
  assert.deepEqual(termByTerm(ar, X, Y), tables[1], 'Double');
  assert.deepEqual(reusingPowers(ar, X, Y), tables[2], 'Extended2');
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
      ['sum_terms_double', ar => termByTerm(ar, x, y), 9],
      ['sum_reusing_powers', ar => reusingPowers(ar, x, y), 11],
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
        termByTerm(nearest(53), x, y, true),
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
    const off = termByTerm(nearest(Number(bits)), X, Y)[8] - f;
    assert.equal(off === 0n ? 'exact' : `off by ${String(off).replace('-', '−')}`, against, `${bits} bits`);
  }
  for (const [bits, enclosure, holdsZero, holdsF] of block('remedies.py', 'intervals')) {
    const [low, high] = termByTerm(outward(Number(bits)), X, Y)[8];
    assert.equal(`[${scientific(low)}, ${scientific(high)}]`, enclosure, `the enclosure at ${bits} bits`);
    assert.equal(low <= 0n && 0n <= high ? 'yes' : 'no', holdsZero, `0 in the enclosure at ${bits} bits`);
    assert.equal(low <= f && f <= high ? 'yes' : 'no', holdsF, `f in the enclosure at ${bits} bits`);
  }
  // Each row: Single, Double, Extended, Extended2, in the program's number text.
  const rows = Object.fromEntries(block('arithmetic.py', 'other-hardware').map(([name, ...values]) => [name, values]));
  const page = {
    '64-bit significands (x87), all in registers': [
      termByTerm(nearest(64), X, Y, true)[8],
      termByTerm(nearest(64), X, Y)[8],
      termByTerm(nearest(64), X, Y)[8],
      reusingPowers(nearest(64), X, Y)[10],
    ],
    'fused multiply-add': [
      arithmetic.termByTermFused(53, X, Y, true),
      arithmetic.termByTermFused(53, X, Y),
      arithmetic.termByTermFused(53, X, Y),
      arithmetic.reusingPowersFused(53, X, Y),
    ],
  };
  for (const [name, values] of Object.entries(page)) {
    assert.deepEqual(
      values.map(v => scientific(v, 1n, 6)),
      rows[name].map(asPageText),
      name,
    );
  }
  assert.equal(termByTerm(nearest(64), X, Y)[8], -(1n << 122n), 'Double at 64 bits is one step of 2^122 low');
});

test("each operation's rounding error and effect are those of the explanation page", () => {
  const exponent = stepExponent(X, Y, 53);
  const ar = nearest(53);
  const accounts = {
    'steps-double': account(TERM_BY_TERM, termByTerm(ar, X, Y), X, Y),
    'steps-reuse': account(REUSING_POWERS, reusingPowers(ar, X, Y), X, Y),
    'steps-single': account(TERM_BY_TERM, termByTerm(ar, X, Y, true), X, Y, true),
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
    assert.equal(acc.total, acc.result - acc.exact, `${name}: the effects add up to result − exact`);
  }
});
