// Between the array's entries and what the page draws: array row 0 is the picture's bottom line
// and the matrix's top row. Blocks are [row, column, height, width] in array entries.
'use strict';

// Block outlines on a square of `side` pixels showing an n × n array, as [left, top, right,
// bottom] in whole pixels.
function outlineRects(blocks, n, side) {
  const at = (v) => Math.round(v * side / n);
  return blocks.map(([row, column, height, width]) =>
    [at(column), at(n - row - height), at(column + width), at(n - row)]);
}

// The entry at (x, y) from the top left of a picture shown `width` × `height` pixels, or null
// outside it.
function entryAt(x, y, width, height, n) {
  const column = Math.floor(x * n / width);
  const top = Math.floor(y * n / height);
  return column >= 0 && column < n && top >= 0 && top < n ? { row: n - 1 - top, column } : null;
}

// The matrix's cells that take a thick border where a block starts: to the left of its first
// column and above its first row, as [row, column] lists.
function cellBorders(blocks) {
  const left = [];
  const top = [];
  for (const [row, column, height, width] of blocks) {
    for (let r = row; r < row + height; ++r)
      left.push([r, column]);
    for (let c = column; c < column + width; ++c)
      top.push([row, c]);
  }
  return { left, top };
}

// The readout cursor's entry after an arrow key on the picture, whose up is the array's next row:
// one entry a key, sixteen with Shift, never off the array. From no entry it starts at the
// picture's top left. Null for any other key.
function cursorAfter(entry, key, shift, n) {
  const [dRow, dColumn] = { ArrowUp: [1, 0], ArrowDown: [-1, 0], ArrowLeft: [0, -1],
                            ArrowRight: [0, 1] }[key] ?? [];
  if (dRow === undefined)
    return null;
  if (entry === null)
    return { row: n - 1, column: 0 };
  const by = shift ? 16 : 1;
  const within = (v) => Math.min(n - 1, Math.max(0, v));
  return { row: within(entry.row + dRow * by), column: within(entry.column + dColumn * by) };
}

module.exports = { outlineRects, entryAt, cellBorders, cursorAfter };
