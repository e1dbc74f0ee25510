// The web page opened from disk in headless chromium, held to the desktop viewer's own logic
// (viewer_replay, a native build of it): the status line and the coefficients, bit for bit, after
// key sequences in every mode and pictures opened through #open; refused files; the signed view
// and the readout; keep-the-largest. test_window.py holds the canvas to the real window.
'use strict';
const assert = require('assert');
const { execFileSync, spawnSync } = require('child_process');
const { createHash } = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { after, before, test } = require('node:test');
const { N, openPage, canvasGrey, coefficients, text } = require('../../web/driver');

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orlinde-web-'));
const sample = (name) => path.join(__dirname, '..', '..', 'samples', `${name}.tga`);
const picture = (name) => path.join(work, name);
const floats = (bytes) => new Float32Array(bytes.buffer, bytes.byteOffset, N * N);
let browser;
let page;

// What the desktop viewer makes of `image` after `keys`: its status line and coefficients, or
// the message of a refused file.
function native(image, keys) {
  const run = spawnSync(process.env.ORLINDE_REPLAY, [image, keys], { maxBuffer: 8 * N * N });
  const line = run.stderr.toString().replace(/\n$/, '');
  if (run.status === 1)
    return { message: line };
  assert.strictEqual(run.status, 0, line);
  return { status: line, coefficients: run.stdout };
}

async function assertShows(expected, what) {
  assert.strictEqual(await text(page, 'status'), expected.status, `${what}: status line`);
  assert.ok((await coefficients(page)).equals(expected.coefficients), `${what}: coefficients`);
}

// Status line, coefficients and canvas in brief, to tell whether anything changed.
async function state() {
  const digest = (bytes) => createHash('sha256').update(bytes).digest('hex');
  return [await text(page, 'status'), digest(await coefficients(page)),
          digest(await canvasGrey(page))];
}

// Opening a sample starts afresh, as the desktop starts.
async function start(name, keys) {
  await page.selectOption('#sample', name);
  for (const key of keys)
    await page.keyboard.press({ '\x1b': 'Escape', ' ': 'Space' }[key] ?? key);
}

async function open(file) {
  await page.setInputFiles('#open', file);
  await page.waitForFunction(() => document.getElementById('open').value === '');
}

before(async () => {
  execFileSync('/usr/bin/python3', [path.join(__dirname, 'make_pictures.py'), work]);
  ({ browser, page } = await openPage(process.env.ORLINDE_WEB_PAGE));
});

after(async () => {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
});

test('key sequences in every mode give the desktop status line and coefficients', async () => {
  // Both arrangements and kernels, single and full passes both ways, the scale down to its floor,
  // keys without a command (ESC among them), which change nothing, and the status line as a
  // picture opens.
  const cases = [['testcard', 'ffBB'], ['testcard', 'sFBBBBb'], ['testcard', 'NSffffBbbbb'],
                 ['testcard', 'NsFRn'], ['testcard', 'FfrrrNr'], ['testcard', 'fq1 \x1bB'],
                 ['scene', 'F']];
  for (const [name, keys] of cases) {
    await start(name, keys);
    await assertShows(native(sample(name), keys), `${name} after "${keys}"`);
  }
  // The button row is the keyboard for touch screens.
  await start('testcard', '');
  for (const key of 'NSfBB')
    await page.click(`#keys button[data-key="${key}"]`);
  await assertShows(native(sample('testcard'), 'NSfBB'), 'buttons N S f B B');
});

test('#open takes a TGA as the desktop does, a PNG cut, scaled and in Pillow\'s grey', async () => {
  await start('testcard', 'NSfB');
  // A newly opened picture starts as the desktop starts, whatever came before.
  await open(picture('grey.tga'));
  await page.keyboard.type('fB');
  await assertShows(native(picture('grey.tga'), 'fB'), 'grey.tga after "fB"');
  await open(picture('colour.png'));
  await assertShows(native(picture('colour.tga'), ''), 'colour.png, its centred square');
  await open(picture('blocks.png'));
  const shown = floats(await coefficients(page));
  const expected = floats(native(picture('blocks.tga'), '').coefficients);
  // Halved, the blocks' insides come out the same whatever the scaling filter; their edges not.
  const inside = (i) => [i % N, Math.floor(i / N)].every((x) => x % 32 >= 2 && x % 32 < 30);
  assert.ok(shown.every((v, i) => !inside(i) || Object.is(v, expected[i])), 'blocks.png inside');
});

test('a refused file leaves its message and changes nothing', async () => {
  await start('testcard', 'NfBB');
  const before = await state();
  for (const name of ['small.tga', 'palette.tga', 'broken.png']) {
    // A TGA file is refused with the desktop's own message.
    const message = name.endsWith('.tga')
      ? native(picture(name), '').message
      : `Orlinde: the browser cannot read ${name} as a picture.`;
    await open(picture(name));
    assert.strictEqual(await text(page, 'message'), message, name);
    assert.deepStrictEqual(await state(), before, `after ${name}`);
  }
  // The passes stayed too: the next key works on them.
  await page.keyboard.press('f');
  await assertShows(native(sample('testcard'), 'NfBBf'), 'a key after refusals');
  await open(picture('grey.tga'));
  assert.strictEqual(await text(page, 'message'), '', 'a picture taken clears the message');
});

test('the signed view and the readout, which the window does not have', async () => {
  await start('testcard', 'FBB');
  const plain = await state();
  const values = floats(await coefficients(page));
  await page.check('#signed');
  const f = Math.fround;
  // The nearest byte, ties to the even one, as in the plain view; the canvas's top row first.
  const byte = (grey) => (grey % 1 === 0.5 ? 2 * Math.round(grey / 2) : Math.round(grey));
  const signed = (v) => byte(f(Math.min(Math.max(f(0.5 + f(0.5 * f(v * 3))), 0), 1) * 255));
  const topFirst = (i) => (N - 1 - Math.floor(i / N)) * N + i % N;
  const expected = Buffer.from(values.map((_, i) => signed(values[topFirst(i)])));
  assert.ok((await canvasGrey(page)).equals(expected), 'signed grey bytes');
  await page.uncheck('#signed');
  assert.deepStrictEqual(await state(), plain, 'the plain view again, the coefficients untouched');
  // The readout names the coefficient under the pointer, also once a key has changed it.
  await page.hover('#picture', { position: { x: 300.5, y: 100.5 } });
  await page.keyboard.press('R');
  const readout = await text(page, 'readout');
  assert.match(readout, /^row 411, column 300: /);
  const value = floats(await coefficients(page))[411 * N + 300];
  assert.strictEqual(Math.fround(Number(readout.split(': ')[1])), value, readout);
});

test('keep the largest keeps exactly m values, ties to the lower index; the PSNR shows the cost',
     async () => {
  await start('testcard', '');
  assert.strictEqual(await text(page, 'psnr'), '∞');
  const original = floats(await coefficients(page));
  await page.keyboard.type('NF');
  const decomposed = floats(await coefficients(page));
  await page.fill('#keep', '5');
  await page.click('#compress');
  const m = Math.ceil(0.05 * N * N);
  const order = Array.from(decomposed.keys())
    .sort((a, b) => Math.abs(decomposed[b]) - Math.abs(decomposed[a]) || a - b);
  const kept = new Float32Array(N * N);
  for (const i of order.slice(0, m))
    kept[i] = decomposed[i];
  const threshold = Math.abs(decomposed[order[m - 1]]);
  assert.ok(decomposed.filter((v) => Math.abs(v) >= threshold).length > m, 'the budget cuts ties');
  assert.strictEqual(await text(page, 'kept'), `Kept ${m} of ${N * N} coefficients.`);
  assert.ok((await coefficients(page)).equals(Buffer.from(kept.buffer)), 'kept coefficients');
  await page.keyboard.press('R');
  const restored = floats(await coefficients(page));
  const sum = restored.reduce((total, v, i) => total + (v - original[i]) ** 2, 0);
  assert.strictEqual(await text(page, 'psnr'), `${(10 * Math.log10(N * N / sum)).toFixed(2)} dB`);
});
