// The page's exact p-bit arithmetic, its table of evaluations and its accounts, under Node's test
// runner: the rounding itself; every routine of the program's at 53 bits against the golden files
// (tests/golden-steps.txt, tests/golden-remedies.txt) and against the WebAssembly module at many
// points; the widths, intervals, fused results, per-operation errors, remedies and random rounding at
// the program's point against the explanation page, whose numbers its scripts compute independently;
// the accounts, shares, verdicts, the running bound and the K-fold sums' shortcut at many points.
//
// usage: POLYEVAL_WASM=<polyeval.wasm> node --test tests/page/arithmetic.test.mjs
import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { test } from 'node:test';

import { CHAINS, exactTracking, fused, nearest, outward, round } from '../../src/page/arithmetic.mjs';
import { account, shares, stepExponent, verdict } from '../../src/page/account.mjs';
import { randomRounding, splitmix64, studentT } from '../../src/page/detectors.mjs';
import { EVALUATIONS, SUMS, rows } from '../../src/page/evaluations.mjs';
import { KINDS, boundAt } from '../../src/page/kinds.mjs';
import { Point, pointModel } from '../../src/page/model.mjs';
import { POWERS_REUSED, SUMMATION_ORDERS, TERM_BY_TERM, evaluate, exactValue } from '../../src/page/orders.mjs';
import { inSteps, scientific, text } from '../../src/page/text.mjs';
import { instantiate } from '../../src/page/wasi.mjs';
import { formula, stepName } from '../../src/page/views.mjs';
import { chainWords } from '../../src/page/words.mjs';

const source = path => readFileSync(new URL(`../../${path}`, import.meta.url), 'utf8');
const PROGRAM = { x: 9478657n, y: 2298912n };
const byKey = Object.fromEntries(EVALUATIONS.map(row => [row.key, row]));

// A C hexadecimal float that holds an integer (0x1.54255935bde18p+185, -0x1p+134, 0x0p+0) as a BigInt.
function hexInteger(hex) {
  const [, sign, whole, fraction = '', exponent] = hex.match(/^(-?)0x([01])(?:\.([0-9a-f]+))?p([-+]\d+)$/);
  const shift = Number(exponent) - 4 * fraction.length;
  const digits = BigInt(`0x${whole}${fraction}`);
  const value = shift >= 0 ? digits << BigInt(shift) : digits >> BigInt(-shift);
  assert.equal(shift >= 0 || value << BigInt(-shift) === digits, true, `${hex} is not an integer`);
  return sign ? -value : value;
}

// The data lines of a golden file, each a list of its fields.
const golden = path =>
  source(path)
    .split('\n')
    .filter(line => /^[a-z]/.test(line))
    .map(line => line.split(/ +/));

// The rows of the block `script: name` of a page of docs/, each a list of its cells.
function block(script, name, page = 'docs/numbers.md') {
  const page_ = source(page);
  const start = page_.indexOf(`<!-- from docs/${script}: ${name} -->`);
  assert.notEqual(start, -1, `${page} has no block ${script}: ${name}`);
  const lines = page_.slice(start, page_.indexOf('<!-- end -->', start)).split('\n');
  return lines
    .filter(line => line.startsWith('| ') && !line.startsWith('| ---'))
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
  return text({ mantissa, base: '10', exponent: Number(exponent) });
}

// The row's result at p bits at the point, as the page computes it.
const at = (key, x, y, p) => new Point(x, y).value(byKey[key], p);

test('rounding to p bits: ties to even, carries into a new bit, both directions', () => {
  // n, p, to nearest, toward −∞, toward +∞
  // prettier-ignore
  const cases = [
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
    [(1n << 2000n) + 1n,   2,  1n << 2000n,         1n << 2000n,         3n << 1999n],          // past 2^1000
  ];
  for (const [n, p, want, down, up] of cases) {
    assert.equal(round(n, p), want, `${n} to nearest at ${p} bits`);
    assert.equal(round(n, p, false), down, `${n} down at ${p} bits`);
    assert.equal(round(n, p, true), up, `${n} up at ${p} bits`);
  }
});

test("the program's routines and remedies at 53 bits give the golden values bit for bit", () => {
  const steps = { single: byKey.t2_subtracted, double: byKey.term_by_term, reuse: byKey.powers_reused };
  for (const [name, row] of Object.entries(steps)) {
    const want = golden('tests/golden-steps.txt').filter(([which]) => which === name);
    const run = evaluate(row.program, nearest(53), PROGRAM);
    assert.deepEqual(
      run.values,
      want.map(fields => hexInteger(fields[2])),
      name,
    );
  }
  const remedies = golden('tests/golden-remedies.txt');
  const returning = EVALUATIONS.filter(row => row.routine && !row.routine.labels.length); // a result alone
  assert.equal(remedies.length, returning.length * 6, 'six points a routine that returns its result');
  for (const [key, x, y, hex] of remedies)
    assert.equal(at(key, BigInt(x), BigInt(y), 53), hexInteger(hex), `${key} at (${x}, ${y})`);
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
  // What the module gives at (x, y): a routine's steps, or a remedy's result.
  const module = (row, x, y, count) => {
    const result = exports[row.routine.export](Number(x), Number(y));
    return row.routine.labels.length
      ? Array.from(new Float64Array(exports.memory.buffer, exports.steps(), count))
      : [result];
  };
  // Points of every size up to 2^70 (beyond 2^53 the module is given x rounded, as the page rounds
  // its operands), and from 2^40 on some overflow; a fixed generator, so that a failure repeats.
  let seed = 0x2545f491n;
  const next = bits => {
    // Knuth's MMIX linear congruential generator, its top bits
    seed = (seed * 6364136223846793005n + 1442695040888963407n) & 0xffffffffffffffffn;
    return seed >> BigInt(64 - bits);
  };
  const compared = Object.fromEntries(EVALUATIONS.filter(row => row.routine).map(row => [row.key, 0]));
  // First the points where Neumaier's sum takes its other branch (the term larger than the sum).
  const points = [
    [249n, 52n],
    [1000n, 3n],
    ...Array.from({ length: 1500 }, (_, i) => [next(1 + (i % 70)), next(1 + ((i * 7) % 70))]),
  ];
  for (const [x, y] of points) {
    const point = new Point(x, y);
    for (const row of EVALUATIONS.filter(each => each.routine && point.applies(each))) {
      if (row.routine.format === 'binary32' && (x >= 1n << 24n || y >= 1n << 24n)) continue;
      const own = row.routine.labels.length ? point.run(row, 53).values : [point.value(row, 53)];
      const theirs = module(row, x, y, own.length);
      if (!theirs.every(Number.isFinite)) continue;
      assert.deepEqual(
        own,
        theirs.map(v => BigInt(v)),
        `${row.key} at (${x}, ${y})`,
      );
      ++compared[row.key];
    }
  }
  for (const [key, count] of Object.entries(compared))
    assert.ok(count > 150 || (key === 'rewrite' && count >= 0), `${key}: only ${count} finite evaluations`);
});

test("widths, intervals, fused results and the remedies at the program's point are those of the explanation page", () => {
  const { x, y } = PROGRAM;
  const point = pointModel(x, y);
  const widths = block('remedies.py', 'widths');
  assert.equal(point.exactFrom, Number(widths.at(-1)[0].split(' ')[0]), 'the least exact width');
  for (const [bits, , against] of widths.slice(0, -1)) {
    const off = at('term_by_term', x, y, Number(bits)) - point.f;
    assert.equal(off === 0n ? 'exact' : `off by ${String(off).replace('-', '−')}`, against, `${bits} bits`);
  }
  const intervals = block('remedies.py', 'intervals');
  assert.equal(point.marks.interval.decides, Number(intervals.at(-1)[0]), 'the width from which the interval decides');
  for (const [bits, enclosure] of intervals) {
    const [low, high] = evaluate(TERM_BY_TERM, outward(Number(bits)), PROGRAM).result;
    assert.equal(`[${text(scientific(low))}, ${text(scientific(high))}]`, enclosure, `the enclosure at ${bits} bits`);
  }
  // Each row: Single, Double, Extended, Extended2, in the program's number text.
  const other = Object.fromEntries(block('arithmetic.py', 'other-hardware').map(([name, ...values]) => [name, values]));
  for (const [name, width, suffix] of [
    ['64-bit significands (x87), all in registers', 64, ''],
    ['fused multiply-add', 53, '_fused'],
  ]) {
    const results = ['t2_subtracted', 'term_by_term', 'term_by_term', 'powers_reused'].map(key => {
      const arithmetic = (suffix ? fused : nearest)(width);
      return arithmetic.result(evaluate(byKey[key].program, arithmetic, PROGRAM).result);
    });
    assert.deepEqual(
      results.map(v => text(scientific(v, 1n, 6))),
      other[name].map(asPageText),
      name,
    );
  }
  // each term as it enters f, and n of γₙ and what it counts, as the explanation page derives them
  const condition = block('steps.py', 'condition');
  const written = parts => parts.map(part => (typeof part === 'string' ? part : text(part))).join('');
  const formulas = point.termSteps.map(step => written(formula(step)));
  assert.deepEqual(
    formulas,
    condition.slice(0, formulas.length).map(([term]) => term),
    'the terms as they enter f',
  );
  const [named, n] = condition.find(([name]) => name.startsWith('n, the most roundings'));
  const [, products, sums] = named.match(/(\d+) multiplications and the (\d+) sums/).map(Number);
  const { chain } = boundAt(53, point.magnitudes, point.f);
  assert.deepEqual(chain, { roundings: Number(n), products, sums }, 'the longest chain of roundings');
  assert.equal(chainWords(chain), `${n}: ${products} multiplications and ${sums} sums`, 'what n counts, in words');
  const remedies = block('remedies.py', 'remedies');
  assert.equal(remedies.length, rows('remedy').length, 'a row a remedy');
  rows('remedy').forEach((row, i) => {
    const shown = [
      String(at(row.key, x, y, 53)).replace('-', '−'),
      ...['sign', 'exact'].map(m => String(point.marks[row.key][m] ?? 'none')),
    ];
    assert.deepEqual(shown, remedies[i].slice(1), row.key);
  });
});

test("random rounding's bits and statistics, and its false claims at the program's point as the explanation page counts them", () => {
  // splitmix64 from seed 0: the reference implementation's first outputs.
  const next = splitmix64(0n);
  assert.deepEqual([next(), next(), next()], [0xe220a8397b1dcdafn, 0x6e789e6aa1b965f4n, 0x06c45d188009454fn]);
  // τ against its definition: P(|T| <= τ) = 0.95, the density integrated by Simpson's rule.
  for (const nu of [1, 2, 5, 19]) {
    const density = t =>
      Math.exp(lgamma((nu + 1) / 2) - lgamma(nu / 2)) / Math.sqrt(nu * Math.PI) / (1 + (t * t) / nu) ** ((nu + 1) / 2);
    const tau = studentT(nu);
    const n = 20000;
    let mass = density(0) + density(tau);
    for (let i = 1; i < n; ++i) mass += (i % 2 ? 4 : 2) * density((i * tau) / n);
    assert.ok(Math.abs((2 * mass * tau) / (3 * n) - 0.95) < 1e-9, `τ for ${nu} degrees: ${tau}`);
  }
  const random = byKey.random_rounding;
  const point = new Point(PROGRAM.x, PROGRAM.y);
  const run = bits => point.run(random, 53, bits).result;
  // seeds 1 to 1000 at 53 bits: runs all equal, of those all 0, false claims (claiming a digit, none right)
  const [counts] = block('detectors.py', 'random-seeds');
  for (const [N, equal, zero, claims] of [[3, ...counts.slice(2, 5)]]) {
    const tried = Array.from({ length: 1000 }, (_, i) => randomRounding(run, N, BigInt(i + 1), point.f, 53));
    const same = tried.filter(each => each.identical);
    assert.deepEqual(
      [same.length, same.filter(each => each.runs[0] === 0n).length, tried.filter(each => each.falseClaim).length].map(
        String,
      ),
      [equal, zero, claims],
      `${N} runs`,
    );
  }
  assert.ok(
    randomRounding(run, 3, 1n, point.f, 53).runs.every(r => r % (1n << 133n) === 0n),
    'whole multiples of the spacing',
  );
});

// The natural logarithm of the gamma function for a half-integer or whole positive argument.
function lgamma(z) {
  let sum = z % 1 === 0 ? 0 : Math.log(Math.sqrt(Math.PI));
  for (let k = z % 1 === 0 ? 1 : 0.5; k < z; ++k) sum += Math.log(k);
  return sum;
}

test("each operation's rounding error and effect are those of the explanation page", () => {
  const exponent = stepExponent(new Point(PROGRAM.x, PROGRAM.y).terms, 53);
  for (const [name, row] of [
    ['steps-double', byKey.term_by_term],
    ['steps-reuse', byKey.powers_reused],
    ['steps-single', byKey.t2_subtracted],
  ]) {
    const acc = account(evaluate(row.program, nearest(53), PROGRAM), evaluate(row.program, exactTracking(), PROGRAM));
    const steps = error => text(inSteps(error, exponent));
    const shown = acc.rows
      .filter(r => r.effect !== null)
      .map(r => [
        stepName(r) + (r.note === 'Sterbenz' ? " (exact: Sterbenz's lemma)" : ''),
        steps(r.error),
        steps(r.effect),
      ]);
    shown.push(
      ['all roundings together', '', steps(acc.total)],
      ['exact value of the polynomial', '', steps(acc.exact)],
      ['result', '', steps(acc.result)],
    );
    assert.deepEqual(shown, block('steps.py', name), name);
  }
});

// Points where terms vanish, cancel, or hold more bits than the width, and the widths tried there.
const POINTS = [
  [PROGRAM.x, PROGRAM.y, [11, 24, 53, 64]],
  [0n, 0n, [2, 5]],
  [0n, 5n, [2, 24]],
  [7n, 0n, [3, 53]],
  [33n, 8n, [2, 5, 24]],
  [-2177n, 528n, [3, 17, 40]],
  [2n ** 70n + 12345n, 3n ** 30n, [20, 53, 113]],
  [123456789n, 987654321n, [2, 9, 30, 64]],
  [249n, 52n, [53]],
];

// Programs of every shape: the program's orders, Horner's scheme, and every 17th order of summation
// (one that starts with a negative term among them), each with a name.
const PROGRAMS = [
  ...['term_by_term', 't2_subtracted', 'powers_reused', 'horner'].map(key => [key, byKey[key].program]),
  ...SUMMATION_ORDERS.filter((_, i) => i % 17 === 5).map((program, i) => [`order ${i * 17 + 5}`, program]),
];

test("any program's account adds up to its result less its exact value, and every step's shares to its error", () => {
  for (const [x, y, widths] of POINTS) {
    for (const p of widths) {
      for (const [name, program] of PROGRAMS) {
        const run = evaluate(program, nearest(p), { x, y });
        const exact = evaluate(program, exactTracking(), { x, y });
        const acc = account(run, exact);
        const where = `${name} at (${x}, ${y}), ${p} bits`;
        assert.equal(
          acc.rows.reduce((sum, r) => sum + (r.effect ?? 0n), 0n),
          run.result - exactValue(x, y, program),
          where,
        );
        run.steps.forEach((step, i) => {
          const { roundings, operands, carried } = shares(step, run, exact);
          const sum = [...roundings, ...operands].reduce((a, { share }) => a + share, carried);
          assert.equal(sum, run.values[i] - exact.values[i], `${where}, ${stepName(step)}: the shares add up`);
          assert.equal(roundings.length, step.ops.length, `${where}, ${stepName(step)}: a share an operation`);
          // what a step's own operations make of it, the rest carried in from the steps it reads
          assert.equal(acc.rows[i].error, sum - carried, `${where}, ${stepName(step)}: its own error`);
        });
      }
    }
  }
  // T1 at 5 bits, by hand: 83521 enters as 81920 (an operand's share), then 81920·y rounds.
  const [run, exact] = [nearest(5), exactTracking()].map(ar => evaluate(TERM_BY_TERM, ar, { x: 0n, y: 3n }));
  const { roundings, operands } = shares(run.steps[0], run, exact);
  assert.deepEqual(
    operands.map(({ operand, share }) => [operand, share]),
    [['83521', (81920n - 83521n) * 3n ** 8n]],
  );
  assert.equal(roundings[0].share, (round(81920n * 3n, 5) - 81920n * 3n) * 3n ** 7n);
  assert.deepEqual(evaluate(POWERS_REUSED, nearest(5), { x: 3n, y: 3n }).steps.map(stepName).slice(0, 3), [
    'X4 = x·x·x·x',
    'Y4 = y·y·y·y',
    'S = U1 = 83521·Y4·Y4',
  ]);
});

test('a row gives its own program’s value, whatever programs share its first steps, and the orders of summation are every order', () => {
  const termsOf = program =>
    evaluate(program, CHAINS, PROGRAM)
      .steps.filter(s => s.role === 'term')
      .map(s => s.label);
  const named = order => SUMMATION_ORDERS.find(program => termsOf(program).join() === order);
  // rows that differ only in their programs, the first two alike up to their first sum
  const programs = ['T1,T5,T2,T3,T4', 'T1,T2,T3,T4,T5', 'T5,T4,T3,T2,T1'].map(named);
  const alike = programs.map((program, i) => ({ ...byKey.horner, key: `order ${i}`, program }));
  assert.equal(new Set(SUMMATION_ORDERS.map(program => termsOf(program).join())).size, 120, 'every order once');
  assert.equal(SUMMATION_ORDERS[0], TERM_BY_TERM, 'the first order is the program’s own');
  for (const [x, y, widths] of POINTS) {
    const point = new Point(x, y);
    for (const p of widths) {
      const where = `(${x}, ${y}) at ${p} bits`;
      for (const row of alike)
        assert.equal(point.value(row, p), evaluate(row.program, nearest(p), { x, y }).result, `${row.key} ${where}`);
      const all = point.value(byKey.summation_orders, p);
      SUMMATION_ORDERS.forEach((program, i) =>
        assert.equal(all[i], evaluate(program, nearest(p), { x, y }).result, `order ${i} ${where}`),
      );
      assert.equal(all[0], point.value(byKey.term_by_term, p), where);
    }
  }
});

test('the running bound is never below the error, and the K-fold sums’ shortcut finds what trying every width finds', () => {
  for (const [x, y, widths] of POINTS) {
    const point = new Point(x, y);
    for (const p of [...widths, 2, 3, 100]) {
      const { value, bound } = point.value(byKey.running_bound, p);
      assert.ok(
        bound >= (value > point.f ? value - point.f : point.f - value),
        `running bound at (${x}, ${y}), ${p} bits`,
      );
    }
    // rows whose sign a bound may prove without running them: the K-fold sums, the orders of summation
    for (const row of [...rows('remedy').filter(each => SUMS[each.sum]?.surelySigned), ...rows('orders')]) {
      let least = null;
      for (let p = 1024; p >= 2; --p) {
        if (![point.value(row, p)].flat().every(v => verdict(v, point.f).sign === 'right')) break;
        least = p;
      }
      assert.equal(KINDS[row.kind].leastWidths(point, row).sign, least, `${row.key} at (${x}, ${y})`);
    }
  }
});

test('a verdict grades how wrong a result is: exact, digits, the sign alone, 0, wrong, far off', () => {
  // result, exact value, tone, sign, correct digits
  // prettier-ignore
  const cases = [
    [ 100n,   100n, 'exact', 'right', null],
    [ 101n,   100n, 'good',  'right', 1],     // 1 % off
    [ 109n,   100n, 'good',  'right', 1],     // 9 % off: one digit right
    [ 110n,   100n, 'fair',  'right', 0],     // 10 % off: the sign alone
    [ 199n,   100n, 'fair',  'right', 0],
    [ 300n,   100n, 'bad',   'right', 0],     // twice |f| off
    [-100n,   100n, 'bad',   'wrong', 0],
    [   0n,   100n, 'lost',  'lost',  0],     // all of |f|
    [ 100100n, 100n, 'bad',  'right', 0],     // 1000 times |f| off
    [ 100101n, 100n, 'worst', 'right', 0],    // beyond
    [   5n,     0n, 'bad',   'none',  null],
    [   0n,     0n, 'exact', 'right', null],
  ];
  for (const [result, exact, tone, sign, digits] of cases) {
    const v = verdict(result, exact);
    assert.deepEqual([v.tone, v.sign, v.digits], [tone, sign, digits], `${result} against ${exact}`);
  }
});
