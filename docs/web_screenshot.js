// Takes the README's screenshot of the web page from a real run in headless chromium.
//
//   (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node docs/web_screenshot.js build-web/orlinde.html docs/web/page.png
//
// The page opens on the test card; the picture shows one full non-standard decomposition at
// scale 8 in the signed view, with the readout of one coefficient.
'use strict';
const path = require('path');
const { openPage } = require(path.join(__dirname, '..', 'web', 'driver'));

const [pagePath, out] = process.argv.slice(2);
(async () => {
  const { browser, page } = await openPage(pagePath, { width: 940, height: 640 });
  await page.keyboard.type('FBBBBBBB');
  await page.check('#signed');
  await page.hover('#picture', { position: { x: 300, y: 100 } });
  await page.screenshot({ path: out });
  await browser.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
