// Times the browser page in headless Chromium: the load (from navigation to the first #results) and
// each redraw after a change of width or point, from the click to the end of the layout it causes,
// every series and least width included: the widths one click away, the chain's points, the program's
// point drawn for the first time, and a point of 100 digits. Prints the median, the 95th percentile
// and the worst.
//
// usage: node bench/page-redraw.mjs PAGE... [repeats]
// With several pages (a build before a change and one after), each repeat runs them one after
// another, so that what else the machine does falls on all of them alike, and each is summed apart.
// (needs puppeteer-core from tests/page: npm ci --prefix tests/page)
import { createRequire } from 'node:module';
import { resolve } from 'node:path';

import { launchBrowser } from '../tests/page/launch.mjs';

const require = createRequire(new URL('../tests/page/package.json', import.meta.url));
const puppeteer = (await import(require.resolve('puppeteer-core'))).default;
const given = process.argv.slice(2);
const repeats = /^[0-9]+$/.test(given.at(-1)) ? Number(given.pop()) : 5;
const pages = given.map(path => ({ path, address: `file://${resolve(path)}`, times: {} }));
const LONG = '9'.repeat(100);

// The median, the 95th percentile and the largest of some times, in milliseconds.
const summary = times => {
  const sorted = [...times].sort((a, b) => a - b);
  const at = share => sorted[Math.floor(share * (sorted.length - 1))];
  return (
    `median ${at(0.5).toFixed(1)} ms, 95th percentile ${at(0.95).toFixed(1)} ms, ` +
    `worst ${sorted.at(-1).toFixed(1)} ms (${times.length} runs)`
  );
};

// Clicks the element and returns the milliseconds until the layout the click causes is done: the
// redraw runs in the click's handler, and reading offsetHeight forces the layout.
function timedClick(element) {
  const started = performance.now();
  element.click();
  void document.body.offsetHeight;
  return performance.now() - started;
}

const browser = await launchBrowser(puppeteer);
const tab = await browser.newPage();
await tab.setViewport({ width: 1280, height: 900 });

// One run of every change on the page at address, its times added to times, by change.
async function measure(address, times) {
  const add = (name, ms) => (times[name] ??= []).push(ms);
  const started = Date.now();
  await tab.goto(`${address}?x=33&y=8`);
  await tab.waitForSelector('#results');
  add('load', Date.now() - started);
  // The program's point, the fourth of the chain, drawn for the first time since the load.
  add('home', await tab.$eval('#chain a:nth-of-type(4)', timedClick));
  for (const p of [11, 24, 53, 64, 113]) add('widths', await tab.$eval(`button[data-p="${p}"]`, timedClick));
  add('widths', await tab.$eval('#least-exact', timedClick));
  for (const link of await tab.$$('#chain a')) add('points', await link.evaluate(timedClick));
  await tab.$eval('#x', (field, digits) => Object.assign(field, { value: digits }), LONG);
  await tab.$eval('#p', field => Object.assign(field, { value: '1024' }));
  add('long', await tab.$eval('button[type="submit"]', timedClick));
}

for (let i = 0; i < repeats; ++i) for (const { address, times } of pages) await measure(address, times);
for (const { path, times } of pages) {
  console.log(path);
  console.log(`  load:                  ${summary(times.load)}`);
  console.log(`  width changed:         ${summary(times.widths)}`);
  console.log(`  point changed:         ${summary(times.points)} (the chain's points, the program's among them)`);
  console.log(`  the program's point:   ${summary(times.home)} (from (33, 8), every series and least width computed)`);
  console.log(`  a ${LONG.length}-digit point:      ${summary(times.long)} (x = ${LONG.length} nines, at 1024 bits)`);
}
await browser.close();
