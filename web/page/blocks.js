// The blocks of the array in effect, as the core lists them, and the readout of the entry under
// the pointer (or the focused cell) with its block's name.
'use strict';
const { call, heapInts } = require('./base');
const { show, whenChanged } = require('./controller');

// The entry the readout names, as {row, column}, or null.
let pointed = null;

// Block outlines as [row, column, height, width] in array entries.
function blocks() {
  const count = call.blockCount();
  const values = heapInts(call.blocks(), 4 * count);
  return Array.from({ length: count }, (_, i) => [...values.subarray(4 * i, 4 * i + 4)]);
}

function showReadout() {
  const n = call.size();
  if (pointed === null || pointed.row >= n || pointed.column >= n) {
    show('readout', '');
    return;
  }
  const { row, column } = pointed;
  const name = call.blockName(row, column);
  show('readout',
       `row ${row}, column ${column}: ${call.cellText(row, column)}${name ? ` — ${name}` : ''}`);
}

function point(entry) {
  pointed = entry;
  showReadout();
}

whenChanged(showReadout);

module.exports = { blocks, point };
