// What the page shows beside the desktop's picture: the signed view and the readout, keep the
// largest and the PSNR, the block outlines, a typed scale, the other views, and both saves;
// numbers mode: a small matrix, each cell the transform of its matrix bit for bit, held to the
// independent model (lab_model.py), edits, pasting and undo; and what needs a real layout: every
// control named, every text at 4.5:1 or more (the matrix's cells in every grey among them), a
// phone's screen, and a browser without WebAssembly.
'use strict';
const assert = require('assert');
const path = require('path');
const { spawnSync } = require('child_process');
const { test } = require('node:test');
const { N, VIEWPORT, page, browser, picture, floats, native, model, modelKey, state, start, byHand,
        text, coefficients, canvasGrey, loadPage } = require('./page_session');

test('the signed view and the readout, which the window does not have', async () => {
  await start('testcard', 'FBB');
  const plain = await state();
  // What the signed view draws the core's own tests hold; the canvas's rows, test_window.py.
  await page.check('#signed');
  assert.notDeepStrictEqual(await state(), plain, 'signed');
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

test('keep the largest says what it kept; the PSNR shows the cost', async () => {
  // Which values the core keeps (ties, the budget) its own tests hold; here, what the page says.
  await start('testcard', '');
  assert.strictEqual(await text(page, 'psnr'), 'PSNR (peak 1) against the start: ∞');
  await page.keyboard.type('NF');
  await byHand('keep:5');
  const kept = floats(await coefficients(page));
  assert.ok((await text(page, 'kept')).startsWith(`Kept ${Math.ceil(0.05 * N * N)} coefficients, ` +
                                                  `${kept.filter((v) => v !== 0).length} of them not 0.\n`));
  // The PSNR is the core's, held to its definition there.
  assert.strictEqual(await text(page, 'psnr'), 'PSNR (peak 1) against the start: (reconstruct fully to compare)');
  await page.keyboard.press('R');
  assert.match(await text(page, 'psnr'), /^PSNR \(peak 1\) against the start: \d+\.\d\d dB$/);
});

test('#blocks outlines the blocks over the picture, whose pixels stay; the readout names them',
     async () => {
  await start('testcard', 'f');
  const pixels = await state();
  await page.check('#blocks');
  assert.deepStrictEqual(await state(), pixels, '#picture unchanged');
  // Where the outlines cross the middle lines, and whether any lies in a quarter's inside.
  const lines = () => page.evaluate(() => {
    const overlay = document.getElementById('overlay');
    const alpha = (x, y) => overlay.getContext('2d').getImageData(x, y, 1, 1).data[3] > 0;
    const [a, b] = ['overlay', 'picture'].map((id) =>
      JSON.stringify(document.getElementById(id).getBoundingClientRect()));
    return { same: a === b, vertical: alpha(256, 100), level: alpha(100, 256),
             inside: alpha(128, 100) || alpha(400, 400) };
  });
  // A row pass splits the picture by a vertical line; the column pass then by a level one.
  assert.deepStrictEqual(await lines(),
                         { same: true, vertical: true, level: false, inside: false });
  await page.keyboard.press('f');
  assert.deepStrictEqual(await lines(), { same: true, vertical: true, level: true, inside: false });
  // Through the overlay to the picture; its top row is the array's last.
  // The blocks' names are the core's (its own tests hold them), the point's entry array-geometry's.
  await page.hover('#picture', { position: { x: 400, y: 100 } });
  assert.match(await text(page, 'readout'), / — level 1 diagonal detail$/);
  await page.uncheck('#blocks');
  assert.deepStrictEqual(await lines(), { same: true, vertical: false, level: false, inside: false },
                         'unticked, no outline');
  // The same blocks for everyone: listed with their rows and columns, and named on the picture.
  assert.deepStrictEqual(await page.$$eval('#block-list li', (items) =>
    items.map((li) => [li.dataset.rows, li.dataset.columns, li.textContent])), [
    ['0-255', '0-255', 'average: rows 0–255, columns 0–255'],
    ['0-255', '256-511', 'level 1 row detail (vertical edges): rows 0–255, columns 256–511'],
    ['256-511', '0-255', 'level 1 column detail (horizontal edges): rows 256–511, columns 0–255'],
    ['256-511', '256-511', 'level 1 diagonal detail: rows 256–511, columns 256–511']]);
  await page.check('#labels');
  assert.deepStrictEqual((await page.$$eval('#labels-legend li', (items) =>
    items.map((li) => li.textContent))).sort(), ['A: average', 'D1: level 1 diagonal detail',
    'H1: level 1 column detail (horizontal edges)', 'V1: level 1 row detail (vertical edges)']);
  await page.uncheck('#labels');
  // The arrow keys move a cursor over the focused picture from its top left; up is the next row.
  await page.mouse.move(0, 0);
  await page.locator('#picture').focus();
  for (const key of ['ArrowRight', 'Shift+ArrowDown', 'ArrowUp'])
    await page.keyboard.press(key);
  const readout = await text(page, 'readout');
  assert.match(readout, /^row 496, column 0: \S+ — level 1 column detail \(horizontal edges\)$/);
  assert.strictEqual(Math.fround(Number(readout.split(/: | /)[4])),
                     floats(await coefficients(page))[496 * N], readout);
});

test('a typed scale, the automatic one, and refusals', async () => {
  await start('testcard', '');
  await byHand('scale:37.5');
  assert.match(await text(page, 'status'), / {6}Scale \(37\.500000\)$/);
  for (const bad of ['0', '-2', '', '1e39', '1e-50']) {
    await byHand(`scale:${bad}`);
    assert.match(await text(page, 'status'), /Scale \(37\.500000\)$/, `"${bad}" refused`);
    assert.match(await text(page, 'message'), /^The scale must be a positive number that a 32-bit/);
  }
  // A decimal comma is asked for again with a point, in either field, the refusal tied to it.
  const keptBefore = await text(page, 'kept');
  for (const field of ['keep', 'scale']) {
    await page.fill(`#${field}`, '1,5');
    await page.press(`#${field}`, 'Enter');
    assert.match(await text(page, 'message'), /^"1,5" has a comma: write .* with a point/);
    assert.deepStrictEqual(await page.$eval(`#${field}`, (e) =>
      [e.getAttribute('aria-invalid'), e.getAttribute('aria-describedby')]), ['true', 'message']);
  }
  await page.press('#scale', 'Escape');
  assert.strictEqual(await text(page, 'kept'), keptBefore, 'no keep made');
  assert.match(await text(page, 'status'), /Scale \(37\.500000\)$/);
  // The automatic scale is a switch; which scale shows the details best the core's own tests hold.
  const scale = async () => Math.fround(Number(await page.inputValue('#scale')));
  const pressed = () => page.getAttribute('#auto', 'aria-pressed');
  await page.click('#auto');
  assert.strictEqual(await pressed(), 'true');
  assert.strictEqual(await scale(), 1, 'nothing decomposed: 1');
  await page.keyboard.press('F');
  const followed = await scale();
  assert.ok(followed > 1, 'the details magnified, with no second click');
  await page.keyboard.press('B');
  assert.strictEqual(await pressed(), 'false', 'B turns it off');
  await page.keyboard.press('R');
  assert.strictEqual(await scale(), Math.fround(followed + 1), 'no longer follows');
  await page.click('#auto');
  assert.deepStrictEqual([await pressed(), await scale()], ['true', 1], 'on again, nothing decomposed');
  await byHand('scale:1');
  assert.strictEqual(await pressed(), 'false', 'a typed scale, even the one shown, turns it off');
});

test('#view shows the picture as opened, the difference and what was kept', async () => {
  // What each view draws the core's own tests hold; here, that the list picks it and says when
  // the kept view cannot show.
  await start('testcard', '');
  const opened = await canvasGrey(page);
  await page.keyboard.press('F');
  await byHand('keep:5');
  const shown = [];
  for (const view of ['coefficients', 'opened', 'difference', 'kept']) {
    await page.selectOption('#view', view);
    shown.push((await canvasGrey(page)).toString('base64'));
  }
  assert.strictEqual(new Set(shown).size, 4, 'four views');
  assert.strictEqual(shown[1], opened.toString('base64'), 'the picture as opened');
  assert.strictEqual(Buffer.from(shown[3], 'base64').filter((v) => v === 255).length,
                     Math.ceil(0.05 * N * N), 'white where kept');
  assert.strictEqual(await text(page, 'view-note'), '');
  await page.keyboard.press('R');
  assert.match(await text(page, 'view-note'), /^Nothing to show/);
  await page.selectOption('#view', 'coefficients');
});

test('#save-png gives the canvas\'s grey, #save-tga the clamped array for the desktop', async () => {
  // Reconstructed in the other arrangement, values fall outside [0, 1] on both sides.
  await start('scene', 'FSRBB');
  await page.check('#signed');
  await page.selectOption('#view', 'difference');
  const save = async (id) => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click(`#${id}`)]);
    const file = picture(download.suggestedFilename());
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
  // The array, clamped, as the desktop opens it: the core writes it and its own tests hold it.
  const tga = await save('save-tga');
  assert.strictEqual(path.basename(tga), 'orlinde-scene.tga');
  assert.ok(native(tga, '').coefficients, 'the desktop opens it');
  await page.uncheck('#signed');
  await page.selectOption('#view', 'coefficients');
});

test('numbers mode: every cell the transform of its matrix, bit for bit; edits, pasting, undo',
     async () => {
  await start('testcard', 'f');
  const pictureMode = await state();
  await page.selectOption('#mode', 'numbers');
  await page.evaluate(() => document.activeElement.blur());
  // The grid as written, row 0 on top, each cell read back as a 32-bit float.
  const cells = () => page.$$eval('#grid tbody tr', (rows) =>
    rows.map((row) => [...row.querySelectorAll('input')].map((input) => input.value)));
  const asFloats = (grid) => Float32Array.from(grid.flat(), Number);
  const start8 = await page.inputValue('#grid-text');
  // O: orthonormal chosen in #normalization.
  const keys = 'fNffSfBRnFrOfFsrN';
  const expected = model(keys, start8);
  for (let i = 0; i < keys.length; ++i) {
    await modelKey(keys[i]);
    const grid = await cells();
    const want = expected.subarray(4 * 64 * i, 4 * 64 * (i + 1));
    assert.ok(Buffer.from(asFloats(grid).buffer).equals(want), `cells after "${keys.slice(0, i + 1)}"`);
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
  assert.match(await text(page, 'message'), /^In row 1, column 2: /);
  assert.strictEqual(await page.inputValue('#grid-text'), malformed, 'left to be mended');
  assert.deepStrictEqual(await state(), pasted, 'a refused matrix changes nothing');
  // One detail changed and reconstructed: its basis function.
  await page.keyboard.type('F');
  await page.fill('#grid [aria-label="row 0, column 1"]', '0.5');
  await page.press('#grid [aria-label="row 0, column 1"]', 'Enter');
  const edited = await cells();
  assert.strictEqual(edited[0][1], '0.5');
  // Enter gives the keys back to the grid.
  assert.strictEqual(await page.evaluate(() => document.activeElement.id), 'grid');
  await page.keyboard.press('Control+z');
  assert.notStrictEqual((await cells())[0][1], '0.5', 'the edit undone');
  await page.fill('#grid [aria-label="row 2, column 2"]', '1,5');
  await page.press('#grid [aria-label="row 2, column 2"]', 'Enter');
  assert.match(await text(page, 'message'), /not a number/);
  assert.strictEqual(await page.getAttribute('#grid [aria-label="row 2, column 2"]',
                                             'aria-invalid'), 'true', 'the refusal tied to its cell');
  // Each mode keeps its own state.
  const numbers = await state();
  await page.selectOption('#mode', 'picture');
  assert.deepStrictEqual(await state(), pictureMode, 'the picture as it was left');
  await page.selectOption('#mode', 'numbers');
  assert.deepStrictEqual(await state(), numbers, 'the matrix as it was left');
  await page.selectOption('#mode', 'picture');
});

// Matrices made here, none of them in the repository: the PSNR's peak, the threshold's counts and
// energy, each held to its definition computed from the floats the page shows; W and the exports.
test('numbers mode: peaks, thresholds, the matrix of a pass and the exports', async () => {
  await page.selectOption('#mode', 'numbers');
  const asText = (rows) => rows.map((row) => row.join(' ')).join('\n');
  const paste = async (matrix) => {
    await page.fill('#grid-text', matrix);
    await page.click('#grid-set');
    assert.strictEqual(await text(page, 'message'), '', matrix);
    await page.evaluate(() => document.activeElement.blur());
  };
  const values = async () => Float64Array.from(floats(await coefficients(page)));
  const bytes8 = Array.from({ length: 8 }, (_, r) =>
    Array.from({ length: 8 }, (_, c) => (r * 37 + c * 91 + r * c * 13) % 256));
  // MATLAB's way of writing it.
  await paste(`[${bytes8.map((row) => row.join(' ')).join('; ')}]`);
  const start8 = await values();
  assert.deepStrictEqual(Array.from(start8), bytes8.flat());
  await page.keyboard.type('F');
  await page.fill('#keep', '10');
  await page.click('#compress');
  assert.strictEqual(await page.getAttribute('#kept', 'data-on'), 'coefficients');
  await page.keyboard.press('R');
  const rebuilt = await values();
  let squares = 0;
  rebuilt.forEach((v, i) => { squares += (v - start8[i]) ** 2; });
  const db = 10 * Math.log10(255 * 255 * 64 / squares);
  assert.strictEqual(await text(page, 'psnr'), `PSNR (peak 255) against the start: ${db.toFixed(2)} dB`);
  assert.strictEqual(await page.getAttribute('#psnr', 'data-peak'), '255');
  for (const [matrix, peak] of [[asText([[0, 0.5, 1, 0.25], [1, 1, 0, 0], [0, 0, 0, 0], [1, 1, 1, 1]]), '1'],
                                [asText([[1, -7.5, 3, 2], [1, 1, 0, 0], [0, 0, 0, 0], [6, 1, 1, 1]]), '7.5']]) {
    await paste(matrix);
    assert.strictEqual(await text(page, 'psnr'), `PSNR (peak ${peak}) against the start: ∞`);
    assert.strictEqual(await page.getAttribute('#psnr', 'data-peak'), peak);
  }
  await page.fill('#keep', '50');
  await page.click('#compress');
  assert.strictEqual(await page.getAttribute('#kept', 'data-on'), 'pixels');

  // A threshold: refused with nothing decomposed; then, on one pass of a NumPy matrix, hard and
  // soft, the averages untouched.
  await page.fill('#threshold', '20');
  await page.click('#threshold-apply');
  assert.match(await text(page, 'message'), /^Nothing is decomposed/);
  await paste(`np.array([${bytes8.map((row) => `[${row.join(', ')}]`).join(', ')}])`);
  await page.keyboard.type('f');
  const before = await values();
  const untouched = await state();
  await page.selectOption('#threshold-kind', 'soft');
  await page.fill('#threshold', '56.5');
  assert.deepStrictEqual(await state(), untouched, 'neither the kind nor the field applies it');
  await page.press('#threshold', 'Enter');
  await page.evaluate(() => document.activeElement.blur());
  const after = await values();
  let [zeroed, nonZeroBefore, nonZeroAfter, energyBefore, energyAfter] = [0, 0, 0, 0, 0];
  before.forEach((x, i) => {
    zeroed += x !== 0 && after[i] === 0;
    nonZeroBefore += x !== 0;
    nonZeroAfter += after[i] !== 0;
    energyBefore += x * x;
    energyAfter += after[i] * after[i];
  });
  // Of the 32 details of one row pass, 16 are at most 56.5 (4 of them equal to it).
  assert.strictEqual(zeroed, 16);
  const kept = await page.$eval('#kept', (p) => ({ ...p.dataset }));
  assert.deepStrictEqual(kept, { on: 'coefficients', count: String(zeroed),
                                 nonzeroBefore: String(nonZeroBefore), nonzeroAfter: String(nonZeroAfter),
                                 energy: kept.energy });
  assert.strictEqual(Number(kept.energy), energyAfter / energyBefore);
  assert.match(await page.evaluate(() => orlinde.link()), /do=f,thresh:soft:56\.5/);

  // W of the latest pass: f once more is a plain column pass over all 8 entries of every column.
  await page.keyboard.press('Control+z');
  await page.keyboard.type('f');
  const wRow = (i) => Array.from({ length: 8 }, (_, k) =>
    (k >> 1 !== i % 4 ? '0' : i < 4 || k % 2 === 0 ? '0.5' : '-0.5'));
  assert.strictEqual(await page.inputValue('#pass-matrix-text'),
                     Array.from({ length: 8 }, (_, i) => `${wRow(i).join(' ')}\n`).join(''));
  assert.match(await text(page, 'pass-matrix-caption'), /along the columns .* of columns 0 to 7 /);
  assert.strictEqual(await page.$$eval('#pass-matrix tbody tr', (rows) => rows.length), 8);
  // Each export holds the grid's numbers as the grid writes them.
  const grid = (await page.inputValue('#grid-text')).trim().split('\n').map((row) => row.split(' '));
  await page.selectOption('#export', 'csv');
  assert.strictEqual(await page.inputValue('#export-text'), grid.map((row) => `${row.join(',')}\n`).join(''));
  await page.selectOption('#export', 'numpy');
  assert.strictEqual(await page.inputValue('#export-text'),
                     `np.array([${grid.map((row) => `[${row.join(', ')}]`).join(', ')}])`);
  await page.selectOption('#export', 'latex');
  assert.strictEqual(await page.inputValue('#export-text'),
                     `\\begin{bmatrix}\n${grid.map((row) => row.join(' & ')).join(' \\\\\n')}\n\\end{bmatrix}\n`);
  await page.keyboard.type('R');
  assert.strictEqual(await page.inputValue('#pass-matrix-text'), '', 'nothing decomposed, no W');
  await page.selectOption('#mode', 'picture');
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
