// Times the browser page in headless Chromium: the load (from navigation to the first #results) and
// each redraw after a change of width or point, from the click to the end of the layout it causes,
// every series and least width included: the widths one click away, the chain's points, the program's
// point drawn for the first time, and a point of 100 digits. Prints the median, the 95th percentile
// and the worst.
//
// usage: node bench/page-redraw.mjs build-wasm32-wasi/html/polyeval.html [repeats]
// (needs puppeteer-core from tests/page: npm ci --prefix tests/page)
import { createRequire } from 'node:module';
import { resolve } from 'node:path';

import { launchBrowser } from '../tests/page/launch.mjs';

const require = createRequire(new URL('../tests/page/package.json', import.meta.url));
const puppeteer = (await import(require.resolve('puppeteer-core'))).default;
const page = `file://${resolve(process.argv[2])}`;
const repeats = Number(process.argv[3] ?? 5);
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
const [loads, widths, points, home, long] = [[], [], [], [], []];
for (let i = 0; i < repeats; ++i) {
  const started = Date.now();
  await tab.goto(`${page}?x=33&y=8`);
  await tab.waitForSelector('#results');
  loads.push(Date.now() - started);
  // The program's point, the fourth of the chain, drawn for the first time since the load.
  home.push(await tab.$eval('#chain a:nth-of-type(4)', timedClick));
  for (const p of [11, 24, 53, 64, 113]) widths.push(await tab.$eval(`button[data-p="${p}"]`, timedClick));
  widths.push(await tab.$eval('#least-exact', timedClick));
  for (const link of await tab.$$('#chain a')) points.push(await link.evaluate(timedClick));
  await tab.$eval('#x', (field, digits) => Object.assign(field, { value: digits }), LONG);
  await tab.$eval('#p', field => Object.assign(field, { value: '1024' }));
  long.push(await tab.$eval('button[type="submit"]', timedClick));
}
console.log(`load:                  ${summary(loads)}`);
console.log(`width changed:         ${summary(widths)}`);
console.log(`point changed:         ${summary(points)} (the chain's points, the program's among them)`);
console.log(`the program's point:   ${summary(home)} (from (33, 8), every series and least width computed)`);
console.log(`a ${LONG.length}-digit point:      ${summary(long)} (x = ${LONG.length} nines, at 1024 bits)`);
await browser.close();
