// The built page polyeval.html in headless Chromium, driven by puppeteer-core: what --dump-dom cannot
// tell. It never scrolls sideways on a phone or a projector, whatever the point and with every long
// number's digits shown; its controls redraw the page and the address; axe-core finds nothing serious.
//
// usage: node tests/page/layout.test.mjs PAGE   (needs npm ci --prefix tests/page; see browser.mjs)
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { test } from 'node:test';

import { open as openFile } from './browser.mjs';

const PAGE = `file://${process.argv[2]}`;
const axe = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const LONG = '9'.repeat(100);

// Opens the page at the address with query, width px wide, once it has computed.
const open = (query, width) => openFile(PAGE + query, width, '#results');

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
    await page.$$eval('button.number', all => all.forEach(number => number.click()));
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

test('axe-core finds nothing serious or critical', { timeout: 120000 }, async () => {
  for (const query of ['', '?x=1.5&y=528', `?x=${2n ** 130n}&y=3&p=11`]) {
    const page = await open(query, 375);
    await page.evaluate(axe);
    const found = await page.evaluate(async () =>
      (await window.axe.run(document)).violations
        .filter(violation => ['serious', 'critical'].includes(violation.impact))
        .map(violation => `${violation.id}: ${violation.nodes.map(node => node.target.join(' ')).join(', ')}`),
    );
    assert.deepEqual(found, [], `?${query}`);
    assert.equal(await page.$$eval('main', mains => mains.length), 1, 'one main landmark');
    await page.close();
  }
});
