// What needs a real layout: every control named, every text at 4.5:1 or more (the matrix's cells in
// every grey among them), a phone's screen, and a browser without WebAssembly.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { N, VIEWPORT, page, browser, start, text, loadPage } = require('./page_session');

test('every control says what it does, F and f apart, every text at 4.5:1 or more', async () => {
  await start('testcard', '');
  const names = [];
  for (const key of 'FfRrNSBb') {
    const button = page.locator(`#keys button[data-key="${key}"]`);
    // The accessible name is what a screen reader says: the words and the key.
    const name = (await button.evaluate((b) => b.textContent)).trim();
    await page.getByRole('button', { name, exact: true }).waitFor();
    assert.match(name, new RegExp(`^\\w[\\w /]+ \\(${key}\\)$`), key);
    names.push(name.toLowerCase());
  }
  assert.strictEqual(new Set(names).size, names.length, `distinct names: ${names}`);
  for (const id of ['open', 'sample', 'mode', 'scale', 'keep', 'signed', 'blocks', 'grid-size',
                    'grid-text', 'view', 'letter-keys', 'labels'])
    assert.ok(await page.locator(`#${id}`).evaluate((e) => e.labels.length > 0), `#${id} label`);
  await page.getByRole('img', { name: /^The coefficient array as a picture/ }).waitFor();
  for (const id of ['status', 'where', 'kept', 'psnr'])
    assert.strictEqual(await page.getAttribute(`#${id}`, 'aria-live'), 'polite', `#${id} announced`);
  // Text colour against the first opaque background behind it, as WCAG defines the ratio.
  const lowest = () => page.evaluate(() => {
    const luminance = (colour) => {
      const [r, g, b] = colour.match(/[\d.]+/g).map(Number).map((v) => v / 255)
        .map((v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4));
      return 0.2126 * r + 0.7152 * g + 0.0722 * b;
    };
    const background = (element) => {
      for (let e = element; e; e = e.parentElement) {
        const colour = getComputedStyle(e).backgroundColor;
        if (!/rgba\(.*, 0\)$/.test(colour) && colour !== 'transparent')
          return colour;
      }
      return 'rgb(255, 255, 255)';
    };
    let worst = { ratio: Infinity };
    for (const element of document.querySelectorAll('body *')) {
      const hasText = [...element.childNodes].some((c) => c.nodeType === 3 && c.data.trim()) ||
                      (/^(INPUT|TEXTAREA)$/.test(element.tagName) && element.value);
      if (!hasText || element.getClientRects().length === 0)
        continue;
      const [a, b] = [getComputedStyle(element).color, background(element)].map(luminance);
      const ratio = (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
      if (ratio < worst.ratio)
        worst = { ratio, what: element.outerHTML.slice(0, 80) };
    }
    return worst;
  });
  await page.locator('#help summary').click();
  await page.fill('#keep', '200');
  await page.click('#compress');
  let worst = await lowest();
  assert.ok(worst.ratio >= 4.5, JSON.stringify(worst));
  // The matrix's cells in every grey from black to white: a 16 × 16 ramp.
  await page.selectOption('#mode', 'numbers');
  await page.fill('#grid-text', Array.from({ length: 16 }, (_, row) =>
    Array.from({ length: 16 }, (__, column) => (16 * row + column) / 255).join(' ')).join('\n'));
  await page.click('#grid-set');
  const greys = () => page.$$eval('#grid input', (cells) =>
    new Set(cells.map((cell) => cell.style.background)).size);
  assert.strictEqual(await greys(), 256, 'every grey');
  worst = await lowest();
  assert.ok(worst.ratio >= 4.5, `numbers mode: ${JSON.stringify(worst)}`);
  await page.check('#signed');
  worst = await lowest();
  assert.ok(worst.ratio >= 4.5, `numbers mode, signed: ${JSON.stringify(worst)}`);
  await page.uncheck('#signed');
  await page.locator('#help summary').click();
  await page.selectOption('#mode', 'picture');
});

test('without WebAssembly the page says so', async () => {
  const bare = await browser.newPage();
  await bare.addInitScript(() => { delete window.WebAssembly; });
  await bare.goto(require('url').pathToFileURL(process.env.ORLINDE_WEB_PAGE).href);
  await bare.waitForSelector('body[data-ready="failed"]');
  assert.match(await text(bare, 'message'), /needs WebAssembly/);
  await bare.close();
});

test('in numbers mode neither the grid nor a control moves as the sentences under it change',
     async () => {
  await page.selectOption('#mode', 'numbers');
  await page.selectOption('#grid-size', '8');
  const boxes = () => page.evaluate(() => [...document.querySelectorAll(
    '#grid, .view button, .view select, .view input, .controls button, .controls select, ' +
    '.controls input, .controls textarea')]
    .filter((e) => !e.closest('#grid table') && e.getClientRects().length > 0)
    .map((e) => `${e.id || e.textContent} ${JSON.stringify(e.getBoundingClientRect())}`));
  // The narrowest of the usual desktop screens, where a longer sentence wraps first.
  await page.setViewportSize({ width: 1280, height: 800 });
  await page.click('#reset');
  await page.locator('#grid').focus();
  const first = await boxes();
  const sentences = new Set();
  // Half a level, the other arrangement, the passes no longer undoing each other, and back.
  for (const key of 'fSfrNRfFRr') {
    await page.keyboard.press(key);
    sentences.add(await text(page, 'where') + await text(page, 'warning'));
    assert.deepStrictEqual(await boxes(), first, `after ${key}`);
  }
  assert.ok(sentences.size >= 5, 'the sentences changed');
  await page.setViewportSize(VIEWPORT);
  await page.selectOption('#mode', 'picture');
});

test('a phone shows the picture, scaled, and the step buttons together', async () => {
  const seen = (tab) => tab.evaluate(() => {
    const box = (e) => document.querySelector(e).getBoundingClientRect();
    const inView = (r) => r.left >= 0 && r.top >= 0 && r.right <= innerWidth &&
                          r.bottom <= innerHeight;
    const status = document.getElementById('status');
    return { scrolls: document.documentElement.scrollWidth > innerWidth,
             side: box('#picture').width,
             together: ['#status', '#picture', '#keys'].every((e) => inView(box(e))),
             statusLines: Math.round(status.getBoundingClientRect().height /
                                     parseFloat(getComputedStyle(status).lineHeight)) };
  });
  // A narrow window that is no phone shows the picture one to one.
  await page.setViewportSize({ width: 560, height: 640 });
  assert.strictEqual((await seen(page)).side, N, 'one to one at 560 × 640');
  await page.setViewportSize(VIEWPORT);
  // A phone held upright, then turned on its side.
  const phone = await loadPage(browser, process.env.ORLINDE_WEB_PAGE,
                               { viewport: { width: 390, height: 844 }, isMobile: true,
                                 hasTouch: true });
  for (const [width, height] of [[390, 844], [844, 390]]) {
    await phone.setViewportSize({ width, height });
    await phone.selectOption('#mode', 'picture');
    const shown = await seen(phone);
    const what = `${width} × ${height}: ${JSON.stringify(shown)}`;
    assert.ok(!shown.scrolls && shown.together && shown.side < N, what);
    if (width === 390) {
      assert.ok(shown.statusLines > 1, `the status line wraps: ${what}`);
      // A tap reads the entry under the finger through the picture's scaling.
      await phone.tap('#picture', { position: { x: 200, y: 100 } });
      const [row, column] = [N - 1 - Math.floor(100 * N / shown.side),
                             Math.floor(200 * N / shown.side)];
      assert.match(await text(phone, 'readout'), new RegExp(`^row ${row}, column ${column}: `));
      // The tools used most right under the step buttons, in reach; every control big enough
      // for a finger (a checkbox, or its label).
      const reach = await phone.evaluate(() => {
        const box = (id) => document.getElementById(id).getBoundingClientRect();
        const big = (b) => b.width >= 24 && b.height >= 24;
        const end = box('picture').top + 1.5 * innerHeight;
        return { small: [...document.querySelectorAll('button, select, input')]
                   .filter((e) => e.getClientRects().length > 0 && !big(e.getBoundingClientRect()) &&
                                  !(e.type === 'checkbox' && big(e.labels[0].getBoundingClientRect())))
                   .map((e) => e.id || e.textContent),
                 far: ['keep', 'compress', 'view', 'scale', 'auto'].filter((id) =>
                   document.getElementById(id).closest('#tools') === null || box(id).bottom > end),
                 under: box('tools').top - box('keys').bottom };
      });
      assert.ok(reach.under >= 0 && reach.under <= 16, `right under the buttons: ${reach.under}`);
      assert.deepStrictEqual(reach, { ...reach, small: [], far: [] }, what);
    }
    // The largest matrix, its details long decimals: every number whole, the buttons in view.
    await phone.selectOption('#mode', 'numbers');
    await phone.selectOption('#grid-size', '16');
    for (const key of 'NF')
      await phone.click(`#keys button[data-key="${key}"]`);
    const grid = await phone.evaluate(() => {
      const keys = document.getElementById('keys').getBoundingClientRect();
      return { keys: keys.top >= 0 && keys.bottom <= innerHeight,
               cut: [...document.querySelectorAll('#grid input')].filter((cell) =>
                 cell.scrollWidth > cell.clientWidth || cell.getBoundingClientRect().height < 24)
                 .length,
               scrolls: document.documentElement.scrollWidth > innerWidth };
    });
    assert.deepStrictEqual(grid, { keys: true, cut: 0, scrolls: false }, `numbers mode, ${what}`);
  }
  await phone.context().close();
});
