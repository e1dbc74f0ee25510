// Opens the built page from disk in Debian's chromium and reads back what it shows: the one way
// in for the page's tests, the README screenshot and the per-key timing.
'use strict';
const { pathToFileURL } = require('url');
const { chromium } = require('playwright-core');

const N = 512;
// The window the pages open in, unless a caller asks for another.
const VIEWPORT = { width: 960, height: 640 };

// Opens the page in a new tab of `browser`; `options` are the tab's (viewport, isMobile, …);
// `fragment`, when given, is the address's part after '#'.
async function loadPage(browser, pagePath, options, fragment = '') {
  const page = await browser.newPage(options);
  // Anything the page would fetch is a fault: it must work offline from one file.
  await page.route(/^(?!file:|data:)/, (route) => {
    throw new Error(`the page asked the network for ${route.request().url()}`);
  });
  await page.goto(pathToFileURL(pagePath).href + (fragment ? `#${fragment}` : ''));
  await page.waitForSelector('body[data-ready="true"]', { timeout: 30000 });
  return page;
}

const launch = () => chromium.launch({
  executablePath: process.env.ORLINDE_CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run'],
});

async function openPage(pagePath, viewport = VIEWPORT, device = {}) {
  const browser = await launch();
  return { browser, page: await loadPage(browser, pagePath, { viewport, ...device }) };
}

// The canvas as N × N grey bytes, top row first; throws if any pixel is not grey and opaque. The
// greys are picked out in the page: a quarter of the bytes to carry.
async function canvasGrey(page) {
  return Buffer.from(await page.evaluate(() => {
    const rgba = atob(window.orlinde.canvas());
    let greys = '';
    for (let i = 0; i < rgba.length; i += 4) {
      if (rgba[i + 1] !== rgba[i] || rgba[i + 2] !== rgba[i] || rgba.charCodeAt(i + 3) !== 255)
        throw new Error(`canvas pixel ${i / 4} is not opaque grey`);
      greys += rgba[i];
    }
    return btoa(greys);
  }), 'base64');
}

// The page's coefficient array as the bytes of its 32-bit floats, row 0 (the bottom) first.
async function coefficients(page) {
  return Buffer.from(await page.evaluate(() => window.orlinde.coefficients()), 'base64');
}

const text = (page, id) => page.locator(`#${id}`).textContent();

module.exports = { N, VIEWPORT, launch, openPage, loadPage, canvasGrey, coefficients, text };

// node driver.js PAGE OUT KEYS...: types each group of KEYS into the page in turn and writes the
// canvas's grey bytes after each, top row first, one after another to OUT.
if (require.main === module) {
  const [pagePath, out, ...groups] = process.argv.slice(2);
  (async () => {
    const { browser, page } = await openPage(pagePath);
    const canvases = [];
    for (const keys of groups) {
      await page.keyboard.type(keys);
      canvases.push(await canvasGrey(page));
    }
    require('fs').writeFileSync(out, Buffer.concat(canvases));
    await browser.close();
  })().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}
