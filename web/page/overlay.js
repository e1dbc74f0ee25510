// #overlay over the picture, whose own pixels stay as they are: the blocks' outlines, their short
// names with a legend, and the keyboard's readout cursor; and the entry under the pointer, or under
// the cursor the arrow keys move while the picture has the focus, for the readout.
'use strict';
const { $, call } = require('./base');
const { whenChanged } = require('./controller');
const { outlineRects, entryAt, cursorAfter } = require('./array-geometry');
const { shortName } = require('./block-names');
const { blocks, point, pointedEntry } = require('./blocks');

// The picture's shown box, kept by the resize observer so that no key reads the layout.
let shownSide = 0;
let drawn = false;

const YELLOW = '#ffd479';

function outline(context, rects) {
  for (const [colour, width] of [['#000', 3 * devicePixelRatio], [YELLOW, devicePixelRatio]]) {
    context.strokeStyle = colour;
    context.lineWidth = width;
    for (const [left, top, right, bottom] of rects)
      context.strokeRect(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
  }
}

// Each block's short name in its middle, on a dark patch so that it reads on any grey, where the
// block holds it; returns the names written with their full names, for the legend.
function label(context, list, rects) {
  const written = new Map();
  const pad = 2 * devicePixelRatio;
  list.forEach(([row, column], i) => {
    const name = call.blockName(row, column);
    const short = shortName(name);
    const [left, top, right, bottom] = rects[i];
    const size = Math.min(14 * devicePixelRatio, (bottom - top) * 0.7);
    if (short === '' || size < 9 * devicePixelRatio)
      return;
    context.font = `${size}px sans-serif`;
    const width = context.measureText(short).width;
    if (width + 2 * pad > right - left)
      return;
    const [x, y] = [(left + right) / 2, (top + bottom) / 2];
    context.fillStyle = 'rgba(0, 0, 0, 0.75)';
    context.fillRect(x - width / 2 - pad, y - size / 2 - pad, width + 2 * pad, size + 2 * pad);
    context.fillStyle = YELLOW;
    context.fillText(short, x, y);
    written.set(short, name);
  });
  return written;
}

function showLegend(written) {
  const legend = $('labels-legend');
  legend.hidden = written.size === 0;
  const key = JSON.stringify([...written]);
  if (legend.dataset.names === key)
    return;
  legend.dataset.names = key;
  legend.replaceChildren(...[...written].map(([short, name]) => {
    const item = document.createElement('li');
    item.textContent = `${short}: ${name}`;
    return item;
  }));
}

// The overlay draws at the screen's resolution, so that outlines stay thin and sharp at any size
// of the picture.
function drawOverlay() {
  const overlay = $('overlay');
  const picture = call.mode() === 0;
  const outlines = $('blocks').checked && picture;
  const labels = $('labels').checked && picture;
  const cursor = picture && document.activeElement === $('picture') ? pointedEntry() : null;
  const shown = outlines || labels || cursor !== null;
  if (!shown && !drawn) {
    showLegend(new Map());
    return;
  }
  const side = Math.max(1, Math.round(shownSide * devicePixelRatio));
  if (overlay.width !== side || overlay.height !== side) {
    overlay.width = side;
    overlay.height = side;
  }
  const context = overlay.getContext('2d');
  context.clearRect(0, 0, side, side);
  drawn = shown;
  const n = call.size();
  const list = shown ? blocks() : [];
  const rects = outlineRects(list, n, side);
  if (outlines)
    outline(context, rects);
  context.textAlign = 'center';
  context.textBaseline = 'middle';
  showLegend(labels ? label(context, list, rects) : new Map());
  if (cursor !== null) {
    // At least a few pixels across, however many entries share one.
    const [[left, top, right, bottom]] = outlineRects([[cursor.row, cursor.column, 1, 1]], n,
                                                      side);
    const grow = Math.max(0, 4 * devicePixelRatio - (right - left) / 2);
    context.lineWidth = 2 * devicePixelRatio;
    context.strokeStyle = '#7cc4ff';
    context.strokeRect(left - grow, top - grow, right - left + 2 * grow, bottom - top + 2 * grow);
  }
}

// Pointer events, so that a tap on a phone reads a value as a mouse does; the picture's shown
// size may differ from its 512 × 512 pixels.
function pointAt(event) {
  const box = $('picture').getBoundingClientRect();
  point(entryAt(event.clientX - box.left, event.clientY - box.top, box.width, box.height,
                call.size()));
  if (document.activeElement === $('picture'))
    drawOverlay();
}

whenChanged(drawOverlay);
$('picture').addEventListener('pointermove', pointAt);
$('picture').addEventListener('pointerdown', pointAt);
$('picture').addEventListener('pointerleave', (event) => {
  // A finger leaves as it lifts; its reading stays.
  if (event.pointerType === 'mouse')
    point(null);
});
$('picture').addEventListener('keydown', (event) => {
  if (event.ctrlKey || event.metaKey || event.altKey)
    return;
  const entry = cursorAfter(pointedEntry(), event.key, event.shiftKey, call.size());
  if (entry === null)
    return;
  event.preventDefault();
  point(entry);
  drawOverlay();
});
for (const type of ['focus', 'blur'])
  $('picture').addEventListener(type, drawOverlay);
for (const id of ['blocks', 'labels'])
  $(id).addEventListener('change', drawOverlay);
new ResizeObserver(([entry]) => {
  shownSide = entry.contentRect.width;
  drawn = true;
  drawOverlay();
}).observe($('picture'));
