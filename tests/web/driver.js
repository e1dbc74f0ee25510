// Opens the built page from disk in Debian's chromium and reads back what it shows. Shared by
// the page's tests, the README screenshot and the per-key timing.
'use strict';
const { pathToFileURL } = require('url');
const { chromium } = require('playwright-core');

const N = 512;

async function openPage(pagePath, viewport = { width: 960, height: 640 }) {
  const browser = await chromium.launch({
    executablePath: process.env.ORLINDE_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const page = await browser.newPage({ viewport });
  // Anything the page would fetch is a fault: it must work offline from one file.
  await page.route(/^(?!file:|data:)/, (route) => {
    throw new Error(`the page asked the network for ${route.request().url()}`);
  });
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 30000 });
  return { browser, page };
}

// The canvas as N × N grey bytes, top row first; throws if any pixel is not grey and opaque.
async function canvasGrey(page) {
  const rgba = Buffer.from(await page.evaluate(() => {
    const canvas = document.getElementById('picture');
    const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }), 'base64');
  const grey = Buffer.alloc(N * N);
  for (let i = 0; i < N * N; ++i) {
    const [r, g, b, a] = rgba.subarray(4 * i, 4 * i + 4);
    if (r !== g || g !== b || a !== 255)
      throw new Error(`canvas pixel ${i} is not opaque grey: ${[r, g, b, a]}`);
    grey[i] = r;
  }
  return grey;
}

// The page's coefficient array, bit for bit.
async function coefficients(page) {
  const bytes = Buffer.from(await page.evaluate(() => window.orlinde.coefficients()), 'base64');
  return new Float32Array(bytes.buffer, bytes.byteOffset, N * N);
}

const text = (page, id) => page.locator(`#${id}`).textContent();

module.exports = { N, openPage, canvasGrey, coefficients, text };

// node driver.js PAGE KEYS OUT: types KEYS into the page and writes its canvas's grey bytes,
// top row first, to OUT.
if (require.main === module) {
  const [pagePath, keys, out] = process.argv.slice(2);
  (async () => {
    const { browser, page } = await openPage(pagePath);
    await page.keyboard.type(keys);
    require('fs').writeFileSync(out, await canvasGrey(page));
    await browser.close();
  })().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}
