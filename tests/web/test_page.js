// The web page opened from disk in headless chromium, held to the desktop viewer's own logic
// (viewer_replay, a native build of it): picture bytes, status line and coefficients after key
// sequences in every mode, pictures opened through #open, a refused file, the signed view and
// keep-the-largest.
'use strict';
const assert = require('assert');
const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { after, before, test } = require('node:test');
const { N, openPage, canvasGrey, coefficients, text } = require('./driver');

const PAGE = process.env.ORLINDE_WEB_PAGE;
const REPLAY = process.env.ORLINDE_REPLAY;
const SAMPLES = process.env.ORLINDE_SAMPLES;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orlinde-web-'));
let browser;
let page;

// What the desktop viewer makes of `image` after `keys`: its status line (or refusal), its
// coefficients and its window's grey bytes.
function native(image, keys) {
  const out = path.join(work, 'replay');
  const run = spawnSync(REPLAY, [image, keys, out], { encoding: 'utf8' });
  if (run.status !== 0)
    return { message: run.stdout.trimEnd() };
  const raw = fs.readFileSync(`${out}.raw`);
  return {
    status: run.stdout.replace(/\n$/, ''),
    coefficients: new Float32Array(raw.buffer, raw.byteOffset, N * N),
    grey: fs.readFileSync(`${out}.grey`),
  };
}

function sameBits(actual, expected, what) {
  const a = Buffer.from(actual.buffer, actual.byteOffset, actual.byteLength);
  const e = Buffer.from(expected.buffer, expected.byteOffset, expected.byteLength);
  if (!a.equals(e)) {
    const i = actual.findIndex((v, k) => !Object.is(v, expected[k]));
    assert.fail(`${what}: first difference at ${i}: ${actual[i]} != ${expected[i]}`);
  }
}

async function assertShows(expected, what) {
  assert.strictEqual(await text(page, 'status'), expected.status, `${what}: status line`);
  assert.ok((await canvasGrey(page)).equals(expected.grey), `${what}: canvas bytes`);
  sameBits(await coefficients(page), expected.coefficients, `${what}: coefficients`);
}

async function fresh() {
  await page.reload();
  await page.waitForSelector('body[data-ready="true"]');
}

async function openThrough(file) {
  await page.setInputFiles('#open', file);
  await page.waitForFunction(() => document.getElementById('open').value === '');
}

before(async () => {
  execFileSync('/usr/bin/python3', [path.join(__dirname, 'make_pictures.py'), work]);
  ({ browser, page } = await openPage(PAGE));
});

after(async () => {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
});

test('key sequences in every mode show what the desktop shows', async () => {
  const testcard = path.join(SAMPLES, 'testcard.tga');
  const cases = [
    [testcard, ''], [testcard, 'f'], [testcard, 'ffBB'], [testcard, 'FBBBBBBBB'],
    [testcard, 'sffrBBB'], [testcard, 'SFBBBBb'], [testcard, 'nffB'], [testcard, 'NF'],
    [testcard, 'NSffffBbbb'], [testcard, 'NsFRn'], [testcard, 'FfrrrNr'],
    // Keys without a command, ESC among them, change nothing.
    [testcard, 'fq1 \x1bB'],
    [path.join(SAMPLES, 'scene.tga'), 'SnFBBB'],
  ];
  for (const [image, keys] of cases) {
    await fresh();
    if (image.endsWith('scene.tga'))
      await page.selectOption('#sample', 'scene');
    for (const key of keys)
      await page.keyboard.press(key === '\x1b' ? 'Escape' : key === ' ' ? 'Space' : key);
    await assertShows(native(image, keys), `${path.basename(image)} after "${keys}"`);
  }
  // The button row is the keyboard for touch screens.
  await fresh();
  for (const key of 'NSfBB')
    await page.click(`#keys button[data-key="${key}"]`);
  await assertShows(native(testcard, 'NSfBB'), 'buttons N S f B B');
});

test('a TGA and a PNG opened through #open come in as the desktop reads them', async () => {
  await fresh();
  await page.keyboard.type('NfB');
  await openThrough(path.join(work, 'grey.tga'));
  // A newly opened picture starts as the desktop starts, whatever came before.
  await assertShows(native(path.join(work, 'grey.tga'), ''), 'grey.tga');
  await page.keyboard.type('Ff');
  await assertShows(native(path.join(work, 'grey.tga'), 'Ff'), 'grey.tga after "Ff"');

  await openThrough(path.join(work, 'colour.png'));
  assert.strictEqual(await text(page, 'message'), '');
  await page.keyboard.type('sFBB');
  await assertShows(native(path.join(work, 'colour.tga'), 'sFBB'), 'colour.png after "sFBB"');
});

test('a refused file leaves its message and changes nothing', async () => {
  await fresh();
  await page.keyboard.type('NfBB');
  const before = native(path.join(SAMPLES, 'testcard.tga'), 'NfBB');
  for (const name of ['small.tga', 'palette.tga']) {
    const file = path.join(work, name);
    const refusal = native(file, '').message;
    assert.ok(refusal, `${name} is refused by the desktop`);
    await openThrough(file);
    assert.strictEqual(await text(page, 'message'), refusal, name);
    await assertShows(before, `after ${name}`);
  }
  await openThrough(path.join(work, 'broken.png'));
  assert.match(await text(page, 'message'), /^Orlinde: the browser cannot read broken\.png/);
  await assertShows(before, 'after broken.png');
  // The modes stayed too: the next key works on them.
  await page.keyboard.type('f');
  await assertShows(native(path.join(SAMPLES, 'testcard.tga'), 'NfBBf'), 'a key after refusals');
});

test('the signed view shows zero as mid grey and changes only the display', async () => {
  await fresh();
  await page.keyboard.type('FBB');
  const expected = native(path.join(SAMPLES, 'testcard.tga'), 'FBB');
  await page.check('#signed');
  const shown = await canvasGrey(page);
  const f = Math.fround;
  for (let top = 0; top < N; ++top) {
    for (let column = 0; column < N; ++column) {
      const v = expected.coefficients[(N - 1 - top) * N + column];
      const grey = f(Math.min(Math.max(f(0.5 + f(0.5 * f(v * 3))), 0), 1) * 255);
      // Ties go to the even byte, as in the plain view.
      const byte = grey % 1 === 0.5 ? 2 * Math.round(grey / 2) : Math.round(grey);
      assert.strictEqual(shown[top * N + column], byte, `signed grey at ${top}, ${column}`);
    }
  }
  sameBits(await coefficients(page), expected.coefficients, 'coefficients in the signed view');
  await page.uncheck('#signed');
  assert.ok((await canvasGrey(page)).equals(expected.grey), 'plain view again');
});

test('keep the largest keeps every value at least the m-th largest, and the PSNR shows the cost',
     async () => {
  await fresh();
  assert.strictEqual(await text(page, 'psnr'), '∞');
  const original = native(path.join(SAMPLES, 'testcard.tga'), '').coefficients;
  const decomposed = native(path.join(SAMPLES, 'testcard.tga'), 'NF').coefficients;
  await page.keyboard.type('NF');
  await page.fill('#keep', '5');
  await page.click('#compress');

  const m = Math.ceil(0.05 * N * N);
  const magnitudes = Float32Array.from(decomposed, Math.abs).sort().reverse();
  const threshold = magnitudes[m - 1];
  const kept = decomposed.map((v) => (Math.abs(v) >= threshold ? v : 0));
  const count = decomposed.filter((v) => Math.abs(v) >= threshold).length;
  assert.ok(count >= m);
  assert.strictEqual(await text(page, 'kept'), `Kept ${count} of ${N * N} coefficients.`);
  sameBits(await coefficients(page), kept, 'kept coefficients');

  await page.keyboard.press('R');
  const restored = await coefficients(page);
  let sum = 0;
  for (let i = 0; i < N * N; ++i)
    sum += (restored[i] - original[i]) ** 2;
  const db = 10 * Math.log10(N * N / sum);
  assert.ok(Number.isFinite(db), 'keeping 5 % loses something');
  assert.strictEqual(await text(page, 'psnr'), `${db.toFixed(2)} dB`);
});
