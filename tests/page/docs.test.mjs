// The HTML pages (the build's html/: README.html and docs/*.html) opened from disk in headless
// Chromium: they read like the repository's web view, with their tables as tables, the figure shown
// and the sections' anchors; their tables fit the screen they are read on; the figure is readable
// and opens on its own; and each page links the others above it.
//
// usage: node tests/page/docs.test.mjs HTML_DIR   (needs npm ci --prefix tests/page; see browser.mjs)
import assert from 'node:assert/strict';
import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { test } from 'node:test';

import { open } from './browser.mjs';

const dir = process.argv[2];
const page = `${dir}/docs/numbers.html`;
if (!existsSync(page)) {
  const why = `no ${page}: the HTML pages are off (python3-markdown-it python3-mdit-py-plugins render them)`;
  if (process.env.CI === 'true') throw new Error(`${why}; in CI they must be checked`);
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}
// Every page, by its path beside the README.
const PAGES = [
  'README.html',
  ...readdirSync(`${dir}/docs`)
    .filter(name => name.endsWith('.html'))
    .map(n => `docs/${n}`),
];
// A long exact number: a word of 12 digits or more, which no screen need show whole.
const LONG_NUMBER = /^\S*?(\d\S*?){12}/;
// DejaVu Sans, the figure's font, has capitals and digits 1493/2048 of its size tall.
const CAPITAL_HEIGHT = 1493 / 2048;

test('numbers.html shows tables, the figure and anchors, and no Markdown or markers', { timeout: 120000 }, async () => {
  const tab = await open(`file://${page}`, 375, 'main');
  const shown = await tab.evaluate(() => ({
    // The text outside code, where Markdown left as it was would show.
    text: (prose => {
      prose.querySelectorAll('pre, code').forEach(code => code.remove());
      return prose.textContent;
    })(document.body.cloneNode(true)),
    tables: document.querySelectorAll('table').length,
    figures: [...document.images].map(image => [image.getAttribute('src'), image.complete && image.naturalWidth > 0]),
    anchors: ['6-what-fixes-it', 'appendix-every-step-in-hexadecimal'].filter(id => document.getElementById(id)),
    width: document.documentElement.scrollWidth - document.documentElement.clientWidth,
  }));
  for (const raw of ['|---|', '**', '<!--', 'from docs/', '![']) {
    assert.ok(!shown.text.includes(raw), `the page shows ${raw}`);
  }
  assert.ok(shown.tables >= 20, `${shown.tables} tables`);
  assert.deepEqual(shown.figures, [['magnitudes.svg', true]], 'the figure is shown');
  assert.deepEqual(shown.anchors, ['6-what-fixes-it', 'appendix-every-step-in-hexadecimal']);
  assert.equal(shown.width, 0, 'the page scrolls sideways at 375 px');
  await tab.close();
});

test(
  'no table scrolls at 1280 px; at 375 px only one of long exact numbers, and no page',
  { timeout: 180000 },
  async () => {
    for (const name of PAGES) {
      for (const width of [375, 1280]) {
        const tab = await open(`file://${dir}/${name}`, width, 'main');
        const shown = await tab.evaluate(() => ({
          page: document.documentElement.scrollWidth - document.documentElement.clientWidth,
          scrolling: [...document.querySelectorAll('table')]
            .map(table => table.closest('[role=region]') ?? table)
            .filter(box => box.scrollWidth > box.clientWidth)
            .map(box => box.textContent.trim().replace(/\s+/g, ' ')),
        }));
        assert.equal(shown.page, 0, `${name} scrolls sideways at ${width} px`);
        const allowed =
          width === 375 ? shown.scrolling.filter(text => text.split(' ').some(w => LONG_NUMBER.test(w))) : [];
        assert.deepEqual(shown.scrolling, allowed, `${name}: tables that scroll sideways at ${width} px`);
        await tab.close();
      }
    }
  },
);

test('the figure opens on its own, and its labels are 11 px tall at 1280 px', { timeout: 120000 }, async () => {
  const svg = readFileSync(`${dir}/docs/magnitudes.svg`, 'utf8');
  // The SVG's width in points, and each label's glyphs drawn at scale(size / 100).
  const naturalWidth = (Number(svg.match(/<svg[^>]* width="([\d.]+)pt"/)[1]) * 4) / 3;
  const points = Math.min(...[...svg.matchAll(/scale\(([\d.]+) -\1\)/g)].map(found => Number(found[1]) * 100));
  for (const name of ['README.html', 'docs/numbers.html']) {
    const tab = await open(`file://${dir}/${name}`, 1280, 'main');
    const [shownWidth, link, source] = await tab.$eval('img', image => [
      image.getBoundingClientRect().width,
      image.closest('a')?.getAttribute('href'),
      image.getAttribute('src'),
    ]);
    assert.equal(link, source, `${name}: the figure is no link to the SVG`);
    const capitals = ((points * 4) / 3) * (shownWidth / naturalWidth) * CAPITAL_HEIGHT;
    assert.ok(capitals >= 11, `${name}: the figure's smallest capitals are ${capitals.toFixed(1)} px tall at 1280 px`);
    await tab.close();
  }
});

test('each page links the README and the explanation above its text', { timeout: 120000 }, async () => {
  for (const name of PAGES) {
    const tab = await open(`file://${dir}/${name}`, 1280, 'main');
    const links = await tab.$$eval('header nav a', all => all.map(link => link.href));
    const here = new URL(`file://${dir}/${name}`);
    for (const target of ['README.html', 'docs/numbers.html', 'docs/exercises.html'].filter(path => path !== name)) {
      assert.ok(links.includes(new URL(target, `file://${dir}/`).href), `${name} links no ${target} above its text`);
    }
    assert.ok(!links.includes(here.href), `${name} links itself`);
    await tab.close();
  }
});

// A command is copied from the page as it stands: at 1280 px no code block of the README scrolls
// sideways to show the end of a line.
test('no command in the README is wider than its box at 1280 px', { timeout: 60000 }, async () => {
  const tab = await open(`file://${dir}/README.html`, 1280, 'main');
  const wider = await tab.$$eval('pre', blocks =>
    blocks
      .filter(block => block.scrollWidth > block.clientWidth)
      .map(block => `${block.scrollWidth} px in a box of ${block.clientWidth} px: ${block.textContent.trim()}`),
  );
  assert.deepEqual(wider, [], 'README.html: code blocks wider than their box at 1280 px');
  await tab.close();
});

// The exercises and their answers link the browser page (docs/exercises.py and docs/detectors.py
// write the links) where it is shipped beside them: every exercise and every answer, each link at a
// point, width, runs and seed that the page then shows, opened at a section it has; where it is not
// shipped, no page links it, and the links' words stand alone.
const BROWSER_PAGE = /(^|\/)polyeval\.html([?#]|$)/;
test('each exercise and each answer links the browser page where it is beside them', { timeout: 600000 }, async () => {
  const shipped = existsSync(`${dir}/polyeval.html`);
  const addresses = new Set();
  for (const name of ['docs/exercises.html', 'docs/answers.html']) {
    const tab = await open(`file://${dir}/${name}`, 1280, 'main');
    const shown = await tab.evaluate(pattern => {
      const page = element =>
        [...element.querySelectorAll('a')].filter(a => new RegExp(pattern).test(a.getAttribute('href')));
      const exercises = [...document.querySelectorAll('main li')].filter(li =>
        li.querySelector(':scope > strong:first-child, :scope > p:first-child > strong:first-child'),
      );
      const answers = [...document.querySelectorAll('main p')].filter(p => p.textContent.startsWith('On the page,'));
      return {
        exercises: exercises.map(li => page(li).length),
        answers: answers.map(p => page(p).length),
        links: page(document.querySelector('main')).map(a => a.href),
      };
    }, BROWSER_PAGE.source);
    await tab.close();
    const items = name === 'docs/exercises.html' ? shown.exercises : shown.answers;
    assert.ok(items.length >= 10, `${name}: ${items.length} exercises or answers`);
    if (shipped)
      assert.ok(
        items.every(count => count > 0),
        `${name}: links to the browser page by item ${items}`,
      );
    else assert.deepEqual(shown.links, [], `${name} links the browser page, which is not beside it`);
    shown.links.forEach(link => addresses.add(link));
  }
  for (const address of addresses) {
    const tab = await open(address, 1280, '#results');
    const url = new URL(address);
    const query = Object.fromEntries(url.searchParams);
    const results = await tab.$eval('#results', element => JSON.parse(element.textContent));
    const section = await tab.evaluate(id => {
      const element = document.getElementById(id);
      return element !== null && !element.closest('[hidden]');
    }, url.hash.slice(1));
    await tab.close();
    const want = { x: query.x, y: query.y, p: Number(query.p) };
    if (query.N) Object.assign(want, { n: Number(query.N), seed: query.seed });
    const got = { x: results.x, y: results.y, p: results.p };
    if (query.N) Object.assign(got, { n: results.random_rounding.n, seed: results.random_rounding.seed });
    assert.deepEqual(got, want, `${address}: the page shows another point, width, runs or seed`);
    assert.ok(section, `${address}: no section ${url.hash} shown`);
  }
});

// The exercises and their answers hold prose and tables, no code: a paragraph indented by four spaces
// after a table, outside its list item, would show as a code block.
test('the exercises and their answers show no paragraph as code', { timeout: 60000 }, async () => {
  for (const name of ['docs/exercises.html', 'docs/answers.html']) {
    const tab = await open(`file://${dir}/${name}`, 1280, 'main');
    const code = await tab.$$eval('pre', all => all.map(pre => pre.textContent.slice(0, 60)));
    await tab.close();
    assert.deepEqual(code, [], `${name} shows code blocks`);
  }
});
