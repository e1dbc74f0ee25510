// Pictures opened through #open or dropped on the page: the desktop's reader for a 512 × 512 grey
// TGA file, the browser's decoders for the rest, and refusals, which change nothing; the chart each
// picture starts, and the Code panel's coder of it.
'use strict';
const assert = require('assert');
const { spawnSync } = require('child_process');
const fs = require('fs');
const { test } = require('node:test');
const { N, page, sample, picture, floats, native, labTool, model, digest, digestOf,
        assertShows, state, start, open, drop, chartDone, text, coefficients,
        canvasGrey } = require('./page_session');

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
  await assertShows({ coefficients: model('f', matrix) }, 'f on the matrix');
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
      await assertShows({ coefficients: native(picture(expected), '').coefficients },
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
  // A file dropped anywhere on the page opens as one chosen; of two in quick succession the later
  // one is shown, even when the first decodes longer.
  await drop(['blocks.png', picture('blocks.png')], ['second.tga', picture('grey.tga')]);
  assert.match(await text(page, 'picture-name'), /second\.tga/);
  await assertShows({ coefficients: native(picture('grey.tga'), '').coefficients }, 'the later open');
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

// The rate–distortion chart against lab_tool's native numbers, also when a newly opened picture
// starts it over half-way.
test('#chart-table holds the native rate–distortion numbers of the picture as opened', async () => {
  // A picture opened while the chart is half-way starts it over.
  const halfway = async () => {
    const working = await page.evaluate(async () => {
      const sample = document.getElementById('sample');
      const choose = (name) => {
        sample.value = name;
        sample.dispatchEvent(new Event('change'));
      };
      choose('testcard');
      for (let i = 0; i < 3; ++i)
        await new Promise((resolve) => setTimeout(resolve, 0));
      const state = document.getElementById('chart').dataset.state;
      choose('scene');
      return state;
    });
    assert.strictEqual(working, 'working', 'half-way');
    await page.evaluate(() => document.activeElement.blur());
    await page.keyboard.type('NF');
  };
  // The chart is made anew for each picture; it does not follow the keys.
  for (const opening of [halfway, () => open(picture('portrait.png'))]) {
    await opening();
    await chartDone();
    await page.click('#reset');
    const expected = labTool(['rd', '512', '@'], await coefficients(page)).toString()
      .trim().split('\n').map((line) => line.split(' ').map(Number));
    // Six curves (their dashes and markers are the geometry's, told apart there).
    assert.strictEqual(await page.$$eval('#chart polyline', (lines) => lines.length), 6);
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
      // In an orthonormal basis the largest coefficients leave the least error of any as many, so
      // no other curve of its arrangement lies above it (within the table's rounding) wherever
      // the share kept decides; not where only the float rounding of F then R is left (over 100 dB).
      const db = rows[i].slice(1).map((cell) => (cell === '∞' ? Infinity : Number(cell)));
      for (const [orthonormal, others] of [[4, [0, 1]], [5, [2, 3]]])
        for (const other of others)
          if (db[other] < 100)
            assert.ok(db[orthonormal] >= db[other] - 0.01,
                      `${share} %: orthonormal ${db[orthonormal]} dB below ${db[other]} dB (mode ${other})`);
    }
    // The y axis spans the finite PSNRs below 100 %, in multiples of 5 dB.
    const finite = expected.filter(([share]) => share < 100).flatMap(([, ...psnrs]) => psnrs)
      .filter(Number.isFinite);
    assert.deepStrictEqual(
      [await page.getAttribute('#chart', 'data-y-min'), await page.getAttribute('#chart', 'data-y-max')],
      [String(Math.floor(Math.min(...finite) / 5) * 5), String(Math.ceil(Math.max(...finite) / 5) * 5)]);
  }
});

test('the Code panel: a budget is a ceiling; its stream saved opens bit for bit, cut coarser, ' +
     'damaged refused or decoded; CDF 5/3 gives the picture back', async () => {
  await open(picture('blocks.tga'));
  const grey = async (view) => {
    await page.selectOption('#view', view);
    return canvasGrey(page);
  };
  const psnr = (a, b) => {
    let sum = 0;
    a.forEach((v, i) => { sum += (v - b[i]) ** 2; });
    return 10 * Math.log10(255 * 255 * a.length / sum);
  };
  const stats = () => page.evaluate(() => ({ ...document.getElementById('code-stats').dataset }));
  const opened = await grey('opened');
  await page.selectOption('#code-wavelet', 'cdf97');
  for (const bpp of ['0.01', '0.1', '0.37']) {
    await page.fill('#code-bpp-slider', bpp);
    const { bytes, psnr: shown } = await stats();
    assert.ok(bytes <= Math.floor(bpp * N * N / 8) && bytes > 12, `${bytes} bytes at ${bpp} bpp`);
    assert.ok(Math.abs(shown - psnr(await grey('coded'), opened)) < 1e-9, `PSNR at ${bpp} bpp`);
  }
  // The browser's coders at no more bytes: their files fit, and each PSNR is its view's.
  await page.fill('#code-bpp-slider', '0.1');
  await page.selectOption('#view', 'jpeg');
  await page.waitForSelector('#compare[data-state="done"]');
  const against = await page.evaluate(() => ({ ...document.getElementById('compare').dataset }));
  for (const name of ['jpeg', 'webp']) {
    const fileBytes = Number(against[`${name}Bytes`]);
    assert.ok(fileBytes > 0 && fileBytes <= Number((await stats()).bytes), `${name}: ${fileBytes} bytes`);
    const [said, seen] = [Number(against[`${name}Psnr`]), psnr(await grey(name), opened)];
    assert.ok(said === seen || Math.abs(said - seen) < 1e-9, `${name}: PSNR ${said}, shown ${seen}`);
  }
  // Side by side in #compare, each picture is its coder's view.
  const sideBySide = await page.evaluate(`[...document.querySelectorAll('#compare canvas')]
    .map((canvas) => {
      const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      let greys = '';
      for (let i = 0; i < rgba.length; i += 4)
        greys += String.fromCharCode(rgba[i]);
      return (${digest})(btoa(greys));
    })`);
  for (const [index, name] of ['coded', 'jpeg', 'webp'].entries())
    assert.strictEqual(sideBySide[index], digestOf(await grey(name)), `#compare shows ${name}`);
  await page.fill('#code-bpp-slider', '0.37');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-coded')]);
  const saved = picture('saved.stream');
  await download.saveAs(saved);
  const stream = fs.readFileSync(saved);
  assert.strictEqual(stream.length, Number((await stats()).bytes));
  const coded = await grey('coded');
  await open(saved);
  assert.match(await text(page, 'picture-name'), /^Shown: saved\.stream \(a cdf97 coded stream/);
  assert.ok((await grey('opened')).equals(coded), 'the saved stream opened is the picture shown');

  fs.writeFileSync(picture('cut.stream'), stream.subarray(0, stream.length >> 2));
  await open(picture('cut.stream'));
  assert.ok(psnr(await grey('opened'), opened) < psnr(coded, opened) - 1, 'a quarter is coarser');
  // Damage in the bits decodes to some picture or is refused; in the header it is refused.
  const damaged = (at) => {
    const bytes = Buffer.from(stream);
    bytes[at] ^= 0x5a;
    fs.writeFileSync(picture('damaged.stream'), bytes);
    return open(picture('damaged.stream'));
  };
  await damaged(stream.length >> 1);
  assert.match(await text(page, 'message'), /^(|Codec: damaged stream\.)$/);
  const before = await state();
  await damaged(7);
  assert.strictEqual(await text(page, 'message'), 'Codec: damaged header.');
  assert.deepStrictEqual(await state(), before, 'a refused stream changes nothing');

  await open(picture('blocks.tga'));
  await page.selectOption('#code-wavelet', 'cdf53');
  await page.fill('#code-bpp', '8');
  await page.press('#code-bpp', 'Enter');
  assert.strictEqual((await stats()).psnr, 'Infinity');
  assert.ok((await grey('coded')).equals(opened), 'CDF 5/3 at 8 bpp is the picture');
  const lossless = await page.evaluate(() => ({ ...document.getElementById('code-lossless').dataset }));
  assert.strictEqual(lossless.bytes, (await stats()).bytes);
  await page.waitForSelector('#code-lossless[data-png]');
  await page.fill('#code-bpp', '9');
  await page.press('#code-bpp', 'Enter');
  assert.strictEqual(await text(page, 'message'), 'The budget must be a number of bits per pixel from 0.01 to 8.');
  assert.match(await page.evaluate(() => orlinde.link()), /&code=cdf53:8$/);
  await page.evaluate(() => {
    document.activeElement.blur();
    location.hash = 'sample=scene&code=haar:0.25';
  });
  await page.waitForFunction(() => document.getElementById('code-wavelet').value === 'haar');
  assert.strictEqual(await page.inputValue('#code-bpp'), '0.25');
  assert.strictEqual((await stats()).bytes, String(0.25 * N * N / 8));
});

test('the Code panel\'s rate table holds the panel\'s own PSNR for each wavelet, and the browser\'s ' +
     'coders beside them', async () => {
  await open(picture('blocks.tga'));
  await page.click('#rates summary');
  await page.waitForSelector('#rate-chart[data-state="done"]');
  const table = await page.$$eval('#rate-table tbody tr',
                                  (rows) => rows.map((row) => [...row.cells].map((c) => c.textContent)));
  assert.deepStrictEqual(table.map(([bpp]) => bpp), ['0.05', '0.1', '0.2', '0.25', '0.5', '1', '2', '4']);
  for (const [column, wavelet] of ['haar', 'cdf53', 'cdf97'].entries()) {
    await page.selectOption('#code-wavelet', wavelet);
    for (const row of [1, 4]) {
      await page.fill('#code-bpp-slider', table[row][0]);
      const psnr = await page.$eval('#code-stats', (stats) => stats.dataset.psnr);
      assert.strictEqual(table[row][column + 1], psnr === 'Infinity' ? '∞' : Number(psnr).toFixed(2),
                         `${wavelet} at ${table[row][0]} bpp`);
    }
  }
  assert.match(table[7][4], /^(\d+\.\d\d|∞)$/, 'JPEG at 4 bpp');
  assert.match(table[7][5], /^(\d+\.\d\d|∞)$/, 'WebP at 4 bpp');
});
