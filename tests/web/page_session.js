// What the page's browser tests share: each test file opens the page afresh from disk in headless
// chromium and holds it to the desktop viewer's own logic (viewer_replay, a native build of it),
// to lab_tool's numbers and to the independent model of a matrix's transform (lab_model.py).
// Arrays are compared by digest, made where they are: a 512 × 512 array read out of the page costs
// a quarter of a second, its digest in the page a few milliseconds.
'use strict';
const assert = require('assert');
const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { after, before } = require('node:test');
const driver = require('../../web/driver');

const { N } = driver;
// The browser and its page, set before the file's tests run; a file may set `fragment` first, the
// address's part after '#' that its page opens with.
const session = { fragment: '' };
let work = null;

before(async () => {
  session.browser = await driver.launch();
  // Read once the browser is up, when the file's own top level has run.
  session.page = await driver.loadPage(session.browser, process.env.ORLINDE_WEB_PAGE,
                                       { viewport: driver.VIEWPORT }, session.fragment);
});

after(async () => {
  await session.browser.close();
  if (work !== null)
    fs.rmSync(work, { recursive: true, force: true });
});

const sample = (name) => path.join(__dirname, '..', '..', 'samples', `${name}.tga`);
// The test pictures (make_pictures.py), made on first use.
function picture(name) {
  if (work === null) {
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'orlinde-web-'));
    execFileSync('/usr/bin/python3', [path.join(__dirname, 'make_pictures.py'), work]);
  }
  return path.join(work, name);
}
const floats = (bytes) => new Float32Array(bytes.buffer, bytes.byteOffset, bytes.length / 4);

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

// What lab_tool makes of `args`, with `input` written to a file for '@'.
function labTool(args, input) {
  const file = picture('lab-tool.raw');
  if (input)
    fs.writeFileSync(file, input);
  const run = spawnSync(process.env.ORLINDE_LAB_TOOL, args.map((a) => (a === '@' ? file : a)),
                        { maxBuffer: 8 * N * N });
  assert.strictEqual(run.status, 0, run.stderr.toString());
  return run.stdout;
}

// A matrix after each of `keys`, in the independent model (lab_model.py).
function model(keys, input) {
  const run = spawnSync('/usr/bin/python3', [path.join(__dirname, 'lab_model.py'), keys],
                        { input, maxBuffer: 64 * N * N,
                          env: { ...process.env, PYTHONPATH: path.join(__dirname, '..', 'wavelet') } });
  assert.strictEqual(run.status, 0, run.stderr.toString());
  return run.stdout;
}

// One of the model's keys made through the page: O chooses orthonormal in #normalization (the
// keys then go back to the page), any other letter is pressed.
async function modelKey(key, page = session.page) {
  if (key === 'O') {
    await page.selectOption('#normalization', 'orthonormal');
    await page.evaluate(() => document.activeElement.blur());
  } else {
    await page.keyboard.press(key);
  }
}

// A digest of a long text, the same in node and in the page, where its source is sent: cyrb53,
// two multiplicative hashes side by side, and the length.
function digest(text) {
  let [a, b] = [0xdeadbeef, 0x41c6ce57];
  for (let i = 0; i < text.length; ++i) {
    const c = text.charCodeAt(i);
    a = Math.imul(a ^ c, 2654435761);
    b = Math.imul(b ^ c, 1597334677);
  }
  a = Math.imul(a ^ (a >>> 16), 2246822507) ^ Math.imul(b ^ (b >>> 13), 3266489909);
  b = Math.imul(b ^ (b >>> 16), 2246822507) ^ Math.imul(a ^ (a >>> 13), 3266489909);
  return `${text.length}:${(a >>> 0).toString(16)}:${(b >>> 0).toString(16)}`;
}
const digestOf = (bytes) => digest(bytes.toString('base64'));

// The status line and the digests of the coefficients and (with `canvas`) of the canvas, read in
// one call.
const shown = (page, canvas = true) => page.evaluate(`(() => {
  const digest = ${digest};
  return [document.getElementById('status').textContent, digest(orlinde.coefficients()),
          ...(${canvas} ? [digest(orlinde.canvas())] : [])];
})()`);

// Asserts that the page shows `expected`: its coefficients, and its status line where given.
async function assertShows(expected, what, page = session.page) {
  const [status, coefficientDigest] = await shown(page, false);
  if (expected.status !== undefined)
    assert.strictEqual(status, expected.status, `${what}: status line`);
  assert.strictEqual(coefficientDigest, digestOf(expected.coefficients), `${what}: coefficients`);
}

// Status line, coefficients and canvas in brief, to tell whether anything changed.
const state = (page = session.page) => shown(page);

// Waits, polling every 50 ms for at most 10 s, until `page`'s coefficients have the digest `want`
// (a state()'s second): for work the page does between frames, such as a link's replay.
const waitForCoefficients = (page, want) => page.waitForFunction(
  `(${digest})(orlinde.coefficients()) === ${JSON.stringify(want)}`, null,
  { polling: 50, timeout: 10000 });

// Opening a sample starts afresh, as the desktop starts; the keys then go to the page.
async function start(name, keys) {
  const { page } = session;
  await page.selectOption('#sample', name);
  await page.evaluate(() => document.activeElement.blur());
  for (const key of keys)
    await page.keyboard.press({ '\x1b': 'Escape', ' ': 'Space' }[key] ?? key);
}

// Runs one command through the page's own controls, as a person would: a key, `keep:5`,
// `scale:7.25`, a list's choice such as `normalization:orthonormal`, or the id of a button.
async function byHand(command) {
  const { page } = session;
  const [name, value] = command.split(':');
  if (command.length === 1) {
    await page.keyboard.press(command);
  } else if (['normalization', 'arrangement'].includes(name)) {
    await page.selectOption(`#${name}`, value);
  } else if (value !== undefined) {
    await page.fill(`#${name}`, value);
    await (name === 'keep' ? page.click('#compress') : page.press('#scale', 'Enter'));
  } else {
    await page.click(`#${command}`);
  }
  await page.locator('#keys button[data-key="f"]').focus();
}

async function open(file) {
  await session.page.setInputFiles('#open', file);
  await session.page.waitForFunction(() => document.getElementById('open').value === '');
}

// Files dropped on the page one right after another, as [name, path] pairs; resolves once every
// open has ended.
async function drop(...files) {
  const { page } = session;
  const transfers = await page.evaluateHandle((list) => list.map(([name, base64]) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name));
    return transfer;
  }), files.map(([name, file]) => [name, fs.readFileSync(file).toString('base64')]));
  await page.evaluate((list) => {
    for (const dataTransfer of list)
      document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer,
                                                                           bubbles: true }));
  }, transfers);
  await page.waitForSelector('body[data-opening="0"]');
}

// The session's page and browser, for tests to use as if they were.
const standIn = (name) => new Proxy({}, { get: (_, key) => {
  const value = session[name][key];
  return typeof value === 'function' ? value.bind(session[name]) : value;
} });

const chartDone = () => session.page.waitForSelector('#chart[data-state="done"]');

module.exports = { ...driver, session, page: standIn('page'), browser: standIn('browser'),
                   sample, picture, floats, native, labTool, model, modelKey, digest, digestOf,
                   assertShows, state, waitForCoefficients, start, byHand, open,
                   drop, chartDone };
