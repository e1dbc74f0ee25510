// Times key presses in the web page in headless chromium: from the key event to the canvas
// holding the new picture (the C++ command, the bytes for the canvas and putImageData), measured
// inside the page with performance.now(). A measurement, not a test.
//
//   bash scripts/web.sh && (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node bench/web_keys.js build-web/orlinde.html
'use strict';
const path = require('path');
const { openPage } = require(path.join(__dirname, '..', 'web', 'driver'));

// Each round leaves the page as it found it, so every round times the same work.
const ROUNDS = { 'F then R': 'FR', 'f then r': 'fr', 'B then b': 'Bb', 'N twice': 'NN' };
const REPEATS = 200;

(async () => {
  const { browser, page } = await openPage(process.argv[2]);
  console.log('| keys | per key, median (ms) | per key, slowest (ms) |');
  console.log('|---|---|---|');
  for (const [name, keys] of Object.entries(ROUNDS)) {
    const times = await page.evaluate(([keys, repeats]) => {
      const result = [];
      for (let i = 0; i < repeats; ++i)
        for (const key of keys) {
          const start = performance.now();
          document.dispatchEvent(new KeyboardEvent('keydown', { key }));
          // Reading one pixel back waits until the canvas holds the new picture.
          document.getElementById('picture').getContext('2d').getImageData(0, 0, 1, 1);
          result.push(performance.now() - start);
        }
      return result;
    }, [keys, REPEATS]);
    times.sort((a, b) => a - b);
    const median = times[times.length >> 1];
    console.log(`| ${name} | ${median.toFixed(2)} | ${times[times.length - 1].toFixed(2)} |`);
  }
  console.log(`\n${REPEATS} rounds each; chromium ${browser.version()}`);
  await browser.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
