// The blocks outlined on #overlay over the picture, whose own pixels stay as they are, and the
// pointer's entry for the readout.
'use strict';
const { $, call } = require('./base');
const { whenChanged } = require('./controller');
const { outlineRects, entryAt } = require('./array-geometry');
const { blocks, point } = require('./blocks');

// The picture's shown box, kept by the resize observer so that no key reads the layout.
let shownSide = 0;
let drawn = false;

// The overlay draws at the screen's resolution, so that outlines stay thin and sharp at any size
// of the picture.
function drawBlocks() {
  const overlay = $('overlay');
  const shown = $('blocks').checked && call.mode() === 0;
  if (!shown && !drawn)
    return;
  const side = Math.max(1, Math.round(shownSide * devicePixelRatio));
  if (overlay.width !== side || overlay.height !== side) {
    overlay.width = side;
    overlay.height = side;
  }
  const context = overlay.getContext('2d');
  context.clearRect(0, 0, side, side);
  drawn = shown;
  if (!shown)
    return;
  const rects = outlineRects(blocks(), call.size(), side);
  for (const [colour, width] of [['#000', 3 * devicePixelRatio], ['#ffd479', devicePixelRatio]]) {
    context.strokeStyle = colour;
    context.lineWidth = width;
    for (const [left, top, right, bottom] of rects)
      context.strokeRect(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
  }
}

// Pointer events, so that a tap on a phone reads a value as a mouse does; the picture's shown
// size may differ from its 512 × 512 pixels.
function pointAt(event) {
  const box = $('picture').getBoundingClientRect();
  point(entryAt(event.clientX - box.left, event.clientY - box.top, box.width, box.height,
                call.size()));
}

whenChanged(drawBlocks);
$('picture').addEventListener('pointermove', pointAt);
$('picture').addEventListener('pointerdown', pointAt);
$('picture').addEventListener('pointerleave', (event) => {
  // A finger leaves as it lifts; its reading stays.
  if (event.pointerType === 'mouse')
    point(null);
});
$('blocks').addEventListener('change', drawBlocks);
new ResizeObserver(([entry]) => {
  shownSide = entry.contentRect.width;
  drawn = true;
  drawBlocks();
}).observe($('picture'));
