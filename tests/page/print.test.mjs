// The printed HTML pages (the build's html/: the README, the explanation, the exercises and their
// answers, or the pages named, such as the browser page polyeval.html), as headless Chromium prints
// them on A4 and on Letter: nothing is wider than the printable area, measured in the print layout,
// and each prints to a PDF; the exercises print without their answers; the browser page prints its
// numbers, not its controls, in dark ink whatever the screen's scheme, on a few full pages.
//
// usage: node tests/page/print.test.mjs HTML_DIR [PAGE ...]   (needs npm ci --prefix tests/page)
import assert from 'node:assert/strict';
import { Buffer } from 'node:buffer';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';

import { open } from './browser.mjs';

const dir = process.argv[2];
const DOCS = ['README.html', 'docs/numbers.html', 'docs/exercises.html', 'docs/answers.html'];
const PAGES = process.argv.length > 3 ? process.argv.slice(3) : DOCS;
// What shows that a page is drawn: the browser page's results, computed by its script; a page's main.
const ready = name => (name.endsWith('polyeval.html') ? '#results' : 'main');
// The paper sizes, in CSS pixels (96 an inch): A4, 210 mm by 297 mm; Letter, 8.5 by 11 inches.
const PAPER = { A4: (210 / 25.4) * 96, Letter: 8.5 * 96 };
const MILLIMETRE = 96 / 25.4;
if (!PAGES.every(name => existsSync(`${dir}/${name}`))) {
  const why = `no HTML pages in ${dir}: they are off (python3-markdown-it python3-mdit-py-plugins render them)`;
  if (process.env.CI === 'true') throw new Error(`${why}; in CI they must be checked`);
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}

// The page's own print margin, from its stylesheet's @page rule for print, in CSS pixels.
const printMargin = tab =>
  tab.evaluate(() => {
    const rules = [...document.styleSheets].flatMap(sheet => [...sheet.cssRules]);
    const print = rules.filter(rule => rule.media?.mediaText === 'print').flatMap(rule => [...rule.cssRules]);
    const page = print.find(rule => rule.constructor.name === 'CSSPageRule');
    return page?.style.margin ?? null;
  });

// Each element of the page laid out for print at the printable width that is wider than its box
// (it would be cut or scroll) or reaches beyond the printable area. Inside a drawing only the area
// counts: the parts of an SVG drawing are no boxes that scroll, and their client and scroll widths
// mean nothing.
const tooWide = (tab, width) =>
  tab.evaluate(
    width =>
      [...document.body.querySelectorAll('*')]
        .filter(
          e =>
            (e.clientWidth > 0 && e.scrollWidth > e.clientWidth && !e.closest('svg *')) ||
            e.getBoundingClientRect().right > width + 0.5,
        )
        .map(e => `${e.tagName.toLowerCase()} ${e.textContent.trim().slice(0, 60)}`),
    width,
  );

test(
  'no element is wider than the printable area on A4 or Letter, and each page prints',
  { timeout: 240000 },
  async () => {
    for (const name of PAGES) {
      const tab = await open(`file://${dir}/${name}`, 1280, ready(name));
      const margin = await printMargin(tab);
      assert.match(margin ?? '', /^\d+mm$/, `${name}: no print stylesheet with a margin in mm`);
      for (const [format, paper] of Object.entries(PAPER)) {
        const width = Math.floor(paper - 2 * parseFloat(margin) * MILLIMETRE);
        await tab.emulateMediaType('print');
        await tab.setViewport({ width, height: 1000 });
        assert.deepEqual(await tooWide(tab, width), [], `${name} on ${format}, ${width} px printable`);
        await tab.emulateMediaType(null);
        const pdf = Buffer.from(await tab.pdf({ format, timeout: 60000 }));
        const pages = pdf.toString('latin1').match(/\/Type\s*\/Page\b/g)?.length ?? 0;
        assert.ok(pdf.subarray(0, 5).toString() === '%PDF-' && pages > 0, `${name} prints no PDF on ${format}`);
        console.log(`${name} on ${format}: ${pages} pages`);
      }
      await tab.close();
    }
  },
);

test('the exercises print without their answers', { timeout: 120000, skip: PAGES !== DOCS }, async () => {
  const tables = async name => {
    const tab = await open(`file://${dir}/${name}`, 1280, 'main');
    await tab.emulateMediaType('print');
    const shown = await tab.$$eval('table', all =>
      all.filter(table => table.checkVisibility()).map(table => table.textContent.replace(/\s+/g, ' ')),
    );
    await tab.close();
    return shown;
  };
  const answers = await tables('docs/answers.html');
  const exercises = await tables('docs/exercises.html');
  assert.ok(answers.length >= 4, `${answers.length} tables of answers`);
  assert.deepEqual(
    exercises.filter(table => answers.includes(table)),
    [],
    'answers in the printed exercises',
  );
});

// The browser page printed from the dark scheme: every least width printed as text, no control or
// hint, no text lighter than mid-grey, no number broken across lines, at most MOST_PAGES A4 pages,
// and no last page that holds only a sentence or two (its words counted by pdftotext).
const MOST_PAGES = 10;
const FEWEST_LAST_WORDS = 40;
test(
  'the browser page prints its numbers in dark ink, without controls, on a few full pages',
  { timeout: 120000, skip: !PAGES.includes('polyeval.html') },
  async () => {
    const tab = await open(`file://${dir}/polyeval.html`, 1280, ready('polyeval.html'));
    // Laid out at A4's printable width, as on paper, where a line breaks as it will there.
    const margin = parseFloat(await printMargin(tab));
    await tab.setViewport({ width: Math.floor(PAPER.A4 - 2 * margin * MILLIMETRE), height: 1000 });
    // Print and the dark scheme at once: puppeteer's own calls each reset the other.
    const session = await tab.createCDPSession();
    const dark = [{ name: 'prefers-color-scheme', value: 'dark' }];
    await session.send('Emulation.setEmulatedMedia', { media: 'print', features: dark });
    const shown = await tab.evaluate(() => {
      const visible = e => e.checkVisibility() && e.getClientRects().length > 0;
      const luminance = e => {
        const [r, g, b] = getComputedStyle(e)
          .color.match(/[\d.]+/g)
          .map(Number);
        return (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255;
      };
      const texts = [...document.querySelectorAll('main *')].filter(
        e => visible(e) && [...e.childNodes].some(n => n.nodeType === 3 && n.textContent.trim()),
      );
      return {
        dark: matchMedia('(prefers-color-scheme: dark)').matches,
        marks: [...document.querySelectorAll('.thresholds li')].map(li => li.innerText.trim()),
        controls: [...document.querySelectorAll('input, button:not(.width), .stepper, .width-bar, .legend input')]
          .filter(visible)
          .map(e => e.outerHTML.slice(0, 60)),
        pale: texts.filter(e => luminance(e) > 0.5).map(e => e.textContent.trim().slice(0, 40)),
        // a number laid out on more than one line (its boxes at more than one height): its digits,
        // exponent or hexadecimal split
        broken: [...document.querySelectorAll('main .num, main .number, main code.hex')]
          .filter(e => visible(e) && new Set([...e.getClientRects()].map(box => Math.round(box.top))).size > 1)
          .map(e => e.textContent),
        hints: [...document.querySelectorAll('main *')]
          .filter(e => visible(e) && /choose one/.test(e.textContent) && !e.children.length)
          .map(e => e.textContent),
      };
    });
    assert.ok(shown.dark, 'printed from the dark scheme');
    assert.ok(
      shown.marks.length > 0 && shown.marks.every(mark => /(from \d+ bits on|at no width up to \d+ bits)$/.test(mark)),
      `least widths printed as ${JSON.stringify(shown.marks)}`,
    );
    assert.deepEqual(shown.controls, [], 'controls printed');
    assert.deepEqual(shown.pale, [], 'pale text printed');
    assert.deepEqual(shown.broken, [], 'numbers broken across lines');
    assert.deepEqual(shown.hints, [], 'hints printed');
    const pdf = Buffer.from(await tab.pdf({ format: 'A4', timeout: 60000 }));
    const pages = pdf.toString('latin1').match(/\/Type\s*\/Page\b/g).length;
    assert.ok(pages <= MOST_PAGES, `${pages} A4 pages`);
    const file = join(mkdtempSync(join(tmpdir(), 'polyeval-print-')), 'page.pdf');
    writeFileSync(file, pdf);
    const last = execFileSync('pdftotext', ['-f', String(pages), '-l', String(pages), file, '-'], { encoding: 'utf8' });
    assert.ok(
      last.split(/\s+/).filter(Boolean).length >= FEWEST_LAST_WORDS,
      `the last of ${pages} pages holds only: ${last}`,
    );
    await tab.close();
  },
);
