// Pictures opened through #open or dropped on the page: the desktop's reader for a 512 × 512 grey
// TGA file, the browser's decoders for the rest, and refusals, which change nothing.
'use strict';
const assert = require('assert');
const { spawnSync } = require('child_process');
const fs = require('fs');
const { test } = require('node:test');
const { N, page, sample, picture, floats, native, model, assertShows, state, start, open, drop,
        chartDone, text, coefficients, canvasGrey } = require('./page_session');

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
  await drop(['dropped.tga', picture('grey.tga')]);
  assert.match(await text(page, 'picture-name'), /dropped/);
  await assertShows(native(picture('grey.tga'), ''), 'grey.tga dropped');
});

test('a refused file leaves its message and changes nothing, in either mode', async () => {
  await start('testcard', 'NfBB');
  await chartDone();
  // With the undo history, the link and the chart: all that a refused file must leave.
  const everything = async () => [...await state(), await page.evaluate(() => orlinde.link()),
                                  await page.isDisabled('#undo'), await text(page, 'chart-table')];
  const before = await everything();
  fs.writeFileSync(picture('notes.txt'), 'Not a picture: a shopping list.\n');
  const refusals = {
    // The reader's own message, for a file that starts as a TGA file does.
    'palette.tga': native(picture('palette.tga'), '').message,
    'notes.txt': 'Orlinde: the file is no picture this page reads. It reads PNG, JPEG, GIF, WebP, BMP, SVG ' +
                 'and TGA files.',
    'broken.png': 'Orlinde: the browser cannot decode broken.png as a PNG picture.',
  };
  for (const [name, message] of Object.entries(refusals)) {
    await open(picture(name));
    assert.strictEqual(await text(page, 'message'), message, name);
    assert.deepStrictEqual(await everything(), before, `after ${name}`);
  }
  // The passes stayed too: the next key works on them.
  await page.keyboard.press('f');
  await assertShows(native(sample('testcard'), 'NfBBf'), 'a key after refusals');
  // In numbers mode a refused drop leaves the keys to the matrix.
  await page.selectOption('#mode', 'numbers');
  await page.evaluate(() => document.activeElement.blur());
  const matrix = await page.inputValue('#grid-text');
  await drop(['palette.tga', picture('palette.tga')]);
  assert.strictEqual(await text(page, 'message'), refusals['palette.tga']);
  await page.keyboard.press('f');
  assert.ok((await coefficients(page)).equals(model('f', matrix)), 'f on the matrix');
  await page.selectOption('#mode', 'picture');
  await open(picture('grey.tga'));
  assert.strictEqual(await text(page, 'message'), '', 'a picture taken clears the message');
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
  await drop(['blocks.png', picture('blocks.png')], ['second.tga', picture('grey.tga')]);
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
