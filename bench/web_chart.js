// Times the rate–distortion chart in the web page in headless chromium: from choosing a sample
// (opening it) to the chart and its table complete, measured inside the page with
// performance.now(), and the longest task the page ran meanwhile (the browser's "long task"
// entries, 50 ms and over), which says whether the page froze. A measurement, not a test.
//
//   bash scripts/web.sh && (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node bench/web_chart.js build-web/orlinde.html
'use strict';
const path = require('path');
const { openPage } = require(path.join(__dirname, '..', 'web', 'driver'));

const REPEATS = 15;

(async () => {
  const { browser, page } = await openPage(process.argv[2]);
  await page.waitForSelector('#chart[data-state="done"]');
  await page.evaluate(() => {
    window.longest = 0;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries())
        window.longest = Math.max(window.longest, entry.duration);
    }).observe({ type: 'longtask' });
  });
  const times = [];
  for (let i = 0; i < REPEATS; ++i) {
    const sample = i % 2 ? 'testcard' : 'scene';
    times.push(await page.evaluate((value) => new Promise((resolve) => {
      const chart = document.getElementById('chart');
      const select = document.getElementById('sample');
      const start = performance.now();
      new MutationObserver((changes, observer) => {
        if (chart.dataset.state === 'done') {
          observer.disconnect();
          resolve(performance.now() - start);
        }
      }).observe(chart, { attributes: true, attributeFilter: ['data-state'] });
      select.value = value;
      select.dispatchEvent(new Event('change'));
    }), sample));
  }
  const longest = await page.evaluate(() => window.longest);
  times.sort((a, b) => a - b);
  console.log(`open to full chart: median ${times[REPEATS >> 1].toFixed(1)} ms, fastest ` +
              `${times[0].toFixed(1)} ms, slowest ${times[REPEATS - 1].toFixed(1)} ms ` +
              `(${REPEATS} opens, scene and test card in turn; chromium ${browser.version()}); ` +
              `longest task ${longest ? `${longest.toFixed(0)} ms` : 'under 50 ms'}`);
  await browser.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
