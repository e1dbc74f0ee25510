// The blocks of the array in effect, as the core lists them and as #block-list names them, and the
// readout of the entry under the pointer (or the focused cell, or the picture's keyboard cursor)
// with its block's name.
'use strict';
const { $, call, heapInts } = require('./base');
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

const span = (first, count) => (count === 1 ? `${first}` : `${first}–${first + count - 1}`);

// One item a block: its name, rows and columns, which data-rows and data-columns give as "r0-r1"
// and "c0-c1" (inclusive). Rebuilt only when some text changed, as most keys change no block.
let listed = '';
function listBlocks() {
  const items = blocks().map(([row, column, height, width]) => ({
    rows: `${row}-${row + height - 1}`,
    columns: `${column}-${column + width - 1}`,
    text: `${call.blockName(row, column) || 'a block without a name (the passes made no longer ' +
           'undo each other)'}: ${height === 1 ? 'row' : 'rows'} ${span(row, height)}, ` +
          `${width === 1 ? 'column' : 'columns'} ${span(column, width)}`,
  }));
  const key = JSON.stringify(items);
  if (key === listed)
    return;
  listed = key;
  $('block-list').replaceChildren(...items.map(({ rows, columns, text }) => {
    const item = document.createElement('li');
    item.dataset.rows = rows;
    item.dataset.columns = columns;
    item.textContent = text;
    return item;
  }));
}

whenChanged(showReadout);
whenChanged(listBlocks);

module.exports = { blocks, point, pointedEntry: () => pointed };
