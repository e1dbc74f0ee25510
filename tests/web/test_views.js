// What the page shows beside the desktop's picture: the signed view and the readout, keep the
// largest and the PSNR, the block outlines, a typed scale, the other views, and both saves.
'use strict';
const assert = require('assert');
const path = require('path');
const { spawnSync } = require('child_process');
const { test } = require('node:test');
const { N, page, picture, floats, native, state, start, byHand, text,
        coefficients, canvasGrey } = require('./page_session');

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
