// What the page shows beside the desktop's picture: the signed view and the readout, keep the
// largest and the PSNR, the block outlines, a typed scale, the other views, and both saves.
'use strict';
const assert = require('assert');
const path = require('path');
const { spawnSync } = require('child_process');
const { test } = require('node:test');
const { N, page, picture, floats, byte, topFirst, native, state, start, text,
        coefficients, canvasGrey } = require('./page_session');

const f = Math.fround;

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

test('keep the largest says what it kept; the PSNR shows the cost', async () => {
  // Which values the core keeps (ties, the budget) its own tests hold; here, what the page says.
  await start('testcard', '');
  assert.strictEqual(await text(page, 'psnr'), '∞');
  const original = floats(await coefficients(page));
  await page.keyboard.type('NF');
  await page.fill('#keep', '5');
  await page.click('#compress');
  const kept = floats(await coefficients(page));
  assert.strictEqual(await text(page, 'kept'), `Kept ${Math.ceil(0.05 * N * N)} coefficients, ` +
                     `${kept.filter((v) => v !== 0).length} of them not 0.`);
  await page.keyboard.press('R');
  const restored = floats(await coefficients(page));
  const sum = restored.reduce((total, v, i) => total + (v - original[i]) ** 2, 0);
  assert.strictEqual(await text(page, 'psnr'), `${(10 * Math.log10(N * N / sum)).toFixed(2)} dB`);
});

test('#blocks outlines the blocks over the picture, whose pixels stay; the readout names them',
     async () => {
  await start('testcard', 'f');
  const pixels = await canvasGrey(page);
  await page.check('#blocks');
  assert.ok((await canvasGrey(page)).equals(pixels), '#picture unchanged');
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
  // Which scale shows the details best the core's own tests hold.
  assert.ok(Number(await page.inputValue('#scale')) > 1, 'the details magnified');
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
  // The array itself, whatever the view and the scale, clamped to [0, 1], as the desktop opens it.
  const tga = await save('save-tga');
  const values = floats(await coefficients(page));
  assert.ok(values.some((v) => v < 0) && values.some((v) => v > 1), 'both clamps at work');
  const opened = floats(native(tga, '').coefficients);
  const clamped = (v) => Math.min(Math.max(v, 0), 1);
  assert.ok(opened.every((v, i) => Math.abs(v - clamped(values[i])) <= 0.5 / 255 + 1e-6),
            'the desktop opens the array');
  await page.uncheck('#signed');
  await page.selectOption('#view', 'coefficients');
});
