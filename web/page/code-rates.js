// The Code panel's rate–distortion chart and table: for each coder, the PSNR of the picture as
// opened at each budget. The core makes the wavelet coder's columns in slices (CodingRates.h),
// run between frames; the browser's JPEG and WebP at no more bytes, one budget at a time, fill the
// last two. Made while #rates is open, once a picture.
'use strict';
const { $, call } = require('./base');
const { whenChanged } = require('./controller');
const { PLOT, psnrText, yOf, rangeOf } = require('./chart-geometry');
const { inSlices } = require('./slices');
const { svg } = require('./chart');
const { BROWSER_CODERS, UNWRITTEN, fitting, greysOf } = require('./code');

const CODERS = [
  { name: 'Haar', colour: '#7cc4ff', dash: '' },
  { name: 'CDF 5/3', colour: '#ffd479', dash: '2 3' },
  { name: 'CDF 9/7', colour: '#e0a0ff', dash: '' },
  { name: 'JPEG', colour: '#ff9e9e', dash: '6 4' },
  { name: 'WebP', colour: '#9be39b', dash: '10 3 2 3' },
];
const WAVELET_COLUMNS = 3;

// The picture the table was made for, and each run; a newer one stops an older one.
const made = { opening: -1, run: 0, budgets: [], psnr: [] };

// Budgets on a logarithmic axis from the first to the last.
function xOf(bpp) {
  const [first, last] = [made.budgets[0], made.budgets[made.budgets.length - 1]];
  return PLOT.left + Math.log(bpp / first) / Math.log(last / first) * (PLOT.right - PLOT.left);
}

// A cell is NaN until made; null where no file of the browser's coder fits the budget, UNWRITTEN
// where the browser writes no such files.
const points = (coder) => made.budgets.map((bpp, b) => [bpp, made.psnr[coder][b]])
  .filter(([, db]) => typeof db === 'number' && !Number.isNaN(db));
const cellText = (db) => (db === null ? 'none fits' : db === UNWRITTEN ? 'not written' : psnrText(db));
// Budgets closer than this to the last one labelled go without a label of their own.
const LABEL_GAP = 24;

function draw() {
  const chart = $('rate-chart');
  const curves = CODERS.map((_, coder) => points(coder));
  const range = rangeOf(curves);
  chart.replaceChildren();
  let labelled = -Infinity;
  for (const bpp of made.budgets) {
    const x = xOf(bpp);
    chart.append(svg('line', { x1: x, x2: x, y1: PLOT.top, y2: PLOT.bottom, class: 'grid-line' }));
    if (x - labelled >= LABEL_GAP) {
      chart.append(svg('text', { x, y: PLOT.bottom + 16, 'text-anchor': 'middle' }, String(bpp)));
      labelled = x;
    }
  }
  for (let db = range[0]; db <= range[1]; db += 20) {
    const y = yOf(db, range);
    chart.append(svg('line', { x1: PLOT.left, x2: PLOT.right, y1: y, y2: y, class: 'grid-line' }));
    chart.append(svg('text', { x: PLOT.left - 6, y: y + 4, 'text-anchor': 'end' },
                     db === range[1] ? '∞' : `${db}`));
  }
  chart.append(svg('text', { x: (PLOT.left + PLOT.right) / 2, y: 296, 'text-anchor': 'middle' },
                   'bits per pixel'));
  curves.forEach((curve, coder) => {
    if (curve.length > 0)
      chart.append(svg('polyline', { points: curve.map(([bpp, db]) => `${xOf(bpp)},${yOf(db, range)}`).join(' '),
                                     fill: 'none', stroke: CODERS[coder].colour, 'stroke-width': 2,
                                     'stroke-dasharray': CODERS[coder].dash }));
  });
  const rows = made.budgets.map((bpp, b) => {
    const row = document.createElement('tr');
    const head = document.createElement('th');
    head.scope = 'row';
    head.textContent = String(bpp);
    row.append(head);
    CODERS.forEach((_, coder) => { row.insertCell().textContent = cellText(made.psnr[coder][b]); });
    return row;
  });
  $('rate-table').tBodies[0].replaceChildren(...rows);
}

async function makeTable() {
  const run = ++made.run;
  made.opening = call.openings();
  const n = call.size();
  made.budgets = Array.from({ length: call.ratesBudgetCount() }, (_, b) => call.ratesBudget(b));
  made.psnr = CODERS.map(() => made.budgets.map(() => NaN));
  $('rate-chart').dataset.state = 'working';
  draw();
  const current = () => run === made.run;
  call.ratesStart();
  if (!await inSlices(() => call.ratesStep() === 1, { current }))
    return;
  for (let w = 0; w < WAVELET_COLUMNS; ++w)
    made.psnr[w] = made.budgets.map((_, b) => call.ratesPsnr(w, b));
  draw();
  for (const [index, { type }] of BROWSER_CODERS.entries()) {
    for (const [b, bpp] of made.budgets.entries()) {
      const found = await fitting(type, Math.floor(bpp * n * n / 8));
      const grey = found === null || found === UNWRITTEN ? null : await greysOf(found.blob);
      if (!current())
        return;
      made.psnr[WAVELET_COLUMNS + index][b] = grey === null ? found : call.picturePsnr(grey);
      draw();
    }
  }
  $('rate-chart').dataset.state = 'done';
}

whenChanged(() => {
  if (call.mode() === 0 && $('rates').open && made.opening !== call.openings())
    makeTable();
});
$('rate-legend').replaceChildren(...CODERS.map(({ name, colour, dash }) => {
  const item = document.createElement('li');
  const swatch = svg('svg', { width: 28, height: 10, 'aria-hidden': 'true' });
  swatch.append(svg('polyline', { points: '2,5 26,5', fill: 'none', stroke: colour, 'stroke-width': 2,
                                  'stroke-dasharray': dash }));
  item.append(swatch, ` ${name}`);
  return item;
}));
$('rates').addEventListener('toggle', () => {
  if ($('rates').open && made.opening !== call.openings())
    makeTable();
});
