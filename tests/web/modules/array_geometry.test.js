// Between array entries and what the page draws: row 0 is the picture's bottom line.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { outlineRects, entryAt, cellBorders, cursorAfter } = require('../../../web/page/array-geometry');

test('outlines: a row pass splits the picture by a vertical line, a column pass by a level one',
     () => {
  // After one row pass on 8 × 8: averages left, details right, each all 8 rows high.
  const rowPass = [[0, 0, 8, 4], [0, 4, 8, 4]];
  assert.deepStrictEqual(outlineRects(rowPass, 8, 100), [[0, 0, 50, 100], [50, 0, 100, 100]]);
  // After a column pass: the averages in rows 0–3, at the picture's bottom.
  const columnPass = [[0, 0, 4, 8], [4, 0, 4, 8]];
  assert.deepStrictEqual(outlineRects(columnPass, 8, 100), [[0, 50, 100, 100], [0, 0, 100, 50]]);
  assert.deepStrictEqual(outlineRects([[1, 2, 1, 3]], 8, 60), [[15, 45, 38, 53]], 'rounded');
});

test('the entry under a point, through the picture\'s shown size', () => {
  assert.deepStrictEqual(entryAt(0, 0, 256, 256, 512), { row: 511, column: 0 });
  assert.deepStrictEqual(entryAt(255.9, 255.9, 256, 256, 512), { row: 0, column: 511 });
  assert.deepStrictEqual(entryAt(100, 50, 200, 100, 8), { row: 3, column: 4 });
  for (const [x, y] of [[-0.1, 5], [5, -0.1], [256, 5], [5, 256]])
    assert.strictEqual(entryAt(x, y, 256, 256, 512), null, `${x}, ${y}`);
});

test('the arrow keys move the readout cursor as the picture shows the array, never off it', () => {
  const at = (row, column) => ({ row, column });
  assert.deepStrictEqual(cursorAfter(null, 'ArrowDown', false, 8), at(7, 0), 'starts top left');
  const moves = [['ArrowUp', false, 8, at(4, 3)], ['ArrowDown', false, 8, at(2, 3)],
                 ['ArrowLeft', false, 8, at(3, 2)], ['ArrowRight', true, 512, at(3, 19)],
                 ['ArrowDown', true, 512, at(0, 3)], ['ArrowLeft', true, 8, at(3, 0)],
                 ['ArrowRight', true, 8, at(3, 7)], ['ArrowUp', true, 8, at(7, 3)]];
  for (const [key, shift, n, after] of moves)
    assert.deepStrictEqual(cursorAfter(at(3, 3), key, shift, n), after, `${key} ${shift} ${n}`);
  assert.strictEqual(cursorAfter(at(2, 6), 'Enter', false, 8), null);
});

test('the matrix\'s cells take thick borders left of a block and above it', () => {
  assert.deepStrictEqual(cellBorders([[0, 2, 2, 3]]),
                         { left: [[0, 2], [1, 2]], top: [[0, 2], [0, 3], [0, 4]] });
});
