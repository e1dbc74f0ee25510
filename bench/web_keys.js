// Times real key presses in the web page in headless chromium: from the key event's time stamp to
// the next frame, that is to the end of the first frame drawn after the key's work (a message
// posted from the requestAnimationFrame callback the key asked for arrives once that frame's
// style, layout and paint are done). The same presses on an empty page, in the same run, give
// what the browser itself costs. A measurement, not a test. Given several pages (an older build,
// say), it times each in turn in the same run.
//
//   bash scripts/web.sh && (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node bench/web_keys.js build-web/orlinde.html [OTHER.html...]
'use strict';
const path = require('path');
const { openPage, loadPage } = require(path.join(__dirname, '..', 'web', 'driver'));

// Each round leaves the page as it found it, so every round times the same work.
const ROUNDS = { 'F then R': 'FR', 'f then r': 'fr', 'B then b': 'Bb', 'N twice': 'NN' };
const REPEATS = 100;

// Listens, before the page does, for each key and notes when the frame after it is done.
function listen() {
  window.keyTimes = [];
  window.addEventListener('keydown', (event) => {
    requestAnimationFrame(() => {
      const channel = new MessageChannel();
      channel.port1.onmessage = () => window.keyTimes.push(performance.now() - event.timeStamp);
      channel.port2.postMessage(null);
    });
  }, { capture: true });
}

async function time(page, keys) {
  await page.evaluate(listen);
  for (let i = 0; i < REPEATS; ++i) {
    for (const key of keys) {
      const count = await page.evaluate(() => window.keyTimes.length);
      await page.keyboard.press(key);
      await page.waitForFunction((n) => window.keyTimes.length > n, count, { polling: 'raf' });
    }
  }
  const times = (await page.evaluate(() => window.keyTimes)).sort((a, b) => a - b);
  return { median: times[times.length >> 1], slowest: times[times.length - 1] };
}

(async () => {
  const [first, ...others] = process.argv.slice(2);
  const { browser, page } = await openPage(first);
  const empty = await browser.newPage();
  await empty.setContent('<!DOCTYPE html><title>empty</title><body></body>');
  const row = (name, { median, slowest }) =>
    console.log(`| ${name} | ${median.toFixed(2)} | ${slowest.toFixed(2)} |`);
  console.log('| page: keys | key to next frame, median (ms) | slowest (ms) |');
  console.log('|---|---|---|');
  await empty.bringToFront();
  row('empty page: any key', await time(empty, 'FR'));
  for (const [file, tab] of [[first, page], ...await Promise.all(others.map(async (other) =>
    [other, await loadPage(browser, other, { viewport: { width: 960, height: 640 } })]))]) {
    await tab.bringToFront();
    for (const [name, keys] of Object.entries(ROUNDS))
      row(`${path.basename(path.dirname(file))}/${path.basename(file)}: ${name}`,
          await time(tab, keys));
  }
  console.log(`\n${REPEATS} rounds each; chromium ${browser.version()}`);
  await browser.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
