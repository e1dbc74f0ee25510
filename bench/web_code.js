// Times the Code panel in the web page in headless chromium: a change of wavelet (the stream
// encoded again up to 2 bpp, or whole for CDF 5/3, whose lossless size the panel shows; then
// decoded at the budget and drawn), at a budget of 0.1 bpp, where the decode is small and the
// encode is most of it, and at 2 bpp; a change of budget (the stream's prefix decoded and drawn,
// nothing encoded) and, for what the rest of the page costs, the same budget set again (drawn,
// nothing decoded). Each is one synchronous event handler, timed inside the page with
// performance.now(). Then, for each sample, the rate table from opening #rates to its wavelet
// columns and to the whole table, and the longest task meanwhile. A measurement, not a test.
//
//   bash scripts/web.sh && (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node bench/web_code.js build-web/orlinde.html
'use strict';
const os = require('os');
const path = require('path');
const { openPage } = require(path.join(__dirname, '..', 'web', 'driver'));

const REPEATS = 7;
const WAVELETS = ['haar', 'cdf53', 'cdf97'];
const BUDGETS = ['0.1', '0.5', '1', '2'];

// The handler's time for `value` set on element `id` with event `kind`, and the stream's bytes.
function timed([id, value, kind]) {
  const element = document.getElementById(id);
  element.value = value;
  const start = performance.now();
  element.dispatchEvent(new Event(kind));
  const ms = performance.now() - start;
  return { ms, bytes: Number(document.getElementById('code-stats').dataset.bytes),
           whole: Number(document.getElementById('code-lossless').dataset.bytes ?? 0) };
}

const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];

(async () => {
  const { browser, page } = await openPage(process.argv[2]);
  console.log(`load average at the start: ${os.loadavg().map((l) => l.toFixed(1)).join(' ')}`);
  console.log('| picture | wavelet | change of wavelet at 0.1 bpp (ms) | at 2 bpp (ms) | budget | change of budget (ms) | same budget again (ms) | bytes shown |');
  console.log('|---|---|---|---|---|---|---|---|');
  for (const sample of ['testcard', 'scene']) {
    await page.selectOption('#sample', sample);
    for (const wavelet of WAVELETS) {
      // Each change of wavelet encodes: the panel keeps one stream.
      const encodes = async (budget) => {
        await page.evaluate(timed, ['code-bpp-slider', budget, 'input']);
        const times = [];
        for (let i = 0; i < REPEATS; ++i) {
          const other = WAVELETS[(WAVELETS.indexOf(wavelet) + 1) % WAVELETS.length];
          await page.evaluate(timed, ['code-wavelet', other, 'change']);
          times.push((await page.evaluate(timed, ['code-wavelet', wavelet, 'change'])).ms);
        }
        return median(times).toFixed(1);
      };
      const small = await encodes('0.1');
      const large = await encodes('2');
      for (const budget of BUDGETS) {
        const decodes = [], again = [];
        let bytes = 0;
        for (let i = 0; i < REPEATS; ++i) {
          await page.evaluate(timed, ['code-bpp-slider', '0.01', 'input']);
          const decode = await page.evaluate(timed, ['code-bpp-slider', budget, 'input']);
          decodes.push(decode.ms);
          bytes = decode.bytes;
          again.push((await page.evaluate(timed, ['code-bpp-slider', budget, 'input'])).ms);
        }
        console.log(`| ${sample} | ${wavelet} | ${small} | ${large} | ${budget} | ` +
                    `${median(decodes).toFixed(1)} | ${median(again).toFixed(1)} | ${bytes} |`);
      }
    }
  }
  console.log('\n| picture | rate table: wavelet columns (ms) | whole table (ms) | longest task (ms) |');
  console.log('|---|---|---|---|');
  for (const sample of ['testcard', 'scene']) {
    await page.evaluate(() => { document.getElementById('rates').open = false; });
    await page.selectOption('#sample', sample);
    const times = await page.evaluate(() => new Promise((resolve) => {
      const tasks = [];
      const observer = new PerformanceObserver((list) => tasks.push(...list.getEntries().map((e) => e.duration)));
      observer.observe({ type: 'longtask' });
      const chart = document.getElementById('rate-chart');
      const start = performance.now();
      let wavelets = null;
      const poll = () => {
        const cells = [...document.querySelectorAll('#rate-table tbody tr td:nth-child(4)')];
        if (wavelets === null && cells.length > 0 && cells.every((c) => c.textContent !== '…'))
          wavelets = performance.now() - start;
        if (chart.dataset.state === 'done') {
          observer.disconnect();
          resolve({ wavelets, whole: performance.now() - start, longest: Math.max(0, ...tasks) });
        } else {
          requestAnimationFrame(poll);
        }
      };
      document.getElementById('rates').open = true;
      requestAnimationFrame(poll);
    }));
    console.log(`| ${sample} | ${times.wavelets.toFixed(0)} | ${times.whole.toFixed(0)} | ${times.longest.toFixed(0)} |`);
  }
  console.log(`load average at the end: ${os.loadavg().map((l) => l.toFixed(1)).join(' ')}`);
  await browser.close();
})();
