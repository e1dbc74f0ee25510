// Takes the README's screenshots of the web page from a real run in headless chromium: at a
// desktop's width and on a 390 × 844 phone.
//
//   (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node docs/web_screenshot.js build-web/orlinde.html docs/web
//
// page.png: the test card after one level (f f), the blocks outlined, the pointer on the
// diagonal details, scale 4 in the signed view. phone.png: the same page on a phone after one
// row pass (f) and a tap on its details. chart.png: the rate–distortion chart of the scene, the
// experiment N, F, keep 2 % marked on it. coded.png and code.png: the scene coded with CDF 9/7
// at 0.25 bits per pixel, and the Code panel comparing it with the browser's JPEG and WebP.
'use strict';
const path = require('path');
const { openPage, loadPage } = require(path.join(__dirname, '..', 'web', 'driver'));

const [pagePath, out] = process.argv.slice(2);
(async () => {
  const { browser, page } = await openPage(pagePath, { width: 960, height: 800 });
  await page.keyboard.type('ffBBB');
  await page.check('#signed');
  await page.check('#blocks');
  await page.evaluate(() => document.activeElement.blur());
  await page.hover('#picture', { position: { x: 322, y: 140 } });
  await page.screenshot({ path: path.join(out, 'page.png') });
  await page.selectOption('#sample', 'scene');
  await page.waitForSelector('#chart[data-state="done"]');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.type('NF');
  await page.fill('#keep', '2');
  await page.click('#compress');
  const top = await page.locator('.chart-part').boundingBox();
  const bottom = await page.locator('#chart-note').boundingBox();
  await page.screenshot({ path: path.join(out, 'chart.png'), fullPage: true,
                          clip: { x: top.x - 8, y: top.y - 8, width: top.width + 16,
                                  height: bottom.y + bottom.height - top.y + 16 } });
  // The scene coded with CDF 9/7 at a quarter of a bit per pixel, beside the browser's JPEG and
  // WebP at no more bytes.
  await page.uncheck('#blocks');
  await page.selectOption('#view', 'coded');
  await page.fill('#code-bpp', '0.25');
  await page.press('#code-bpp', 'Enter');
  await page.check('#compare-on');
  await page.waitForFunction(() => [...document.querySelectorAll('#compare tbody tr:first-child td')]
    .every((cell) => cell.textContent !== ''));
  await page.evaluate(() => { document.activeElement.blur(); window.scrollTo(0, 0); });
  await page.screenshot({ path: path.join(out, 'coded.png'),
                          clip: { x: 0, y: 0, width: 560, height: 560 } });
  await page.locator('#code').screenshot({ path: path.join(out, 'code.png') });
  const phone = await loadPage(browser, pagePath, { viewport: { width: 390, height: 844 },
                                                    isMobile: true, hasTouch: true });
  await phone.tap('#keys button[data-key="f"]');
  await phone.tap('#picture', { position: { x: 300, y: 200 } });
  await phone.screenshot({ path: path.join(out, 'phone.png') });
  await browser.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
