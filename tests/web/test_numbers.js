// Numbers mode: a small matrix, each cell the transform of its matrix bit for bit, held to the
// independent model (lab_model.py); edits, pasting and undo.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { page, model, state, start, text } = require('./page_session');

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
  const keys = 'fNffSfBRnFr';
  const expected = model(keys, start8);
  for (let i = 0; i < keys.length; ++i) {
    await page.keyboard.press(keys[i]);
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
  assert.match(await text(page, 'message'), /^Row 2, column 3: /);
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
