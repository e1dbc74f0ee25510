// The blocks of the array in effect, outlined on #overlay (the picture's own pixels stay as they
// are) or on the grid's cells, and the readout of the entry under the pointer with its block's
// name.
'use strict';

// The array entry the readout names, as {row, column}, or null.
let pointed = null;

// Block outlines as [row, column, height, width] in array coordinates.
function blocks() {
  const count = call.blockCount();
  const pointer = call.blocks();
  const values = heapInts(pointer, 4 * count);
  const result = [];
  for (let i = 0; i < count; ++i)
    result.push(values.subarray(4 * i, 4 * i + 4));
  return result;
}

function drawBlocks() {
  const overlay = $('overlay');
  const shown = $('blocks').checked;
  if (call.mode() !== 0) {
    outlineCells(shown ? blocks() : []);
    return;
  }
  // The overlay draws at the screen's resolution, so that outlines stay thin and sharp at any
  // size of the picture.
  const box = $('picture').getBoundingClientRect();
  const side = Math.max(1, Math.round(box.width * devicePixelRatio));
  if (overlay.width !== side || overlay.height !== side) {
    overlay.width = side;
    overlay.height = side;
  }
  const context = overlay.getContext('2d');
  context.clearRect(0, 0, side, side);
  if (!shown)
    return;
  const n = call.size();
  const at = (v) => Math.round(v * side / n);
  // Array row 0 is the picture's bottom line.
  const rects = blocks().map(([row, column, height, width]) =>
    [at(column), at(n - row - height), at(column + width), at(n - row)]);
  for (const [colour, width] of [['#000', 3 * devicePixelRatio], ['#ffd479', devicePixelRatio]]) {
    context.strokeStyle = colour;
    context.lineWidth = width;
    for (const [left, top, right, bottom] of rects)
      context.strokeRect(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
  }
}

function showReadout() {
  const n = call.size();
  if (pointed === null || pointed.row >= n || pointed.column >= n) {
    $('readout').textContent = '';
    return;
  }
  const { row, column } = pointed;
  const name = call.blockName(row, column);
  $('readout').textContent =
    `row ${row}, column ${column}: ${call.cellText(row, column)}${name ? ` — ${name}` : ''}`;
}

// Pointer events, so that a tap on a phone reads a value as a mouse does; the picture's shown
// size may differ from its 512 × 512 pixels.
function pointAt(event) {
  const box = $('picture').getBoundingClientRect();
  const n = call.size();
  const column = Math.floor((event.clientX - box.left) * n / box.width);
  const top = Math.floor((event.clientY - box.top) * n / box.height);
  pointed = column >= 0 && column < n && top >= 0 && top < n ? { row: n - 1 - top, column } : null;
  showReadout();
}

$('picture').addEventListener('pointermove', pointAt);
$('picture').addEventListener('pointerdown', pointAt);
$('picture').addEventListener('pointerleave', (event) => {
  // A finger leaves as it lifts; its reading stays.
  if (event.pointerType === 'mouse') {
    pointed = null;
    showReadout();
  }
});
$('blocks').addEventListener('change', drawBlocks);
new ResizeObserver(() => {
  if (viewer)
    drawBlocks();
}).observe($('picture'));
