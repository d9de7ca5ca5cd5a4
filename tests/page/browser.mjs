// A headless browser for the page's tests, driven by puppeteer-core: Chromium, or firefox-esr where
// BROWSER=firefox; one browser per test file, and pages opened from disk that fail on any script
// error. puppeteer-core (and axe-core) come from npm, pinned in tests/page/package.json (npm ci
// --prefix tests/page); without them the test file is skipped (exit 77), and with CI=true that fails.
import assert from 'node:assert/strict';
import { after, before } from 'node:test';

import { launchBrowser } from './launch.mjs';

let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch (error) {
  const why = `puppeteer-core is not installed (npm ci --prefix tests/page): ${error.message}`;
  if (process.env.CI === 'true')
    throw new Error(`${why}; in CI the pages must be checked in a browser`, { cause: error });
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}

// The browser the test file's tests share, started before the first and closed after the last, and
// its name.
export const browser = { name: process.env.BROWSER ?? 'chromium' };
before(async () => {
  browser.running = await launchBrowser(puppeteer, browser.name);
});
after(async () => {
  await browser.running?.close();
});

// Opens the file at the address `address` in a window width × height px, and waits for the element
// `ready`; fails on any script error of the page.
export async function open(address, width, ready, height = 900) {
  const page = await browser.running.newPage();
  const errors = [];
  page.on('pageerror', error => errors.push(error.message));
  await page.setViewport({ width, height });
  await page.goto(address, { timeout: 30000 });
  await page.waitForSelector(ready, { timeout: 30000 });
  assert.deepEqual(errors, [], `script errors at ${address}`);
  return page;
}
