// The web page opened from disk in headless chromium, held to the desktop viewer's own logic
// (viewer_replay, a native build of it): the status line and the coefficients, bit for bit, after
// key sequences in every mode and pictures opened through #open; refused files; the signed view
// and the readout; keep-the-largest; the chart against the native numbers (lab_tool); links
// replayed; both saves read back. test_window.py holds the canvas to the real window.
'use strict';
const assert = require('assert');
const { execFileSync, spawnSync } = require('child_process');
const { createHash } = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { after, before, test } = require('node:test');
const { N, openPage, loadPage, canvasGrey, coefficients, text } = require('../../web/driver');

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orlinde-web-'));
const sample = (name) => path.join(__dirname, '..', '..', 'samples', `${name}.tga`);
const picture = (name) => path.join(work, name);
const floats = (bytes) => new Float32Array(bytes.buffer, bytes.byteOffset, N * N);
const f = Math.fround;
// The nearest byte, ties to the even one, as the views round a grey level.
const byte = (grey) => (grey % 1 === 0.5 ? 2 * Math.round(grey / 2) : Math.round(grey));
// The array's entry shown at canvas pixel i, the canvas's top row first.
const topFirst = (i) => (N - 1 - Math.floor(i / N)) * N + i % N;
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

// With the undo history, the link and the chart: all that a refused file must leave.
async function everything() {
  return [...await state(), await page.evaluate(() => location.hash),
          await page.isDisabled('#undo'), await text(page, 'chart-table')];
}

const chartDone = () => page.waitForSelector('#chart[data-state="done"]');

// Opening a sample starts afresh, as the desktop starts; the keys then go to the page.
async function start(name, keys) {
  await page.selectOption('#sample', name);
  await page.evaluate(() => document.activeElement.blur());
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
  assert.strictEqual(await text(page, 'picture-name'),
                     'Shown: grey.tga, a 512 × 512 grey TGA file taken as is.');
  await open(picture('colour.png'));
  await assertShows(native(picture('colour.tga'), ''), 'colour.png, its centred square');
  await open(picture('portrait.png'));
  await assertShows(native(picture('portrait.tga'), ''), 'portrait.png, its centred square');
  assert.strictEqual(await text(page, 'picture-name'), 'Shown: portrait.png (512 × 700, cut to ' +
                     'its centred 512 × 512 square, turned grey).');
  await open(picture('blocks.png'));
  const shown = floats(await coefficients(page));
  const expected = floats(native(picture('blocks.tga'), '').coefficients);
  // Halved, the blocks' insides come out the same whatever the scaling filter; their edges not.
  const inside = (i) => [i % N, Math.floor(i / N)].every((x) => x % 32 >= 2 && x % 32 < 30);
  assert.ok(shown.every((v, i) => !inside(i) || Object.is(v, expected[i])), 'blocks.png inside');
  assert.strictEqual(await text(page, 'picture-name'), 'Shown: blocks.png (1280 × 1024, cut to ' +
                     'its centred 1024 × 1024 square, scaled to 512 × 512, turned grey).');
  // A file dropped anywhere on the page opens as one chosen.
  const bytes = fs.readFileSync(picture('grey.tga')).toString('base64');
  const dataTransfer = await page.evaluateHandle((base64) => {
    const transfer = new DataTransfer();
    const file = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    transfer.items.add(new File([file], 'dropped.tga'));
    return transfer;
  }, bytes);
  await page.dispatchEvent('main', 'drop', { dataTransfer });
  await page.waitForFunction(() => /dropped/.test(document.getElementById('picture-name').textContent));
  await assertShows(native(picture('grey.tga'), ''), 'grey.tga dropped');
});

test('a refused file leaves its message and changes nothing', async () => {
  await start('testcard', 'NfBB');
  await chartDone();
  const before = await everything();
  const refusals = {
    // The reader's own message.
    'palette.tga': native(picture('palette.tga'), '').message,
    'broken.png': 'Orlinde: the browser cannot decode broken.png as a PNG picture.',
    // Told from the header alone: the file holds nothing else.
    'huge.png': 'Orlinde: huge.png is 30000 × 30000 pixels, more than 100 megapixels.',
  };
  for (const [name, message] of Object.entries(refusals)) {
    await open(picture(name));
    assert.strictEqual(await text(page, 'message'), message, name);
    assert.deepStrictEqual(await everything(), before, `after ${name}`);
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
  const signed = (v) => byte(f(Math.min(Math.max(f(0.5 + f(0.5 * f(v * 3))), 0), 1) * 255));
  const expected = Buffer.from(values.map((_, i) => signed(values[topFirst(i)])));
  assert.ok((await canvasGrey(page)).equals(expected), 'signed grey bytes');
  await page.uncheck('#signed');
  assert.deepStrictEqual(await state(), plain, 'the plain view again, the coefficients untouched');
  // The readout names the coefficient under the pointer, also once a key has changed it.
  await page.hover('#picture', { position: { x: 300.5, y: 100.5 } });
  await page.keyboard.press('R');
  const readout = await text(page, 'readout');
  assert.match(readout, /^row 411, column 300: \S+ — not transformed yet$/);
  const value = floats(await coefficients(page))[411 * N + 300];
  assert.strictEqual(Math.fround(Number(readout.split(/: | /)[4])), value, readout);
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
  const nonZero = order.slice(0, m).filter((i) => decomposed[i] !== 0).length;
  assert.strictEqual(await text(page, 'kept'),
                     `Kept ${m} coefficients, ${nonZero} of them not 0.`);
  assert.ok((await coefficients(page)).equals(Buffer.from(kept.buffer)), 'kept coefficients');
  // Half of an array that is mostly 0 now: the zeros count in the budget, not among the non-zero.
  await page.fill('#keep', '50');
  await page.click('#compress');
  assert.strictEqual(await text(page, 'kept'), `Kept ${N * N / 2} coefficients, ` +
                     `${kept.filter((v) => v !== 0).length} of them not 0.`);
  assert.ok((await coefficients(page)).equals(Buffer.from(kept.buffer)), 'the same values');
  await page.keyboard.press('R');
  const restored = floats(await coefficients(page));
  const sum = restored.reduce((total, v, i) => total + (v - original[i]) ** 2, 0);
  assert.strictEqual(await text(page, 'psnr'), `${(10 * Math.log10(N * N / sum)).toFixed(2)} dB`);
});

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
                    'grid-text', 'view'])
    assert.ok(await page.locator(`#${id}`).evaluate((e) => e.labels.length > 0), `#${id} label`);
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
  await page.selectOption('#mode', 'numbers');
  await page.check('#signed');
  worst = await lowest();
  assert.ok(worst.ratio >= 4.5, `numbers mode: ${JSON.stringify(worst)}`);
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

test('letters are commands only outside fields and lists; Space and Enter stay the browser\'s',
     async () => {
  await start('testcard', '');
  const expect = async (keys, what) =>
    assertShows(native(sample('testcard'), keys), `${what}: as after "${keys}"`);
  // A ticked box and a pressed button keep the focus; Space and Enter then act on them alone.
  await page.locator('#signed').focus();
  await page.keyboard.press('Space');
  assert.ok(await page.isChecked('#signed'), 'Space ticks the focused box');
  await page.keyboard.press('f');
  await expect('f', 'f with the box focused');
  await page.locator('#keys button[data-key="f"]').focus();
  await page.keyboard.press('Enter');
  await expect('ff', 'Enter on the focused f button: one pass');
  await page.keyboard.press('Space');
  await expect('fff', 'Space on it: one more');
  await page.uncheck('#signed');
  // Typed into a field or a list, or with Ctrl, Alt or Meta: not a command.
  await page.locator('#keep').focus();
  await page.keyboard.type('N');
  await page.locator('#mode').focus();
  await page.keyboard.press('s');
  await page.locator('#keys button[data-key="f"]').focus();
  for (const chord of ['Control+b', 'Alt+B', 'Meta+N'])
    await page.keyboard.press(chord);
  await expect('fff', 'letters in fields, lists and with modifiers');
  // A list chosen from with the mouse gives the keys back.
  await page.locator('#sample').focus();
  await page.dispatchEvent('#sample', 'pointerdown');
  await page.selectOption('#sample', 'testcard');
  await page.keyboard.press('s');
  await expect('s', 'the sample chosen anew, then s');
  // Enter in the percentage box keeps the largest, as the button does.
  await page.fill('#keep', '50');
  await page.press('#keep', 'Enter');
  assert.match(await text(page, 'kept'), /^Kept \d+ coefficients, /);
});

test('a phone shows the picture, scaled, and the step buttons together', async () => {
  const layout = async (viewport, isMobile) => {
    const phone = await loadPage(browser, process.env.ORLINDE_WEB_PAGE,
                                 { viewport, isMobile, hasTouch: isMobile });
    const seen = await phone.evaluate(() => {
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
    return { context: phone.context(), phone, seen };
  };
  for (const [width, height] of [[390, 844], [844, 390]]) {
    const { context, phone, seen } = await layout({ width, height }, true);
    const what = `${width} × ${height}: ${JSON.stringify(seen)}`;
    assert.ok(!seen.scrolls && seen.together && seen.side < N, what);
    if (width === 390) {
      assert.ok(seen.statusLines > 1, `the status line wraps: ${what}`);
      // A tap reads the entry under the finger through the picture's scaling.
      await phone.tap('#picture', { position: { x: 200, y: 100 } });
      const [row, column] = [N - 1 - Math.floor(100 * N / seen.side),
                             Math.floor(200 * N / seen.side)];
      assert.match(await text(phone, 'readout'), new RegExp(`^row ${row}, column ${column}: `));
    }
    // The largest matrix, its details long decimals: every number whole, the buttons in view.
    await phone.selectOption('#mode', 'numbers');
    await phone.selectOption('#grid-size', '16');
    for (const key of 'NF')
      await phone.click(`#keys button[data-key="${key}"]`);
    const grid = await phone.evaluate(() => {
      const keys = document.getElementById('keys').getBoundingClientRect();
      return { keys: keys.top >= 0 && keys.bottom <= innerHeight,
               cut: [...document.querySelectorAll('#grid input')]
                 .filter((cell) => cell.scrollWidth > cell.clientWidth).length,
               scrolls: document.documentElement.scrollWidth > innerWidth };
    });
    assert.deepStrictEqual(grid, { keys: true, cut: 0, scrolls: false }, `numbers mode, ${what}`);
    await context.close();
  }
  const { context, seen } = await layout({ width: 560, height: 640 }, false);
  assert.strictEqual(seen.side, N, 'one to one from 560 × 640');
  await context.close();
});

// The independent model of the pass log and of a matrix's transform (lab_model.py).
function model(what, keys, input) {
  const run = spawnSync('/usr/bin/python3', [path.join(__dirname, 'lab_model.py'), what, keys],
                        { input, maxBuffer: 64 * N * N,
                          env: { ...process.env, PYTHONPATH: path.join(__dirname, '..', 'wavelet') } });
  assert.strictEqual(run.status, 0, run.stderr.toString());
  return run.stdout;
}

// Deterministic key sequences from the command letters.
function randomKeys(seed, length) {
  let state = seed;
  let keys = '';
  for (let i = 0; i < length; ++i) {
    state = (state * 1103515245 + 12345) % 2147483648;
    keys += 'FfRrNSff'[state % 8];
  }
  return keys;
}

test('#where counts the levels in effect and #warning speaks exactly when a step would go wrong',
     async () => {
  const sequences = ['fR', 'FrR', 'FsR', 'NFN', 'fF', 'FrRrR', 'SfffNRr', 'ffNrr',
                     ...[1, 2, 3, 4].map((seed) => randomKeys(seed, 14))];
  for (const keys of sequences) {
    await start('testcard', '');
    const expected = JSON.parse(model('levels', keys));
    for (let i = 0; i < keys.length; ++i) {
      await page.keyboard.press(keys[i]);
      const shown = await page.evaluate(() => {
        const where = document.getElementById('where');
        return [Number(where.dataset.rowLevels), Number(where.dataset.columnLevels),
                document.getElementById('warning').textContent === ''];
      });
      assert.deepStrictEqual(shown, expected[i], `"${keys.slice(0, i + 1)}"`);
    }
  }
});

test('undo takes back each command bit for bit, redo makes it again', async () => {
  await start('testcard', '');
  assert.ok(await page.isDisabled('#undo'), 'a picture opens with no history');
  const whole = async () => [...await state(), await text(page, 'where'),
                             await text(page, 'warning'), await page.inputValue('#scale')];
  const commands = [
    ...'fNfSBFr'.split('').map((key) => () => page.keyboard.press(key)),
    async () => { await page.fill('#keep', '5'); await page.click('#compress'); },
    async () => { await page.fill('#scale', '37.5'); await page.press('#scale', 'Enter'); },
    () => page.click('#auto'),
    () => page.click('#reset'),
    () => page.keyboard.press('n'),
  ];
  for (const [i, run] of commands.entries()) {
    const before = await whole();
    await run();
    const after = await whole();
    assert.notDeepStrictEqual(after, before, `command ${i} changes something`);
    await page.locator('#keys button[data-key="f"]').focus();
    await page.keyboard.press('Control+z');
    assert.deepStrictEqual(await whole(), before, `command ${i} undone`);
    await page.keyboard.press(i % 2 ? 'Control+y' : 'Control+Shift+Z');
    assert.deepStrictEqual(await whole(), after, `command ${i} redone`);
  }
  // A command that changes nothing leaves nothing to undo; in a text field Ctrl+Z is its own.
  await start('testcard', 'b');
  assert.ok(await page.isDisabled('#undo'), 'b at scale 1');
  const before = await whole();
  await page.keyboard.press('f');
  await page.locator('#keep').focus();
  await page.keyboard.press('Control+z');
  assert.notDeepStrictEqual(await whole(), before, 'Ctrl+Z in the percentage box');
  await page.click('#undo');
  assert.deepStrictEqual(await whole(), before, '#undo');
});

test('#blocks outlines the blocks over the picture, whose pixels stay; the readout names them',
     async () => {
  await start('testcard', 'ff');
  const pixels = await canvasGrey(page);
  await page.check('#blocks');
  assert.ok((await canvasGrey(page)).equals(pixels), '#picture unchanged');
  const geometry = await page.evaluate(() => {
    const overlay = document.getElementById('overlay');
    const alpha = (x, y) => overlay.getContext('2d').getImageData(x, y, 1, 1).data[3];
    const [a, b] = ['overlay', 'picture'].map((id) =>
      JSON.stringify(document.getElementById(id).getBoundingClientRect()));
    // One level: the outlines split the picture in four at its middle.
    return { same: a === b, onEdge: alpha(256, 100) > 0 && alpha(100, 256) > 0,
             inside: alpha(128, 100) + alpha(400, 400) };
  });
  assert.deepStrictEqual(geometry, { same: true, onEdge: true, inside: 0 });
  // Through the overlay to the picture; its top row is the array's last.
  const names = [[100, 400, 'average'], [400, 400, 'level 1 row detail (vertical edges)'],
                 [100, 100, 'level 1 column detail (horizontal edges)'],
                 [400, 100, 'level 1 diagonal detail']];
  for (const [x, y, name] of names) {
    await page.hover('#picture', { position: { x, y } });
    assert.strictEqual((await text(page, 'readout')).split(' — ')[1], name, `at ${x}, ${y}`);
  }
  await page.uncheck('#blocks');
  assert.ok(await page.evaluate(() => {
    const overlay = document.getElementById('overlay');
    return overlay.getContext('2d').getImageData(0, 0, overlay.width, overlay.height).data
      .every((v) => v === 0);
  }), 'unticked, no outline');
});

test('a typed scale, the automatic one, and refusals', async () => {
  await start('testcard', '');
  await page.fill('#scale', '37.5');
  await page.press('#scale', 'Enter');
  assert.match(await text(page, 'status'), / {6}Scale \(37\.500000\)$/);
  for (const bad of ['0', '-2', '', '1e39', '1e-50']) {
    await page.fill('#scale', bad);
    await page.press('#scale', 'Enter');
    assert.match(await text(page, 'status'), /Scale \(37\.500000\)$/, `"${bad}" refused`);
    assert.match(await text(page, 'message'), /^The scale must be a positive number that a 32-bit/);
  }
  await page.click('#auto');
  assert.strictEqual(await page.inputValue('#scale'), '1', 'nothing decomposed: 1');
  await page.keyboard.press('F');
  await page.click('#auto');
  const scale = Number(await page.inputValue('#scale'));
  // The 99th percentile of the details' magnitudes shows as full white.
  const details = floats(await coefficients(page)).map(Math.abs).filter((_, i) => i !== 0).sort();
  const percentile = details[Math.ceil(0.99 * details.length) - 1];
  assert.ok(Math.abs(scale * percentile - 1) < 1e-3, `${scale} × ${percentile}`);
});

test('numbers mode: every cell the transform of its matrix, bit for bit; edits, pasting, undo',
     async () => {
  await start('testcard', 'f');
  const picture = await state();
  await page.selectOption('#mode', 'numbers');
  await page.evaluate(() => document.activeElement.blur());
  // The grid as written, row 0 on top, each cell read back as a 32-bit float.
  const cells = () => page.$$eval('#grid tbody tr', (rows) =>
    rows.map((row) => [...row.querySelectorAll('input')].map((input) => input.value)));
  const asFloats = (grid) => Float32Array.from(grid.flat(), Number);
  const start8 = await page.inputValue('#grid-text');
  assert.strictEqual((await cells()).length, 8);
  const keys = 'fNffSfBRnFr';
  const expected = model('numbers', keys, start8);
  for (let i = 0; i < keys.length; ++i) {
    await page.keyboard.press(keys[i]);
    const grid = await cells();
    const want = expected.subarray(4 * 64 * i, 4 * 64 * (i + 1));
    assert.ok(Buffer.from(asFloats(grid).buffer).equals(want), `cells after "${keys.slice(0, i + 1)}"`);
    assert.ok((await coefficients(page)).equals(want), `array after "${keys.slice(0, i + 1)}"`);
    assert.strictEqual(await page.inputValue('#grid-text'),
                       grid.map((r) => `${r.join(' ')}\n`).join(''), 'the matrix as text');
  }
  // A pasted matrix becomes the start; a malformed one is refused, naming where.
  await page.fill('#grid-text', '1\t2,3 4\n5 6 7 8\n9 10 11 12\n13 14 15 16');
  await page.click('#grid-set');
  assert.strictEqual(await page.inputValue('#grid-size'), '4');
  const pasted = await state();
  const malformed = '1 2 3 4\n5 6 x 8\n9 10 11 12\n13 14 15 16';
  await page.fill('#grid-text', malformed);
  await page.click('#grid-set');
  assert.match(await text(page, 'message'), /^Row 2, column 3: /);
  assert.strictEqual(await page.inputValue('#grid-text'), malformed, 'left to be mended');
  assert.deepStrictEqual(await state(), pasted, 'a refused matrix changes nothing');
  // One detail changed and reconstructed: its basis function.
  await page.keyboard.type('F');
  await page.fill('#grid [aria-label="row 0, column 1"]', '0.5');
  await page.press('#grid [aria-label="row 0, column 1"]', 'Enter');
  const edited = await cells();
  assert.strictEqual(edited[0][1], '0.5');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.press('Control+z');
  assert.notStrictEqual((await cells())[0][1], '0.5', 'the edit undone');
  await page.fill('#grid [aria-label="row 2, column 2"]', '1,5');
  await page.press('#grid [aria-label="row 2, column 2"]', 'Enter');
  assert.match(await text(page, 'message'), /not a number/);
  // Each mode keeps its own state.
  const numbers = await state();
  await page.selectOption('#mode', 'picture');
  assert.deepStrictEqual(await state(), picture, 'the picture as it was left');
  await page.selectOption('#mode', 'numbers');
  assert.deepStrictEqual(await state(), numbers, 'the matrix as it was left');
  await page.selectOption('#mode', 'picture');
});

// What lab_tool makes of `args`, with `input` written to a file first when given.
function labTool(args, input) {
  const file = path.join(work, 'lab-tool.raw');
  if (input)
    fs.writeFileSync(file, input);
  const run = spawnSync(process.env.ORLINDE_LAB_TOOL, args.map((a) => (a === '@' ? file : a)),
                        { maxBuffer: 8 * N * N });
  assert.strictEqual(run.status, 0, run.stderr.toString());
  return run.stdout;
}

test('#chart-table holds the native rate–distortion numbers of the picture as opened', async () => {
  // The chart is made anew for each picture; it does not follow the keys.
  for (const opening of [() => start('scene', 'NF'), () => open(picture('portrait.png'))]) {
    await opening();
    await chartDone();
    await page.click('#reset');
    const expected = labTool(['rd', String(N), '@'], await coefficients(page)).toString()
      .trim().split('\n').map((line) => line.split(' ').map(Number));
    const rows = await page.$$eval('#chart-table tbody tr', (trs) =>
      trs.map((tr) => [...tr.cells].map((cell) => cell.textContent)));
    assert.strictEqual(rows.length, expected.length);
    for (const [i, [share, ...psnrs]] of expected.entries()) {
      assert.strictEqual(Number(rows[i][0]), share, `row ${i}`);
      psnrs.forEach((want, mode) => {
        const got = rows[i][mode + 1];
        const what = `${share} %, mode ${mode}: ${got}, native ${want}`;
        if (want === Infinity)
          assert.strictEqual(got, '∞', what);
        else
          assert.ok(/^\d+\.\d\d$/.test(got) && Math.abs(Number(got) - want) <= 0.005 + 1e-9, what);
      });
    }
  }
  for (const share of ['0.1', '0.2', '0.5', '1', '2', '5', '10', '20', '50', '100'])
    assert.ok(await page.locator('#chart-table tbody th', { hasText: new RegExp(`^${share}$`) })
      .count() === 1, `a row for ${share} %`);
});

// Deterministic command lists in the link's words, from every kind of command.
function randomCommands(seed, length) {
  const kinds = [...'FfRrNnSsBb', 'keep:', 'scale:', 'auto', 'reset'];
  let state = seed;
  const next = (top) => {
    state = (state * 1103515245 + 12345) % 2147483648;
    return (state >> 8) % top;
  };
  return Array.from({ length }, () => {
    const kind = kinds[next(kinds.length)];
    if (kind === 'keep:')
      return `keep:${[0.5, 2, 5, 12.5, 50][next(5)]}`;
    return kind === 'scale:' ? `scale:${[0.5, 3, 7.25][next(3)]}` : kind;
  });
}

// Runs one command through the page's own controls, as a person would.
async function byHand(command) {
  const [name, value] = command.split(':');
  if (command.length === 1) {
    await page.keyboard.press(command);
  } else if (name === 'keep') {
    await page.fill('#keep', value);
    await page.click('#compress');
  } else if (name === 'scale') {
    await page.fill('#scale', value);
    await page.press('#scale', 'Enter');
  } else {
    await page.click(`#${command}`);
  }
  await page.locator('#keys button[data-key="f"]').focus();
}

test('the link replays the state bit for bit, from file:// and when the fragment changes',
     async () => {
  for (const seed of [1, 2, 3]) {
    const commands = randomCommands(seed, 12);
    await start(seed === 2 ? 'scene' : 'testcard', '');
    for (const command of commands)
      await byHand(command);
    await page.check('#signed');
    await page.selectOption('#view', 'difference');
    const hash = await page.evaluate(() => location.hash);
    assert.match(hash, /^#sample=(testcard|scene)&do=[^%]*&signed=1&view=difference$/,
                 'plain text: no percent-encoding');
    const expected = await state();
    const fresh = await loadPage(browser, process.env.ORLINDE_WEB_PAGE, {}, hash.slice(1));
    const shown = [await text(fresh, 'status'), await coefficients(fresh),
                   await fresh.inputValue('#view'), await fresh.isChecked('#signed')];
    assert.strictEqual(shown[0], expected[0], `${commands}: status`);
    assert.ok(shown[1].equals(await coefficients(page)), `${commands}: coefficients`);
    assert.deepStrictEqual(shown.slice(2), ['difference', true], `${commands}: view, signed`);
    assert.strictEqual(await fresh.evaluate(() => location.hash), hash, 'the address stays');
    await fresh.close();
    await page.uncheck('#signed');
    await page.selectOption('#view', 'coefficients');
  }
  // Undo takes the last command off the link, redo puts it back; no history entries are added.
  await start('testcard', 'NF');
  const entries = await page.evaluate(() => history.length);
  const link = () => page.evaluate(() => location.hash);
  assert.strictEqual(await link(), '#sample=testcard&do=N,F');
  await page.click('#undo');
  assert.strictEqual(await link(), '#sample=testcard&do=N');
  await page.click('#redo');
  assert.strictEqual(await link(), '#sample=testcard&do=N,F');
  assert.strictEqual(await page.evaluate(() => history.length), entries);
  // A fragment changed on the open page replays; what makes no sense is named and ignored.
  await page.evaluate(() => { location.hash = 'sample=scene&do=S,F,zap,keep:5&view=sideways'; });
  await page.waitForFunction(() => /zap/.test(document.getElementById('message').textContent));
  assert.match(await text(page, 'message'), /“do: zap”/);
  assert.match(await text(page, 'message'), /view=sideways/);
  assert.strictEqual(await text(page, 'kept'), 'Kept 13108 coefficients, 13108 of them not 0.');
  const want = await state();
  await start('scene', 'SF');
  await page.fill('#keep', '5');
  await page.click('#compress');
  assert.deepStrictEqual(await state(), want, 'the changed fragment, replayed');
  // An opened file cannot travel: the link says so, and replays on the test card.
  await open(picture('grey.tga'));
  await page.keyboard.type('fB');
  assert.strictEqual(await link(), '#do=f,B');
  assert.match(await text(page, 'link-note'), /commands but not the picture/);
  const elsewhere = await loadPage(browser, process.env.ORLINDE_WEB_PAGE, {}, 'do=f,B');
  assert.match(await text(elsewhere, 'message'), /test card/);
  assert.ok((await coefficients(elsewhere)).equals(native(sample('testcard'), 'fB').coefficients));
  await elsewhere.close();
  // Numbers mode carries its matrix and its edits.
  await page.selectOption('#mode', 'numbers');
  await page.fill('#grid-text', '1 2 3 4\n5 6 7 8\n9 10 11 12\n13 14 15 -16.5');
  await page.click('#grid-set');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.type('Nf');
  await page.fill('#grid [aria-label="row 1, column 2"]', '0.25');
  await page.press('#grid [aria-label="row 1, column 2"]', 'Enter');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.type('F');
  const numbersLink = await link();
  assert.match(numbersLink, /mode=numbers/);
  const again = await loadPage(browser, process.env.ORLINDE_WEB_PAGE, {}, numbersLink.slice(1));
  assert.ok((await coefficients(again)).equals(await coefficients(page)), numbersLink);
  await again.close();
  await page.selectOption('#mode', 'picture');
});

test('#view shows the picture as opened, the difference and what was kept', async () => {
  await start('testcard', 'F');
  await page.fill('#keep', '5');
  await page.click('#compress');
  await page.selectOption('#view', 'kept');
  const kept = await canvasGrey(page);
  const values = floats(await coefficients(page));
  const m = Math.ceil(0.05 * N * N);
  assert.strictEqual(kept.filter((v) => v === 255).length, m, 'white exactly where kept');
  assert.ok(kept.every((v, i) => v === 255 || (v === 0 && values[topFirst(i)] === 0)),
            'black elsewhere, where the values are now 0');
  assert.strictEqual(await text(page, 'view-note'), '');
  // The keys work in every view; once the passes differ the kept view cannot show.
  await page.keyboard.press('R');
  assert.ok((await canvasGrey(page)).every((v) => v === 0), 'all black');
  assert.match(await text(page, 'view-note'), /^Nothing to show/);
  await page.selectOption('#view', 'opened');
  const start0 = await canvasGrey(page);
  await page.selectOption('#sample', 'testcard');
  await page.selectOption('#view', 'coefficients');
  assert.ok((await canvasGrey(page)).equals(start0), 'the picture as opened');
  await page.selectOption('#view', 'difference');
  assert.ok((await canvasGrey(page)).every((v) => v === 128), 'no difference: mid grey');
  await page.selectOption('#view', 'coefficients');
});

test('#save-png gives the canvas\'s grey, #save-tga the clamped array for the desktop', async () => {
  // Reconstructed in the other arrangement, values fall outside [0, 1] on both sides.
  await start('scene', 'FSRBB');
  await page.check('#signed');
  await page.selectOption('#view', 'difference');
  const save = async (id) => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click(`#${id}`)]);
    const file = path.join(work, download.suggestedFilename());
    await download.saveAs(file);
    return file;
  };
  const png = await save('save-png');
  assert.match(path.basename(png), /^orlinde-scene-difference\.png$/);
  const decoded = spawnSync('/usr/bin/python3', ['-c',
    'import sys; from PIL import Image; im = Image.open(sys.argv[1]); ' +
    'assert im.mode == "L" and im.size == (512, 512), (im.mode, im.size); ' +
    'sys.stdout.buffer.write(im.tobytes())', png], { maxBuffer: 2 * N * N });
  assert.strictEqual(decoded.status, 0, decoded.stderr.toString());
  assert.ok(decoded.stdout.equals(await canvasGrey(page)), 'PNG = canvas grey');
  // The array itself, whatever the view and the scale, as the plain view at scale 1 shows it.
  const tga = await save('save-tga');
  const rgba = labTool(['rgba', tga]);
  const header = rgba.subarray(0, rgba.indexOf(10)).toString();
  assert.strictEqual(header, `${N} ${N}`);
  const pixels = rgba.subarray(header.length + 1);
  const values = floats(await coefficients(page));
  const clamped = (v) => (v > 0 ? byte(f(Math.min(v, 1) * 255)) : 0);
  assert.ok(values.some((v) => v < 0) && values.some((v) => v > 1), 'both clamps at work');
  for (let i = 0; i < N * N; ++i) {
    const want = clamped(values[topFirst(i)]);
    if (pixels[4 * i] !== want || pixels[4 * i + 3] !== 255)
      assert.fail(`TGA pixel ${i}: ${pixels.subarray(4 * i, 4 * i + 4)}, want ${want}`);
  }
  // The desktop program opens it.
  assert.ok(native(tga, '').coefficients, 'the desktop takes the saved file');
  await page.uncheck('#signed');
  await page.selectOption('#view', 'coefficients');
});

test('pictures are known by their content; transparency is laid on white; the later open wins',
     async () => {
  const taken = async (name, expected, note) => {
    await open(picture(name));
    assert.strictEqual(await text(page, 'message'), '', name);
    if (expected)
      assert.ok((await coefficients(page)).equals(native(picture(expected), '').coefficients),
                `${name} as ${expected}`);
    if (note)
      assert.strictEqual(await text(page, 'picture-name'), `Shown: ${name} (${note}).`);
  };
  await taken('colour-png.tga', 'colour.tga', '600 × 512, cut to its centred 512 × 512 square, ' +
              'turned grey');
  await taken('grey-tga', 'grey.tga');
  assert.strictEqual(await text(page, 'picture-name'),
                     'Shown: grey-tga, a 512 × 512 grey TGA file taken as is.');
  await taken('grey-alpha.png', 'grey.tga', '512 × 512, already grey');
  await taken('colour512.tga', 'colour.tga', 'a TGA file, 512 × 512, turned grey');
  await taken('small.tga', null, 'a TGA file, 256 × 256, scaled to 512 × 512, already grey');
  await taken('drawing.svg', null, 'an SVG drawn at its own size, 800 × 400, cut to its ' +
              'centred 400 × 400 square, scaled to 512 × 512, already grey');
  const drawing = await canvasGrey(page);
  assert.deepStrictEqual([drawing[100 * N + 10], drawing[100 * N + 500]], [0, 255]);
  await taken('sizeless.svg', null, 'an SVG without a size of its own, drawn at 512 × 512, ' +
              'already grey');
  // Transparent: white; half transparent: halfway to white; opaque: as it is.
  await taken('logo.png', null, '512 × 512, laid on white where transparent, already grey');
  const logo = await canvasGrey(page);
  const shown = (x) => logo[300 * N + x];
  const reference = spawnSync('/usr/bin/python3', ['-c',
    'import sys; from PIL import Image; sys.stdout.buffer.write(' +
    'Image.open(sys.argv[1]).convert("LA").tobytes())', picture('logo.png')]).stdout;
  assert.strictEqual(reference.length, 2 * N * N);
  for (const x of [5, 100, 200, 300, 400, 500]) {
    const [grey, alpha] = reference.subarray(2 * (300 * N + x), 2 * (300 * N + x) + 2);
    const want = (grey * alpha + 255 * (255 - alpha)) / 255;
    assert.ok(Math.abs(shown(x) - want) <= 1, `x ${x}: ${shown(x)}, want ${want}`);
  }
  // Two opens in quick succession: the later one is shown, even when the first decodes longer.
  const files = await page.evaluateHandle(async ([a, b]) => [a, b].map(([name, base64]) =>
    new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name)),
  [['blocks.png', fs.readFileSync(picture('blocks.png')).toString('base64')],
   ['second.tga', fs.readFileSync(picture('grey.tga')).toString('base64')]]);
  await page.evaluate((both) => {
    for (const file of both) {
      const transfer = new DataTransfer();
      transfer.items.add(file);
      document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer,
                                                                           bubbles: true,
                                                                           cancelable: true }));
    }
  }, files);
  await page.waitForSelector('body[data-opening="0"]');
  assert.match(await text(page, 'picture-name'), /second\.tga/);
  assert.ok((await coefficients(page)).equals(native(picture('grey.tga'), '').coefficients));
  // A decode that takes its time shows that the page is working, and only while it does.
  const slowly = await page.evaluateHandle(() => {
    const decode = window.createImageBitmap;
    window.createImageBitmap = (...args) =>
      new Promise((resolve) => setTimeout(() => resolve(decode(...args)), 400));
    return decode;
  });
  await page.setInputFiles('#open', picture('colour.png'));
  await page.waitForSelector('#busy:not([hidden])');
  assert.strictEqual(await text(page, 'busy'), 'Opening colour.png…');
  await page.waitForSelector('body[data-opening="0"]');
  assert.ok(await page.isHidden('#busy'));
  assert.match(await text(page, 'picture-name'), /^Shown: colour\.png /);
  await page.evaluate((decode) => { window.createImageBitmap = decode; }, slowly);
});
