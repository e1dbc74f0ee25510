// Numbers mode: a small array written as a matrix, row 0 on top, each cell its coefficient as
// the shortest decimal, shaded as the picture would be, and editable; the whole matrix as text
// to copy out or paste in.
'use strict';
const { $, call, heapBytes } = require('./base');
const { say, whenChanged, update, command } = require('./controller');
const { refuse, oneNumberField } = require('./fields');
const { cellBorders } = require('./array-geometry');
const { blocks, point } = require('./blocks');
const { signedView } = require('./picture');

// The cells' inputs, [row][column], for the grid's current size.
let cells = [];

function buildGrid(n) {
  const table = document.createElement('table');
  const head = table.createTHead().insertRow();
  head.appendChild(document.createElement('th'));
  for (let column = 0; column < n; ++column) {
    const th = document.createElement('th');
    th.scope = 'col';
    th.textContent = column;
    head.appendChild(th);
  }
  const body = table.createTBody();
  cells = [];
  for (let row = 0; row < n; ++row) {
    const line = body.insertRow();
    const th = document.createElement('th');
    th.scope = 'row';
    th.textContent = row;
    line.appendChild(th);
    const inputs = [];
    for (let column = 0; column < n; ++column) {
      const input = document.createElement('input');
      input.type = 'text';
      input.inputMode = 'decimal';
      input.spellcheck = false;
      input.setAttribute('aria-label', `row ${row}, column ${column}`);
      input.addEventListener('change', () => setCell(row, column));
      oneNumberField(input, () => setCell(row, column), () => call.cellText(row, column));
      for (const type of ['focus', 'pointerenter']) {
        input.addEventListener(type, () => point({ row, column }));
      }
      line.insertCell().appendChild(input);
      inputs.push(input);
    }
    cells.push(inputs);
  }
  $('grid').replaceChildren(table);
}

// A typed value replaces its coefficient; a refused one is named and the cell shows its number
// again. Enter and the change that follows it commit once: the second finds nothing new. Returns
// whether the text was taken.
function setCell(row, column) {
  const input = cells[row][column];
  if (input.value === call.cellText(row, column))
    return true;
  const refusal = call.cellSetText(row, column, input.value);
  update();
  if (refusal === null)
    say('');
  else
    refuse(input, refusal);
  return refusal === null;
}

function drawGrid() {
  const n = call.size();
  if (cells.length !== n)
    buildGrid(n);
  $('grid-size').value = String(n);
  const pixels = call.renderView(0, signedView());
  const shades = heapBytes(pixels, 4 * n * n).slice();
  let widest = 4;
  for (let row = 0; row < n; ++row) {
    for (let column = 0; column < n; ++column) {
      const input = cells[row][column];
      const grey = shades[4 * (row * n + column)];
      input.value = call.cellText(row, column);
      widest = Math.max(widest, input.value.length);
      input.style.background = `rgb(${grey}, ${grey}, ${grey})`;
      // Black text from this grey up and white below it both reach 4.5 : 1.
      input.style.color = grey >= 118 ? '#000' : '#fff';
    }
  }
  // Every cell as wide as the longest number, so that none is cut off.
  $('grid').style.setProperty('--cell-chars', widest);
  if (document.activeElement !== $('grid-text'))
    $('grid-text').value = call.gridText();
}

// Thick borders where a block starts, above and to the left of its first row and column.
function outlineCells() {
  for (const line of cells)
    for (const input of line)
      input.parentElement.classList.remove('block-left', 'block-top');
  if (!$('blocks').checked)
    return;
  const { left, top } = cellBorders(blocks());
  for (const [row, column] of left)
    cells[row][column].parentElement.classList.add('block-left');
  for (const [row, column] of top)
    cells[row][column].parentElement.classList.add('block-top');
}

function setMode(mode) {
  $('mode').value = mode === 1 ? 'numbers' : 'picture';
  call.setMode(mode);
  const numbers = mode === 1;
  document.body.classList.toggle('numbers', numbers);
  $('grid').hidden = !numbers;
  for (const part of document.querySelectorAll('.picture-only'))
    part.hidden = numbers;
  for (const part of document.querySelectorAll('.numbers-only'))
    part.hidden = !numbers;
  $('picture-name').hidden = numbers;
  point(null);
  say('');
  update();
}

whenChanged(() => {
  if (call.mode() !== 1)
    return;
  drawGrid();
  outlineCells();
});

$('mode').addEventListener('change', () => setMode($('mode').value === 'numbers' ? 1 : 0));
$('grid-size').addEventListener('change', () =>
  command(() => call.gridSize(Number($('grid-size').value))));
// A refused text stays in the box to be mended.
$('grid-set').addEventListener('click', () => {
  const refusal = call.gridSet($('grid-text').value);
  if (refusal === null) {
    update();
    say('');
  } else {
    refuse($('grid-text'), refusal);
  }
});
$('blocks').addEventListener('change', () => {
  if (call.mode() === 1)
    outlineCells();
});

module.exports = { setMode };
