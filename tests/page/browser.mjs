// Headless Chromium for the page's tests, driven by puppeteer-core: one browser per test file, and
// pages opened from disk that fail on any script error. puppeteer-core (and axe-core) come from npm,
// pinned in tests/page/package.json (npm ci --prefix tests/page); without them the test file is
// skipped (exit 77), and with CI=true that fails.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before } from 'node:test';

let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch (error) {
  const why = `puppeteer-core is not installed (npm ci --prefix tests/page): ${error.message}`;
  if (process.env.CI === 'true') throw new Error(`${why}; in CI the pages must be checked in a browser`);
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}

// The browser the test file's tests share, started before the first and closed after the last.
export const browser = {};
let profile;
before(async () => {
  profile = mkdtempSync(join(tmpdir(), 'polyeval-chromium-'));
  // --no-sandbox: the tests run as root, where Chromium's sandbox refuses to start.
  browser.chromium = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    userDataDir: profile,
    protocolTimeout: 60000,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
    ],
  });
});
after(async () => {
  await browser.chromium?.close();
  rmSync(profile, { recursive: true, force: true });
});

// Opens the file at the address `address`, width px wide, and waits for the element `ready`; fails
// on any script error of the page.
export async function open(address, width, ready) {
  const page = await browser.chromium.newPage();
  const errors = [];
  page.on('pageerror', error => errors.push(error.message));
  await page.setViewport({ width, height: 900 });
  await page.goto(address, { timeout: 30000 });
  await page.waitForSelector(ready, { timeout: 30000 });
  assert.deepEqual(errors, [], `script errors at ${address}`);
  return page;
}
