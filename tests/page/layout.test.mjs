// The built page polyeval.html in a headless browser (Chromium, or firefox-esr with BROWSER=firefox),
// driven by puppeteer-core: what --dump-dom cannot tell. It never scrolls sideways on a phone or a
// projector, whatever the point and with every long number's digits shown; its controls redraw the
// page and the address and bring what they changed into view; a link to a section lands there; the
// lecture view's steps each fit a projector's screen in type large enough, and its keys move
// through them; the fields take leading zeros alike and mark what they refuse; axe-core finds
// nothing serious, in light and dark.
//
// usage: [BROWSER=firefox] node tests/page/layout.test.mjs PAGE   (needs npm ci --prefix tests/page)
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { test } from 'node:test';

import { browser, open as openFile } from './browser.mjs';
import { ciede2000, contrast, lab } from './colour.mjs';
import { rows } from '../../src/page/evaluations.mjs';
import { ANSWERS, QUESTIONS } from '../../src/page/questions.mjs';
import { LECTURE, asksAt } from '../../src/page/lecture.mjs';
import { pointModel, widthModel } from '../../src/page/model.mjs';

const PAGE = `file://${process.argv[2]}`;
const axe = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const LONG = '9'.repeat(100);
// The lecture's last step: as many as the lecture view has.
const LAST_STEP = LECTURE.length;

// Opens the page at the address with query in a window width × height px, once it has computed.
const open = (query, width, height = 900) => openFile(PAGE + query, width, '#results', height);

// What the page holds in #results.
const results = page => page.$eval('#results', element => JSON.parse(element.textContent));

test('no sideways scrolling, and every table in a labelled region of its own', { timeout: 120000 }, async () => {
  // width, query
  const rows = [
    [375, ''],
    [1024, ''],
    [375, `?x=${LONG}&y=2298912`],
    [1024, `?x=${LONG}&y=${LONG}&p=1024`],
    [375, `?x=${LONG}&y=${LONG}&p=2`],
    [375, `?x=1.5&y=${LONG}0`],
  ];
  for (const [width, query] of rows) {
    const page = await open(query, width);
    await page.$$eval('button.digits-toggle', all => all.forEach(toggle => toggle.click()));
    const [scrollWidth, clientWidth] = await page.evaluate(() => [
      document.documentElement.scrollWidth,
      document.documentElement.clientWidth,
    ]);
    assert.ok(scrollWidth <= clientWidth, `?${query} at ${width} px: the page is ${scrollWidth} px wide`);
    const unlabelled = await page.$$eval(
      'table',
      tables =>
        tables.filter(table => {
          const region = table.parentElement;
          const label = document.getElementById(region.getAttribute('aria-labelledby'));
          return region.getAttribute('role') !== 'region' || region.tabIndex !== 0 || !label?.textContent.trim();
        }).length,
    );
    assert.equal(unlabelled, 0, `?${query}: tables outside a labelled, focusable region`);
    await page.close();
  }
});

test('a width, the least exact width and a typed point redraw the page and address', { timeout: 120000 }, async () => {
  const page = await open('', 1024);
  await page.click('button[data-p="64"]');
  let shown = await results(page);
  assert.equal(shown.p, 64);
  assert.equal(BigInt(shown.term_by_term.result), -(1n << 122n), "Double's order at 64 bits");
  assert.match(await page.evaluate(() => location.search), /[?&]p=64(&|$)/);
  await page.click('#least-exact');
  shown = await results(page);
  assert.equal(shown.p, shown.exact_from);
  assert.equal(shown.term_by_term.result, shown.f);
  await page.$eval('#x', field => {
    field.value = '  2177 ';
  });
  await page.$eval('#y', field => {
    field.value = ' 528';
  });
  await page.click('button[type="submit"]');
  shown = await results(page);
  assert.deepEqual([shown.x, shown.y, shown.f], ['2177', '528', String(1n - 2n * 2177n * 2177n)]);
  assert.equal(await page.$eval('#x', field => field.value), '2177', 'the field is trimmed');
  assert.equal(await page.evaluate(() => location.search), `?x=2177&y=528&p=${shown.p}`);
  await page.close();
});

test('axe-core finds nothing serious or critical, light or dark', { timeout: 180000 }, async () => {
  const schemes = browser.name === 'chromium' ? ['light', 'dark'] : ['light'];
  // a lecture step asking, and one with its answers shown
  const queries = [
    '',
    '?x=1.5&y=528',
    `?x=${2n ** 130n}&y=3&p=11`,
    '?view=lecture&step=6',
    '?view=lecture&step=4&answers',
  ];
  for (const [scheme, query] of schemes.flatMap(scheme => queries.map(query => [scheme, query]))) {
    const page = await open(query, 375);
    if (scheme === 'dark') {
      await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    }
    if (query.endsWith('&answers')) await showAnswers(page, query);
    await page.evaluate(axe);
    const found = await page.evaluate(async () =>
      (await window.axe.run(document)).violations
        .filter(violation => ['serious', 'critical'].includes(violation.impact))
        .map(violation => `${violation.id}: ${violation.nodes.map(node => node.target.join(' ')).join(', ')}`),
    );
    assert.deepEqual(found, [], `?${query}, ${scheme}`);
    assert.equal(await page.$$eval('main', mains => mains.length), 1, 'one main landmark');
    await page.close();
  }
});

// Shows what a lecture step that asks shows below its answers, where the query opens such a step.
async function showAnswers(page, query) {
  const step = Number(new URLSearchParams(query).get('step'));
  if (step && asksAt(step)) await page.keyboard.press('ArrowRight');
}

// Whether the element `selector` stands in the window: its top inside it, and enough of it below to
// read.
async function inView(page, selector) {
  return page.$eval(selector, element => {
    const box = element.getBoundingClientRect();
    return box.top >= -2 && box.top + Math.min(box.height, 80) <= window.innerHeight;
  });
}

// Types a width into the field p, as a reader does, one key at a time.
async function typeWidth(page, p) {
  await page.click('#p', { count: 3 });
  await page.keyboard.type(String(p));
}

// A change: scroll the element `near` into view, then click `target` in it.
const scrolledClick =
  (near, target = near) =>
  async page => {
    await (await page.$(near)).scrollIntoView();
    await page.click(target);
  };

test('what a change changed is in view, and a link to a section lands on it', { timeout: 240000 }, async () => {
  // window, the change, what it changes (in view), what must stay in view beside it
  const rows = [
    [[1280, 800], page => page.click('button[data-p="24"]'), '#width .cards', '#p'],
    [[375, 812], page => page.click('button[data-p="113"]'), '#width .cards', '#p'],
    [[1280, 800], page => page.click('#least-exact'), '#width .cards', '#p'],
    [[375, 812], page => page.click('#least-exact'), '#width .cards', '#p'],
    [[1280, 800], page => typeWidth(page, 64), '#width .cards', '#p'],
    [[375, 812], page => typeWidth(page, 64), '#width .cards', '#p'],
    [[1280, 800], page => page.click('#wider'), '#width .cards', '#p'],
    [[1280, 800], page => page.click('#chain a:nth-of-type(2)'), '#point', null],
    [[375, 812], page => page.click('#chain a:nth-of-type(3)'), '#point', null],
    [[1280, 800], scrolledClick('svg.chart'), '.readout', 'svg.chart'],
    [[375, 812], scrolledClick('svg.chart'), 'svg.chart', '.stepper'],
    [[375, 812], scrolledClick('.stepper', '.stepper button:last-child'), '.stepper', 'svg.chart'],
    [[1280, 800], scrolledClick('.thresholds', '.thresholds button'), '.thresholds', null],
    [
      [1280, 800],
      async page => {
        await page.$eval('#x', field => {
          field.value = '2177';
        });
        await page.$eval('#y', field => {
          field.value = '528';
        });
        await page.click('button[type="submit"]');
      },
      '#point',
      null,
    ],
  ];
  for (const [[width, height], change, changed, beside] of rows) {
    const page = await open('', width, height);
    const before = (await results(page)).p;
    await change(page);
    await page.waitForFunction(
      p => JSON.parse(document.getElementById('results').textContent).p !== p || location.search,
      { timeout: 10000 },
      before,
    );
    const where = `at ${width} × ${height} after ${change.toString().slice(0, 60)}`;
    assert.ok(await inView(page, changed), `${changed} is out of view ${where}`);
    if (beside) assert.ok(await inView(page, beside), `${beside} is out of view ${where}`);
    await page.close();
  }
  for (const [query, section] of [
    ['?x=33&y=8&p=64#width', '#width'],
    ['?p=24#chart', '#chart'],
    ['?p=24#fix', '#fix'],
  ]) {
    const page = await open(query, 1280, 800);
    assert.ok(await inView(page, section), `${query}: ${section} is out of view`);
    await page.close();
  }
});

// The sizes of the lecture view's text on screen, in px: the type the view is set in, its heading's,
// the exponents, every other text that holds a digit, and every text that holds none; an SVG text's
// size is in its drawing's units, times its scale.
const lectureSizes = () => {
  const size = e => parseFloat(getComputedStyle(e).fontSize) * (e.ownerSVGElement?.getScreenCTM().a ?? 1);
  const shown = e => e.getClientRects().length && e.textContent.trim();
  const own = e =>
    [...e.childNodes]
      .filter(n => n.nodeType === 3)
      .map(n => n.textContent.trim())
      .join('');
  const all = [...document.querySelectorAll('#lecture *')].filter(e => shown(e) && own(e));
  const words = all.filter(e => !e.closest('.exponent'));
  return {
    search: location.search,
    tall: document.documentElement.scrollHeight - window.innerHeight,
    wide: document.documentElement.scrollWidth - document.documentElement.clientWidth,
    type: size(document.getElementById('lecture')),
    heading: size(document.querySelector('#lecture h2')),
    exponents: [...document.querySelectorAll('#lecture .exponent')].filter(shown).map(size),
    numbers: words.filter(e => /\d/.test(own(e))).map(e => [size(e), own(e).slice(0, 30)]),
    text: words.filter(e => !/\d/.test(own(e))).map(e => [size(e), own(e).slice(0, 30)]),
  };
};

test(
  'each lecture step fits a 16:9 and a 4:3 screen in one type large enough, and the keys move through them',
  { timeout: 300000 },
  async () => {
    // window, the least size of a text with a digit (the chart's included), of an exponent, of any
    // other text
    for (const [width, height, number, exponent, other] of [
      [1920, 1080, 32, 20, 20],
      [1024, 768, 24, 16, 16],
    ]) {
      const page = await open('?view=lecture&step=1', width, height);
      const steps = await page.$eval('#lecture .lecture-nav span', span => Number(span.textContent.split(' of ')[1]));
      assert.equal(steps, LAST_STEP, 'every step of the lecture view');
      const types = [];
      let pressed = 0;
      for (let step = 1; step <= steps; ++step) {
        // a step that asks, asking and then with its answers revealed
        for (const revealed of asksAt(step) ? [false, true] : [null]) {
          const shown = await page.evaluate(lectureSizes);
          const where = `step ${step}${revealed ? ', its answers revealed,' : ''} at ${width} × ${height}`;
          assert.match(shown.search, new RegExp(`[?&]step=${step}(&|$)`), `${where}: in the address`);
          assert.ok(shown.tall <= 0 && shown.wide <= 0, `${where} scrolls: ${shown.tall}, ${shown.wide}`);
          const small = (list, least) => list.filter(([size]) => size < least - 0.01);
          if (!revealed && revealed !== null) assert.ok(shown.text.length > 0, `${where}: no question`);
          else assert.ok(shown.numbers.length > 0, `${where}: no number`);
          assert.deepEqual(small(shown.numbers, number), [], `${where}: text with a digit below ${number} px`);
          assert.ok(Math.min(...shown.exponents, exponent) >= exponent, `${where}: exponents below ${exponent} px`);
          assert.deepEqual(small(shown.text, other), [], `${where}: text below ${other} px`);
          types.push([shown.type, shown.heading]);
          // every forward key in turn, and End at the last but one, once it has revealed what it asks
          const end = step === steps - 1 && revealed !== false;
          await page.keyboard.press(end ? 'End' : ['ArrowRight', 'PageDown', ' ', 'ArrowDown'][pressed++ % 4]);
        }
      }
      assert.equal(new Set(types.map(String)).size, 1, `one type at ${width} × ${height}: ${types.join('; ')}`);
      const last = new RegExp(`[?&]step=${LAST_STEP}(&|$)`);
      assert.match(await page.evaluate(() => location.search), last, 'the last step stays');
      // from the first step to the fourth: a press a step, and one more for each that asks
      await page.keyboard.press('Home');
      for (let step = 1; step < 4; ++step)
        for (let i = asksAt(step) ? 2 : 1; i > 0; --i) await page.keyboard.press('ArrowRight');
      assert.match(await page.evaluate(() => location.search), /[?&]step=4(&|$)/);
      if (asksAt(4)) await page.keyboard.press('ArrowRight'); // the step itself, its answers revealed
      await page.click('#lecture .presets button');
      assert.equal((await results(page)).p, 11, 'a preset on step 4 chooses its width');
      await page.keyboard.press('Escape');
      const left = await page.evaluate(() => [location.search, document.getElementById('lecture').hidden]);
      assert.deepEqual(left, ['?x=9478657&y=2298912&p=11', true], 'Escape leaves the lecture view');
      assert.ok(await inView(page, '#chart-heading'), 'Escape returns to the section of the step shown');
      await page.close();
    }
  },
);

// What the lecture shows: its step in words ("3 of 8"), its text, and its address.
const lectureShown = page =>
  page.evaluate(() => ({
    where: document.querySelector('#lecture .lecture-nav span')?.textContent,
    text: document.getElementById('lecture').innerText,
    shown: !document.getElementById('lecture').hidden && document.body.classList.contains('lecturing'),
    search: location.search,
  }));

test(
  'the lecture’s keys change the width, and its address is corrected or refused in the lecture',
  {
    timeout: 120000,
  },
  async () => {
    const page = await open('?view=lecture&step=4&p=60', 1280, 800);
    // key, the width it leaves
    for (const [key, p] of [
      ['+', 61],
      ['=', 62],
      ['-', 61],
      ['-', 60],
    ]) {
      await page.keyboard.press(key);
      assert.equal((await results(page)).p, p, `${key} leaves p = ${p}`);
      const shown = await lectureShown(page);
      assert.match(shown.search, new RegExp(`[?&]p=${p}&.*step=4`), `${key}: the address follows`);
      assert.equal(shown.where, `4 of ${LAST_STEP}`, `${key}: the step stays`);
    }
    await page.close();
    // address, the step shown, the field named (none: the address corrected)
    for (const [query, step, field] of [
      ['?view=lecture&step=99', LAST_STEP, null],
      ['?view=lecture&step=0&p=24', 1, null],
      ['?view=lecture&step=2&n=1', 2, 'N'],
      ['?view=lecture&step=5&p=2000&seed=x', 5, 'p'],
    ]) {
      const tab = await open(query, 1280, 800);
      const shown = await lectureShown(tab);
      assert.ok(shown.shown, `${query}: the lecture is on screen`);
      assert.equal(shown.where, `${step} of ${LAST_STEP}`, `${query}: the step shown`);
      assert.match(shown.search, new RegExp(`[?&]step=${step}(&|$)`), `${query}: the address`);
      const error = (await results(tab)).error ?? [];
      assert.deepEqual(error.map(problem => problem.field).slice(0, 1), field ? [field] : [], query);
      for (const { text } of error) assert.ok(shown.text.includes(text), `${query}: the lecture names ${text}`);
      await tab.close();
    }
  },
);

// Switches every series of the page's chart on, one at a time, as each switch redraws the legend (at
// most 50, so that a switch that fails cannot hold the test).
const switchAllOn = () => {
  for (let i = 0, box; i < 50 && (box = document.querySelector('.legend input:not(:checked)')); ++i) box.click();
};

// Whether every text of the charts lies across the window: [its text, left, right] of each that does not.
const outside = () =>
  [...document.querySelectorAll('svg.chart text')]
    .map(t => [t.textContent, t.getBoundingClientRect()])
    .filter(([, box]) => box.width && (box.left < -0.5 || box.right > document.documentElement.clientWidth + 0.5))
    .map(([words, box]) => [words, Math.round(box.left), Math.round(box.right)]);

test('on a phone no chart text leaves the screen, on the page or in the lecture', { timeout: 120000 }, async () => {
  const queries = ['', '?x=2177&y=528&p=64', '?view=lecture&step=4', '?view=lecture&step=8', '?p=500'];
  for (const query of queries) {
    const page = await open(query, 375, 812);
    await showAnswers(page, query);
    await page.evaluate(switchAllOn);
    assert.deepEqual(await page.evaluate(outside), [], `${query} at 375 px`);
    await page.close();
  }
});

test('a width beyond the chart’s axis is marked at its edge', { timeout: 60000 }, async () => {
  const page = await open('?p=500', 1280, 800);
  const shown = await page.evaluate(() => {
    const chosen = document.querySelector('svg.chart .chosen');
    const ends = [...document.querySelectorAll('svg.chart path.series')].map(path => {
      const box = path.getBBox();
      return box.x + box.width;
    });
    return { x: Number(chosen?.querySelector('line').getAttribute('x1')), words: chosen?.textContent, ends };
  });
  assert.match(shown.words ?? '', /p = 500/);
  assert.ok(Math.abs(shown.x - Math.max(...shown.ends)) < 10, `marked at ${shown.x}, the axis ends at ${shown.ends}`);
  await page.close();
});

test('the chart’s slider follows a drag and the arrow keys, and keeps the focus', { timeout: 120000 }, async () => {
  const page = await open('', 1280, 800);
  const slider = '.stepper input[type="range"]';
  await (await page.$(slider)).scrollIntoView();
  const { left, width, top, height, min, max } = await page.$eval(slider, input => {
    const box = input.getBoundingClientRect();
    return { left: box.left, width: box.width, top: box.top, height: box.height, min: +input.min, max: +input.max };
  });
  const at = share => left + share * width;
  await page.mouse.move(at(0.25), top + height / 2);
  await page.mouse.down();
  for (let share = 0.25; share <= 0.9 + 1e-9; share += 0.05) await page.mouse.move(at(share), top + height / 2);
  await page.mouse.up();
  const dragged = (await results(page)).p;
  // the thumb's width takes a little of the track, so that 90 % of the box is not 90 % of the range
  const expected = min + 0.9 * (max - min);
  assert.ok(Math.abs(dragged - expected) <= 0.04 * (max - min), `dragged to 90 %: p = ${dragged}, about ${expected}`);
  assert.equal(await page.$eval(slider, input => Number(input.value)), dragged, 'the slider shows p');
  assert.ok(await page.$eval(slider, input => document.activeElement === input), 'the focus stays after a drag');
  for (let i = 0; i < 5; ++i) await page.keyboard.press('ArrowRight');
  assert.equal((await results(page)).p, dragged + 5, 'five presses of the right arrow');
  assert.ok(await page.$eval(slider, input => document.activeElement === input), 'the focus stays on the keys');
  assert.match(await page.evaluate(() => location.search), new RegExp(`[?&]p=${dragged + 5}(&|$)`), 'the address');
  await page.close();
});

test('the fields take leading zeros alike, and mark what they refuse', { timeout: 120000 }, async () => {
  // address, what #results holds: the point and width, or the fields refused
  const rows = [
    ['?x=0009478657&y=02298912&p=0053', ['9478657', '2298912', 53]],
    ['?x=33&y=8&p=01024', ['33', '8', 1024]],
    ['?x=-0033&y=+008&p=0002', ['-33', '8', 2]],
    ['?x=33&y=8&p=1025', ['p']],
    ['?x=3.3&y=8&p=00000', ['x', 'p']],
    ['?N=20&seed=18446744073709551615', ['9478657', '2298912', 53]],
    ['?N=1&seed=-1', ['N', 'seed']],
    ['?N=21&seed=18446744073709551616', ['N', 'seed']],
    ['?N=&seed=1e3', ['N', 'seed']],
    ['?n=1', ['N']],
  ];
  for (const [query, want] of rows) {
    const page = await open(query, 1024);
    const shown = await results(page);
    const got = shown.error ? shown.error.map(problem => problem.field) : [shown.x, shown.y, shown.p];
    assert.deepEqual(got, want, query);
    const invalid = await page.$$eval('input', fields => fields.map(f => [f.id, f.getAttribute('aria-invalid')]));
    const refused = shown.error?.map(problem => problem.field) ?? [];
    for (const [id, mark] of invalid) assert.equal(mark, refused.includes(id) ? 'true' : null, `${query}: #${id}`);
    if (shown.error) {
      assert.equal(await page.$eval('#least-exact', button => button.disabled), true, `${query}: the least width`);
      assert.equal(await page.$$eval('#at-point > :not([hidden])', shown => shown.length), 0, `${query}: a section`);
    }
    await page.close();
  }
  // an address of the runs' former name, n, and of their name, N: the runs shown, and the address after
  for (const [query, runs, address] of [
    ['?x=33&y=8&n=5&seed=2', 5, '?x=33&y=8&p=53&N=5&seed=2'],
    ['?x=33&y=8&N=07&n=5', 7, '?x=33&y=8&p=53&N=07'],
    ['?x=33&y=8&N=3', 3, '?x=33&y=8&N=3'],
  ]) {
    const tab = await open(query, 1024);
    assert.equal((await results(tab)).random_rounding.n, runs, query);
    assert.equal(await tab.evaluate(() => location.search), address, `${query}: the address`);
    await tab.close();
  }
  const page = await open('?x=3.3&y=8', 1024);
  await page.$eval('#x', field => {
    field.value = '33';
  });
  await page.click('button[type="submit"]');
  assert.equal(await page.$eval('#x', field => field.getAttribute('aria-invalid')), null, 'the mark goes');
  await page.close();
});

test(
  'the chart says in words what it draws, reads at a phone’s size, and a series can be switched',
  { timeout: 120000 },
  async () => {
    for (const [width, least] of [
      [1280, 11],
      [375, 11],
    ]) {
      const page = await open('?x=2177&y=528&p=64', width, 800);
      const shown = await page.evaluate(() => {
        const svg = document.querySelector('svg.chart');
        const scale = svg.getScreenCTM().a;
        return {
          label: svg
            .getAttribute('aria-labelledby')
            .split(' ')
            .map(id => document.getElementById(id).textContent)
            .join(' '),
          sizes: [...svg.querySelectorAll('text, tspan')].map(t => parseFloat(getComputedStyle(t).fontSize) * scale),
          one: [...svg.querySelectorAll('text')].some(t => t.textContent.startsWith('all of |f|')),
          marks: [...svg.querySelectorAll('.threshold text')].map(t => t.textContent),
          listed: [...document.querySelectorAll('.thresholds li')].map(li => li.textContent),
          thresholds: JSON.parse(document.getElementById('results').textContent).thresholds,
        };
      });
      assert.match(shown.label, /^Error against width Relative error against the significand width p/);
      for (const w of Object.values(shown.thresholds)) assert.match(shown.label, new RegExp(`from ${w} bits`));
      for (const w of Object.values(shown.thresholds))
        assert.ok(
          shown.marks.some(m => m.endsWith(`from ${w}`)),
          `no mark names ${w}`,
        );
      assert.equal(shown.listed.length, 6, 'all six least widths listed');
      assert.ok(shown.one, 'the line at 10⁰ is named');
      assert.ok(Math.min(...shown.sizes) >= least, `chart text of ${Math.min(...shown.sizes)} px at ${width} px`);
      const before = await page.$$eval('svg.chart path.series', paths => paths.length);
      await page.click('.legend input:not(:checked)');
      assert.equal(
        await page.$$eval('svg.chart path.series', paths => paths.length),
        before + 1,
        'a series switched on',
      );
      await page.close();
    }
  },
);

test('every link of the sections’ list lands with its heading below the width bar', { timeout: 120000 }, async () => {
  const page = await open('', 1280, 800);
  const links = await page.$$eval('main > nav a[href^="#"]', all => all.map(a => a.getAttribute('href')));
  assert.ok(links.length >= 8, `${links.length} links`);
  for (const href of links) {
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.click(`main > nav a[href="${href}"]`);
    await page.waitForFunction(h => location.hash === h, { timeout: 10000 }, href);
    const [heading, bar] = await page.$eval(href, target => {
      const heading = /^H\d$/.test(target.tagName) ? target : target.querySelector('h2');
      const box = element => element.getBoundingClientRect();
      return [box(heading), box(document.getElementById('width-bar'))].map(({ top, bottom }) => ({ top, bottom }));
    });
    const clear = heading.top >= bar.bottom - 0.5 || heading.bottom <= bar.top + 0.5;
    assert.ok(clear && heading.bottom <= 800, `${href}: heading at ${heading.top}, the bar down to ${bar.bottom}`);
  }
  await page.close();
});

// CIEDE2000 against the test data of Sharma, Wu and Dalal (2005), table 1: L*, a*, b* of two colours and
// ΔE₀₀ to four decimals.
// prettier-ignore
const SHARMA = [
  [50, 2.6772, -79.7751, 50, 0, -82.7485, 2.0425], [50, 3.1571, -77.2803, 50, 0, -82.7485, 2.8615],
  [50, 2.8361, -74.02, 50, 0, -82.7485, 3.4412], [50, -1.3802, -84.2814, 50, 0, -82.7485, 1],
  [50, -1.1848, -84.8006, 50, 0, -82.7485, 1], [50, -0.9009, -85.5211, 50, 0, -82.7485, 1],
  [50, 0, 0, 50, -1, 2, 2.3669], [50, -1, 2, 50, 0, 0, 2.3669],
  [50, 2.49, -0.001, 50, -2.49, 0.0009, 7.1792], [50, 2.49, -0.001, 50, -2.49, 0.001, 7.1792],
  [50, 2.49, -0.001, 50, -2.49, 0.0011, 7.2195], [50, 2.49, -0.001, 50, -2.49, 0.0012, 7.2195],
  [50, -0.001, 2.49, 50, 0.0009, -2.49, 4.8045], [50, -0.001, 2.49, 50, 0.001, -2.49, 4.8045],
  [50, -0.001, 2.49, 50, 0.0011, -2.49, 4.7461], [50, 2.5, 0, 50, 0, -2.5, 4.3065],
  [50, 2.5, 0, 73, 25, -18, 27.1492], [50, 2.5, 0, 61, -5, 29, 22.8977],
  [50, 2.5, 0, 56, -27, -3, 31.903], [50, 2.5, 0, 58, 24, 15, 19.4535],
  [50, 2.5, 0, 50, 3.1736, 0.5854, 1], [50, 2.5, 0, 50, 3.2972, 0, 1],
  [50, 2.5, 0, 50, 1.8634, 0.5757, 1], [50, 2.5, 0, 50, 3.2592, 0.335, 1],
  [60.2574, -34.0099, 36.2677, 60.4626, -34.1751, 39.4387, 1.2644],
  [63.0109, -31.0961, -5.8663, 62.8187, -29.7946, -4.0864, 1.263],
  [61.2901, 3.7196, -5.3901, 61.4292, 2.248, -4.962, 1.8731],
  [35.0831, -44.1164, 3.7933, 35.0232, -40.0716, 1.5901, 1.8645],
  [22.7233, 20.0904, -46.694, 23.0331, 14.973, -42.5619, 2.0373],
  [36.4612, 47.858, 18.3852, 36.2715, 50.5065, 21.2231, 1.4146],
  [90.8027, -2.0831, 1.441, 91.1528, -1.6435, 0.0447, 1.4441],
  [90.9257, -0.5406, -0.9208, 88.6381, -0.8985, -0.7239, 1.5381],
  [6.7747, -0.2908, -2.4247, 5.8714, -0.0985, -2.2286, 0.6377],
  [2.0776, 0.0795, -1.135, 0.9033, -0.0636, -0.5514, 0.9082],
];

// sRGB colours in CIELAB under D65, as published with the sRGB and CIELAB definitions: white, mid-grey
// (which the transfer curve decides), red and blue.
// prettier-ignore
const SRGB = [
  [[255, 255, 255], [100, 0, 0]],
  [[128, 128, 128], [53.585, 0, 0]],
  [[255, 0, 0], [53.24, 80.09, 67.2]],
  [[0, 0, 255], [32.3, 79.19, -107.86]],
];

test('CIEDE2000 gives the published differences, either way round, from sRGB as published', () => {
  for (const [L1, a1, b1, L2, a2, b2, want] of SHARMA) {
    const [one, two] = [
      [L1, a1, b1],
      [L2, a2, b2],
    ];
    for (const difference of [ciede2000(one, two), ciede2000(two, one)])
      assert.ok(Math.abs(difference - want) < 5e-5, `${one} against ${two}: ${difference}, not ${want}`);
  }
  for (const [rgb, want] of SRGB)
    assert.ok(
      lab(rgb).every((v, i) => Math.abs(v - want[i]) < 0.01),
      `${rgb}: ${lab(rgb)}`,
    );
});

// Each series of the charts shown, as drawn: [its style, the colour the page computes for its stroke].
// The colours of the charts as the browser paints them, [r, g, b] of 0 to 255, whatever syntax the
// stylesheet computes them in (a relative colour, a mix): each series' stroke by its row's style, the
// least widths' words, and the paper. A colour the canvas cannot read is named instead.
const seriesColours = () => {
  const context = Object.assign(document.createElement('canvas'), { width: 1, height: 1 }).getContext('2d', {
    willReadFrequently: true,
  });
  const painted = css => {
    context.fillStyle = 'rgb(1, 2, 3)'; // a colour no stylesheet here computes: unchanged, css was not read
    context.fillStyle = css;
    if (context.fillStyle === 'rgb(1, 2, 3)' || context.fillStyle === '#010203') return css;
    context.clearRect(0, 0, 1, 1);
    context.fillRect(0, 0, 1, 1);
    return [...context.getImageData(0, 0, 1, 1).data.slice(0, 3)];
  };
  const strokes = [...document.querySelectorAll('svg.chart path.series')];
  const words = [...document.querySelectorAll('svg.chart .threshold text')];
  return {
    series: strokes.map(path => [path.getAttribute('style'), painted(getComputedStyle(path).stroke)]),
    words: words.map(text => [text.textContent, painted(getComputedStyle(text).fill)]),
    paper: painted(getComputedStyle(document.body).backgroundColor),
  };
};

test(
  'no two series shown together are closer in colour than ΔE₀₀ 20, and each stands out from the paper, light or dark',
  { timeout: 180000 },
  async () => {
    const [LEAST, LINE, TEXT] = [20, 3, 4.5]; // ΔE₀₀; WCAG's contrast for a graphic, and for text
    // the charts: the page's as it opens and with every series on, and the lecture's
    const charts = [
      ['', null],
      ['', switchAllOn],
      ['?view=lecture&step=4', 'ArrowRight'],
      ['?view=lecture&step=8', null],
    ];
    const schemes = browser.name === 'chromium' ? ['light', 'dark'] : ['light'];
    for (const scheme of schemes) {
      for (const [query, before] of charts) {
        const page = await open(query, 1280, 800);
        if (scheme === 'dark') await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
        if (typeof before === 'string')
          await page.keyboard.press(before); // a lecture step's answers shown
        else if (before) await page.evaluate(before);
        const { series, words, paper } = await page.evaluate(seriesColours);
        const where = `${scheme}, ${query || 'the page'}`;
        assert.ok(series.length >= 6, `${where}: ${series.length} series`);
        for (const [what, colour] of [...series, ...words, ['the paper', paper]])
          assert.ok(Array.isArray(colour), `${where}: ${what} is painted in ${colour}, which a canvas cannot read`);
        for (const [i, [one, first]] of series.entries()) {
          const against = contrast(first, paper);
          assert.ok(against >= LINE, `${where}: ${one} stands ${against.toFixed(2)} times out from the paper`);
          for (const [two, second] of series.slice(i + 1)) {
            const difference = ciede2000(lab(first), lab(second));
            assert.ok(difference >= LEAST, `${where}: ${one} and ${two} ΔE₀₀ ${difference.toFixed(1)}`);
          }
        }
        for (const [text, colour] of words) {
          const against = contrast(colour, paper);
          assert.ok(against >= TEXT, `${where}: “${text}” stands ${against.toFixed(2)} times out from the paper`);
        }
        await page.close();
      }
    }
  },
);

// Each verdict card's title and its sign's words, and the random rounding card's tone and summary.
const cardSigns = () =>
  [...document.querySelectorAll('main .card')].map(card => ({
    title: card.querySelector('h3').textContent,
    tone: card.className,
    summary: [...card.querySelectorAll('.summary, .truth')].map(line => line.textContent).join(' '),
    sign: [...card.querySelectorAll('dl div')]
      .filter(pair => pair.querySelector('dt').textContent.startsWith('sign against'))
      .map(pair => pair.querySelector('dd').textContent),
  }));

test('a sign is judged from its own evidence, and random rounding’s claim as it is', { timeout: 120000 }, async () => {
  const titled = words => words[0].toUpperCase() + words.slice(1);
  for (const query of ['', '?p=64', '?p=145&N=3&seed=80', '?x=2177&y=528&p=30&N=5&seed=3', '?x=100&y=3&p=12']) {
    const page = await open(query, 1280, 800);
    const shown = await results(page);
    const cards = await page.evaluate(cardSigns);
    for (const { title, sign } of cards)
      for (const words of sign) assert.doesNotMatch(words, /luck|interval/, `${query}: ${title} says “${words}”`);
    const point = pointModel(BigInt(shown.x), BigInt(shown.y));
    const { at } = widthModel(point, shown.p, { N: shown.random_rounding.n, seed: BigInt(shown.random_rounding.seed) });
    for (const row of rows('remedy').filter(each => point.marks[each.key])) {
      const { value, proves } = at[row.key];
      const [card] = cards.filter(each => each.title === titled(row.words));
      let want = { wrong: /^wrong$/, lost: /^lost/ }[at[row.key].verdict.sign] ?? /^right$/;
      if (proves) want = /^proven/;
      if (value === point.f) want = /^exact/;
      assert.match(card.sign[0], want, `${query}: ${row.key}`);
      assert.equal(String(value), shown[row.key].result, `${query}: ${row.key}'s result`);
    }
    const { digits, correct_digits: right, claim_holds: holds } = shown.random_rounding;
    assert.equal(holds, digits < right + 1, `${query}: the claim holds where C < D + 1`);
    const [random] = cards.filter(each => each.title === titled(rows('random')[0].words));
    assert.equal(random.tone.includes('good'), digits >= 1, `${query}: ${random.tone}, green where it claims a digit`);
    assert.match(random.summary, holds ? /✓ so: / : /✗ not so: /, `${query}: whether the claim holds, marked`);
    if (!holds)
      assert.match(random.summary, new RegExp(`claims ${digits.toFixed(1)} digits; ${right.toFixed(1)} are right`));
    await page.close();
  }
});

test('the lecture says a result of 0 as such, and what |f| is in steps', { timeout: 60000 }, async () => {
  for (const query of ['?view=lecture&step=3&p=40', '?view=lecture&step=3&p=64']) {
    const page = await open(query, 1920, 1080);
    if (asksAt(3)) await page.keyboard.press('ArrowRight'); // what the step shows, below its answers
    const zero = (await results(page)).term_by_term.result === '0';
    const { text } = await lectureShown(page);
    if (zero) assert.match(text, /The result is 0: off by all of \|f\|, and \|f\| is \S+ steps/, query);
    else assert.match(text, /All together: \S+ steps, the result less f/, query);
    assert.equal(/All together/.test(text), !zero, `${query}: a total only where the result is not 0`);
    await page.close();
  }
});

// The colours of the results as painted, by what each colours: every card's and lecture line's bar
// and its verdict's words, and the legend's swatches by tone, with the legend's words.
const paintedTones = () => {
  const colour = (element, property) => getComputedStyle(element)[property];
  const bars = [...document.querySelectorAll('.card, .lecture-line')].filter(e => e.getClientRects().length);
  const words = [...document.querySelectorAll('.card .summary, .lecture-line .verdict, .lecture-table .tone')];
  return {
    used: [
      ...bars.map(e => [e.className, colour(e, 'borderLeftColor')]),
      ...words.filter(e => e.getClientRects().length).map(e => [e.textContent.slice(0, 40), colour(e, 'color')]),
    ],
    legend: [...document.querySelectorAll('#run-verdicts .tone-legend li')].map(li => ({
      tone: li.className,
      colour: colour(li.querySelector('.tone-swatch'), 'borderLeftColor'),
      words: li.textContent,
    })),
    single: colour(document.querySelector('#run-verdicts .card'), 'borderLeftColor'),
  };
};

test('the legend names every colour a result is given, Single’s and why among them', { timeout: 180000 }, async () => {
  const schemes = browser.name === 'chromium' ? ['light', 'dark'] : ['light'];
  const queries = [
    '',
    '?p=64',
    '?x=2177&y=528&p=30',
    '?x=100&y=3&p=12',
    '?p=200',
    '?view=lecture&step=1',
    '?view=lecture&step=7',
  ];
  for (const scheme of schemes) {
    const home = await open('', 1280, 800);
    if (scheme === 'dark') await home.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    const { legend, single } = await home.evaluate(paintedTones);
    await home.close();
    const named = new Set(legend.map(item => item.colour));
    assert.equal(named.size, legend.length, `${scheme}: one colour a meaning: ${legend.map(i => i.colour)}`);
    const neutral = legend.find(item => item.colour === single);
    assert.match(neutral?.words ?? '', /Single.*g/, `${scheme}: Single’s colour, ${single}, and why`);
    for (const query of queries) {
      const page = await open(query, 1280, 800);
      if (scheme === 'dark') await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      const step = Number(new URLSearchParams(query).get('step'));
      if (asksAt(step)) await page.keyboard.press('ArrowRight'); // what the step shows, below its answers
      const { used } = await page.evaluate(paintedTones);
      assert.ok(used.length > 3, `${query}: ${used.length} results coloured`);
      const unnamed = used.filter(([, colour]) => !named.has(colour));
      assert.deepEqual(unnamed, [], `${scheme}, ${query}: colours the legend does not name`);
      await page.close();
    }
  }
});

// What each detector's card on the page and line in the lecture show: its tone (its class) and text.
const detectorsShown = () =>
  [...document.querySelectorAll('#detect .card, #lecture .lecture-line.detector')].map(e => ({
    tone: e.className.split(' ').find(c => ['exact', 'good', 'fair', 'lost', 'bad', 'worst', 'neutral'].includes(c)),
    text: e.textContent,
  }));

test(
  'a detector’s colour is the grade it gives the result, and whether it is right is marked apart',
  { timeout: 180000 },
  async () => {
    // The grade each detector gives, from what #results holds: the interval's ends and the running bound
    // around the term-by-term result vouch for the sign where they hold no 0 and for a correct digit
    // where their width is below a tenth of the least |f| they allow; random rounding for a digit where
    // it claims one. And whether each is right: f in the interval, within the bound, the claim holding.
    const graded = shown => {
      const f = BigInt(shown.f);
      const size = v => (v < 0n ? -v : v);
      const grade = (low, high) => {
        if (!(low > 0n || high < 0n || (low === 0n && high === 0n))) return 'bad';
        const least = size(low) < size(high) ? size(low) : size(high);
        return high === low ? 'exact' : 10n * (high - low) < least ? 'good' : 'fair';
      };
      const [low, high] = shown.term_by_term.interval.map(BigInt);
      const [value, bound] = [BigInt(shown.term_by_term.result), BigInt(shown.running_bound.bound)];
      const random = shown.random_rounding;
      return [
        [grade(low, high), low <= f && f <= high],
        [grade(value - bound, value + bound), size(value - f) <= bound],
        [random.digits >= 1 ? 'good' : 'bad', random.claim_holds],
      ];
    };
    for (const query of [
      '',
      '?p=64',
      '?p=145&N=3&seed=80',
      '?x=2177&y=528&p=30&N=5&seed=3',
      '?x=0&y=0&p=8',
      '?p=300',
    ]) {
      for (const view of ['', `${query ? '&' : '?'}view=lecture&step=6`]) {
        const page = await open(query + view, 1280, 800);
        if (view && asksAt(6)) await page.keyboard.press('ArrowRight'); // what the step shows, below its answers
        const shown = await page.evaluate(detectorsShown);
        const want = graded(await results(page));
        assert.equal(shown.length, want.length, `${query}${view}: a card or line a detector`);
        shown.forEach(({ tone, text }, i) => {
          assert.equal(tone, want[i][0], `${query}${view}: detector ${i + 1}'s colour, ${text.slice(0, 60)}`);
          assert.match(text, want[i][1] ? /✓ so: / : /✗ not so: /, `${query}${view}: detector ${i + 1} marked`);
        });
        await page.close();
      }
    }
  },
);

// What the lecture's step asks and answers: the ids of its questions asked and of its answers shown,
// and the answers' words.
const lectureQuestions = () => ({
  search: location.search,
  asked: [...document.querySelectorAll('#lecture .lecture-question')].map(e => e.dataset.question),
  answered: [...document.querySelectorAll('#lecture .lecture-answer')].map(e => [e.dataset.question, e.textContent]),
});

test(
  'a lecture step asks first: the forward key reveals its answers, then goes on; back never reveals',
  { timeout: 240000 },
  async () => {
    // the step the lecture opens at, the keys pressed (a button's words: clicked), the step it shows
    // then, and whether it asks (false), shows its answers (true) or asks nothing (null); a step
    // arrived at afresh asks what the table of questions has it ask
    const fresh = step => (asksAt(step) ? false : null);
    const cases = [
      [2, [], 2, false],
      [2, ['ArrowRight'], 2, true],
      [2, ['ArrowRight', 'ArrowRight'], 3, fresh(3)],
      [2, ['ArrowRight', 'ArrowLeft'], 1, fresh(1)],
      [3, ['ArrowLeft'], 2, false],
      [3, ['PageDown', 'PageUp'], 2, false],
      [6, [' '], 6, true],
      [7, ['ArrowDown', 'ArrowDown'], 8, fresh(8)],
      [8, ['Home'], 1, fresh(1)],
      [1, ['End'], LAST_STEP, fresh(LAST_STEP)],
      [4, ['click:answer →'], 4, true],
      [4, ['click:answer →', 'click:next →'], 5, fresh(5)],
    ];
    for (const [from, keys, step, revealed] of cases) {
      const page = await open(`?view=lecture&step=${from}&p=64`, 1280, 800);
      for (const key of keys) {
        if (key.startsWith('click:')) {
          const buttons = await page.$$('#lecture .lecture-nav button');
          const words = await Promise.all(buttons.map(button => button.evaluate(b => b.textContent)));
          await buttons[words.indexOf(key.slice('click:'.length))].click();
        } else await page.keyboard.press(key);
      }
      const where = `step ${from}, then ${keys.join(', ') || 'nothing'}`;
      const shown = await page.evaluate(lectureQuestions);
      assert.match(shown.search, new RegExp(`[?&]step=${step}(&|$)`), `${where}: the step`);
      const asks = (await results(page)).questions;
      const ids = Object.keys(asks).filter(id => shown.asked.includes(id) || shown.answered.some(([a]) => a === id));
      if (revealed === null) assert.deepEqual([shown.asked, shown.answered], [[], []], `${where}: asks nothing`);
      else assert.ok(ids.length > 0, `${where}: no question`);
      assert.deepEqual(shown.asked, revealed === false ? ids : [], `${where}: asked`);
      assert.deepEqual(
        shown.answered.map(([id]) => id),
        revealed ? ids : [],
        `${where}: answered`,
      );
      // each answer as the page computes it, in its kind's words
      for (const [id, text] of shown.answered) {
        const { kind } = QUESTIONS.find(question => question.id === id);
        const choices = rows('remedy').map(row => [row.key, row.short]);
        assert.ok(
          text.startsWith(`Answer: ${ANSWERS[kind].said(asks[id], choices)}. `),
          `${where}: ${id} says ${text}`,
        );
      }
      await page.close();
    }
  },
);

// A student's answer to a question on the page, made from the page's own answer: text typed into its
// field, a choice (its value), or the keys of the boxes to tick; and the judgement it must get.
const TYPED = [
  ['double_sign', a => String(a), 'right'],
  ['double_sign', a => String(a).replace('-', '−'), 'right'],
  ['double_sign', a => ['Negative', 'zero', 'positive '][a + 1], 'right'],
  ['double_sign', a => String(a === 1 ? -1 : 1), 'not right'],
  ['double_sign', () => 'minus', 'wrong kind'],
  ['double_sign', () => '2', 'wrong kind'],
  ['double_sign', () => '', 'empty'],
  ['t1_steps', a => ` ${a} `, 'right'],
  ['t1_steps', a => `+${a + 1}`, 'not right'],
  ['t1_steps', () => '0.5', 'wrong kind'],
  ['t1_steps', () => 'one step', 'wrong kind'],
  ['sign_from', a => (a === null ? 'None' : String(a)), 'right'],
  ['sign_from', a => (a === null ? '53' : 'none'), 'not right'],
  ['sign_from', () => '1025', 'wrong kind'],
  ['sign_from', () => 'later', 'wrong kind'],
  ['extended2_zero', a => a, 'right'],
  ['extended2_zero', a => !a, 'not right'],
  ['extended2_zero', () => undefined, 'empty'],
  ['bound_distrusts', a => a, 'right'],
  ['bound_distrusts', a => !a, 'not right'],
  ['exact_remedies', a => a, 'right'],
  ['exact_remedies', a => (a.length ? a.slice(1) : ['neumaier']), 'not right'],
];

// Answers the question `id` on the page as a student does, and returns what the page said: its
// judgement, its words, whether the field is marked, and how many of the page's numbers it shows.
async function answerOnPage(page, id, given) {
  const form = `form[data-question="${id}"]`;
  await (await page.$(form)).scrollIntoView();
  const field = await page.$(`${form} input:not([type])`);
  if (field) {
    await field.click({ count: 3 });
    await page.keyboard.press('Backspace');
    await page.keyboard.type(given);
    await page.keyboard.press('Enter');
  } else {
    // each choice cleared, with its value and its label's words (one call: each is slow over BiDi)
    const { values, labels } = await page.$eval(form, element => {
      const inputs = [...element.querySelectorAll('input')];
      inputs.forEach(input => Object.assign(input, { checked: false }));
      const labels = [...element.querySelectorAll('label')].map(label => label.textContent.trim());
      return { values: inputs.map(input => input.value), labels };
    });
    const ticked = Array.isArray(given) ? given : given === undefined ? [] : [labels[given ? 0 : 1]];
    for (const [i, value] of values.entries())
      if (ticked.includes(value) || ticked.includes(labels[i])) await page.click(`${form} input[value="${value}"]`);
    await page.click(`${form} button`);
  }
  return page.$eval(form, element => ({
    judged: element.querySelector('.judged').dataset.judged,
    text: element.querySelector('.judged').textContent,
    marked: element.querySelector('input:not([type])')?.getAttribute('aria-invalid') ?? null,
    numbers: element.querySelectorAll('.judged dl > div').length,
  }));
}

test(
  'each question takes an answer as a student types it, and judges it, or names it of the wrong kind',
  { timeout: 300000 },
  async () => {
    for (const query of ['', '?p=64', '?x=2177&y=528&p=30', '?x=0&y=0&p=8', '?x=100&y=3&p=12']) {
      const page = await open(query, 1280, 800);
      const answers = (await results(page)).questions;
      const forms = await page.$$eval('form[data-question]', all => all.map(form => form.dataset.question));
      assert.deepEqual([...forms].sort(), Object.keys(answers).sort(), `${query}: a form a question`);
      for (const [id, make, want] of TYPED) {
        const given = make(answers[id]);
        const said = await answerOnPage(page, id, given);
        const where = `${query} ${id}: ${JSON.stringify(given)}`;
        assert.equal(said.judged, want, `${where}: ${said.text}`);
        if (want === 'right' || want === 'not right') {
          assert.ok(said.numbers > 0, `${where}: none of the page’s numbers`);
          assert.match(said.text, want === 'right' ? /^Right: / : /^Not right: /, where);
        } else
          assert.match(
            said.text,
            want === 'empty' ? /no answer yet/ : /must be .*; “.*” is|is no sign|is not one/,
            where,
          );
        assert.equal(
          said.marked,
          want === 'wrong kind' || (want === 'empty' && typeof given === 'string') ? 'true' : null,
          `${where}: the field marked`,
        );
      }
      await page.close();
    }
  },
);

// The terms the issue asked a word for, by their glossary ids, each of which the page uses again after
// defining it: step, spacing, u, κ, γₙ, interval, fused, share, Sterbenz's lemma, Neumaier, K-fold,
// Student's t, and more.
const LINKED = ['step', 'spacing', 'u', 'kappa', 'gamma', 'interval', 'fused', 'share', 'sterbenz', 'neumaier'];
LINKED.push(
  'k-fold',
  'student-t',
  'binary64',
  'running-bound',
  'random-rounding',
  'N',
  'seed',
  'horner',
  'compensated',
);

// Each glossary entry with its first use and its later uses: the entry's term and words, the tag of the
// element with the id dfn-<id>, how many such elements, its text, where its back link leads, and how
// many links to the entry come before the first use and after it; and links to no entry.
const glossaryShown = () => {
  const after = (a, b) => Boolean(a.compareDocumentPosition(b) & 4); // b follows a
  const entries = [...document.querySelectorAll('#glossary dt')].map(dt => {
    const id = dt.id.replace(/^glossary-/, '');
    const first = document.querySelectorAll(`[id="dfn-${id}"]`);
    const links = [...document.querySelectorAll(`a[href="#glossary-${id}"]`)];
    return {
      id,
      term: dt.textContent,
      says: dt.nextElementSibling.textContent,
      tag: first[0]?.tagName,
      count: first.length,
      defined: first[0]?.closest('p')?.textContent ?? '',
      back: dt.nextElementSibling.querySelector('a.first-use')?.getAttribute('href'),
      before: links.filter(a => first[0] && after(a, first[0])).length,
      later: links.filter(a => first[0] && after(first[0], a)).length,
    };
  });
  const known = new Set(entries.map(entry => `#glossary-${entry.id}`));
  const stray = [...document.querySelectorAll('a.glossed')].map(a => a.getAttribute('href')).filter(h => !known.has(h));
  return { entries, stray };
};

test(
  'every term is defined where the page first uses it, and in the glossary every later use links to',
  { timeout: 120000 },
  async () => {
    const later = new Map(LINKED.map(id => [id, 0]));
    for (const query of ['', '?p=64', '?x=100&y=3&p=12']) {
      const page = await open(query, 1280, 800);
      const { entries, stray } = await page.evaluate(glossaryShown);
      assert.ok(entries.length >= LINKED.length, `${query}: ${entries.length} terms`);
      assert.deepEqual(stray, [], `${query}: links to no entry of the glossary`);
      for (const entry of entries) {
        const where = `${query}: ${entry.term}`;
        assert.deepEqual([entry.tag, entry.count], ['DFN', 1], `${where}: its first use, one <dfn>`);
        assert.ok(entry.says.length > 20 && entry.defined.length > 40, `${where}: defined in few words`);
        assert.equal(entry.back, `#dfn-${entry.id}`, `${where}: the entry leads to its first use`);
        assert.equal(entry.before, 0, `${where}: linked before it is defined`);
        if (later.has(entry.id)) later.set(entry.id, later.get(entry.id) + entry.later);
      }
      await page.close();
    }
    assert.deepEqual(
      [...later].filter(([, count]) => count === 0),
      [],
      'terms never linked after their first use',
    );
    // a later use of each leads to its entry in the glossary, below the width bar
    const page = await open('?p=64', 1280, 800);
    for (const id of LINKED) {
      await page.evaluate(() => window.scrollTo(0, 0));
      await page.$eval(`a.glossed[href="#glossary-${id}"]`, a => a.click());
      await page.waitForFunction(h => location.hash === h, { timeout: 10000 }, `#glossary-${id}`);
      assert.ok(await inView(page, `#glossary-${id}`), `${id}: its entry is out of view`);
    }
    await page.close();
  },
);

// The element with the keyboard's focus: its tag and the start of its text.
const focusedNow = () => `${document.activeElement.tagName} ${document.activeElement.textContent.slice(0, 30)}`;

test(
  'in the lecture the glossary is one key away: g opens it, g or Esc closes it, the focus kept',
  { timeout: 120000 },
  async () => {
    // the step, the element focused first (none: the page), the key that closes
    for (const [step, focused, closing] of [
      [2, null, 'g'],
      [5, 'next →', 'Escape'],
      [8, '← back', 'g'],
    ]) {
      const page = await open(`?view=lecture&step=${step}`, 1280, 800);
      if (focused) {
        const buttons = await page.$$('#lecture .lecture-nav button');
        const words = await Promise.all(buttons.map(button => button.evaluate(b => b.textContent)));
        await buttons[words.indexOf(focused)]?.focus();
      }
      const before = [await page.evaluate(focusedNow), await page.evaluate(() => location.search)];
      await page.keyboard.press('g');
      const open_ = await page.evaluate(() => {
        const panel = document.getElementById('lecture-glossary');
        return {
          shown: panel.checkVisibility(),
          focus: panel.contains(document.activeElement),
          terms: [...panel.querySelectorAll('dt')].map(dt => dt.id.replace(/^lecture-glossary-/, '')),
          legend: panel.querySelectorAll('.tone-legend li').length,
        };
      });
      const where = `step ${step}, ${focused ?? 'the page'} focused`;
      assert.ok(open_.shown && open_.focus, `${where}: g shows the glossary, with the focus`);
      for (const id of LINKED) assert.ok(open_.terms.includes(id), `${where}: ${id} in the lecture's glossary`);
      assert.ok(open_.legend > 5, `${where}: the colours’ legend in the lecture's glossary`);
      await page.keyboard.press('ArrowRight'); // reads the glossary, does not move the lecture
      await page.keyboard.press(closing);
      const after = await page.evaluate(() => [
        location.search,
        document.getElementById('lecture-glossary').checkVisibility(),
        document.body.classList.contains('lecturing'),
      ]);
      const focus = await page.evaluate(focusedNow);
      const shown = [focus, ...after];
      assert.deepEqual(shown, [...before, false, true], `${where}: ${closing} closes it, the step and the focus kept`);
      await page.close();
    }
  },
);
