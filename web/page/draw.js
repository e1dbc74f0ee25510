// Everything the page shows about the current mode's array, brought up to date after every
// command: the status line, the picture (in the chosen view) or the grid, where the
// decomposition stands, the warning, the history buttons, the scale, the PSNR, the chart's mark
// and the link.
'use strict';

const pictureContext = () => $('picture').getContext('2d');

function drawPicture() {
  const n = call.size();
  const pixels = call.renderView(viewIndex(), $('signed').checked ? 1 : 0);
  const image = new ImageData(n, n);
  image.data.set(heapBytes(pixels, 4 * n * n));
  pictureContext().putImageData(image, 0, 0);
}

function showWhere() {
  const where = $('where');
  where.textContent = call.where();
  where.dataset.rowLevels = call.rowLevels();
  where.dataset.columnLevels = call.columnLevels();
  $('warning').textContent = call.warning();
}

function showPsnr() {
  if (call.nothingDecomposed()) {
    const db = call.psnr();
    $('psnr').textContent = db === Infinity ? '∞' : `${db.toFixed(2)} dB`;
  } else {
    $('psnr').textContent = '(reconstruct fully to compare)';
  }
}

// What the last keep-the-largest kept, as long as it is part of the state (undo takes it back).
function showKept() {
  // Two numbers and no separators in them, so that a script reads the budget and the non-zero
  // count straight off the line.
  const kept = call.keptCount();
  $('kept').textContent = kept < 0 ? ''
    : `Kept ${kept} coefficients, ${call.keptNonZero()} of them not 0.`;
}

function refresh() {
  if (viewer === null)
    return;
  $('status').textContent = call.status();
  if (call.mode() === 0) {
    drawPicture();
    showViewNote();
    markChart();
  } else {
    drawGrid();
  }
  showWhere();
  $('undo').disabled = !call.canUndo();
  $('redo').disabled = !call.canRedo();
  $('scale').value = call.scaleText();
  showPsnr();
  showKept();
  drawBlocks();
  showReadout();
  writeLink();
}

// Runs a command and shows its outcome; a command clears the last refusal.
function command(action) {
  if (viewer === null)
    return;
  say('');
  action();
  refresh();
}
