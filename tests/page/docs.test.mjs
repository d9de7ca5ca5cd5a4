// The explanation page as HTML (the build's html/docs/numbers.html) opened from disk in headless
// Chromium: it reads like the repository's web view, with its tables as tables, its figure shown and
// its sections' anchors, and fits a phone.
//
// usage: node tests/page/docs.test.mjs HTML_DIR   (needs npm ci --prefix tests/page; see browser.mjs)
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import { test } from 'node:test';

import { open } from './browser.mjs';

const page = `${process.argv[2]}/docs/numbers.html`;
if (!existsSync(page)) {
  const why = `no ${page}: the HTML pages are off (python3-markdown-it python3-mdit-py-plugins render them)`;
  if (process.env.CI === 'true') throw new Error(`${why}; in CI they must be checked`);
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}

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
