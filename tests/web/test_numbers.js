// Numbers mode: a small matrix, each cell the transform of its matrix bit for bit, held to the
// independent model (lab_model.py); edits, pasting and undo.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { page, model, modelKey, state, start, text, coefficients, floats } = require('./page_session');

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
  assert.deepStrictEqual(await state(), picture, 'the picture as it was left');
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
