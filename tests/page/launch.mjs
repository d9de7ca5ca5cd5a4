// The browsers for the page's tests and its benchmark, driven by puppeteer-core: Debian's Chromium
// over the DevTools protocol, or its firefox-esr over WebDriver BiDi, each started headless with a
// profile of its own, removed when it closes, and the flags this machine needs.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// How each browser is started: its binary (CHROMIUM or FIREFOX name another) and its arguments.
// Chromium: --no-sandbox, as the tests run as root, where its sandbox refuses to start; the rest keep
// it from reaching for a network this machine does not have.
const BROWSERS = {
  chromium: {
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
    ],
  },
  firefox: { browser: 'firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr', args: [] },
};

// Starts the browser `name` (chromium or firefox) with puppeteer, the puppeteer-core module; returns
// the browser, whose close() also removes the profile.
export async function launchBrowser(puppeteer, name = 'chromium') {
  const profile = mkdtempSync(join(tmpdir(), `polyeval-${name}-`));
  const browser = await puppeteer.launch({
    ...BROWSERS[name],
    headless: true,
    userDataDir: profile,
    protocolTimeout: 60000,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}
