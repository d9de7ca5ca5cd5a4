// Headless Chromium for the page's tests and its benchmark, driven by puppeteer-core: started with a
// profile of its own, removed when it closes, and the flags this machine needs.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// Starts Chromium (CHROMIUM names another binary) with puppeteer, the puppeteer-core module; returns
// the browser, whose close() also removes the profile.
export async function launchChromium(puppeteer) {
  const profile = mkdtempSync(join(tmpdir(), 'polyeval-chromium-'));
  // --no-sandbox: the tests run as root, where Chromium's sandbox refuses to start. The rest keep it
  // from reaching for a network this machine does not have.
  const browser = await puppeteer.launch({
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
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}
