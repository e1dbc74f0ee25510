// The rate–distortion chart of the picture as opened: PSNR against the share kept, on a
// logarithmic axis, one curve a mode, and the same numbers in #chart-table. The C++ computes it
// in slices (RateDistortion.h); the page runs them between frames so that it never freezes, and a
// newly opened picture starts it over.
'use strict';

const CHART_MODES = [
  { name: 'plain non-standard', colour: '#7cc4ff', dash: '' },
  { name: 'normalized non-standard', colour: '#ffd479', dash: '' },
  { name: 'plain standard', colour: '#ff9e9e', dash: '6 4' },
  { name: 'normalized standard', colour: '#9be39b', dash: '6 4' },
];
// The drawing area inside the 480 × 300 view box.
const PLOT = { left: 48, right: 456, top: 14, bottom: 262 };
const SVG_NS = 'http://www.w3.org/2000/svg';

// Each opening counts; the slices of an older one stop.
let chartRun = 0;
let chartShares = [];
// The vertical axis, fixed once the chart is complete: [lowest, highest] dB.
let chartRange = [0, 150];

const psnrText = (db) => (db === Infinity ? '∞' : Number.isNaN(db) ? '…' : db.toFixed(2));

function svg(name, attributes, text) {
  const element = document.createElementNS(SVG_NS, name);
  for (const [key, value] of Object.entries(attributes))
    element.setAttribute(key, value);
  if (text !== undefined)
    element.textContent = text;
  return element;
}

const xOf = (share) =>
  PLOT.left + (Math.log10(share) + 1) / 3 * (PLOT.right - PLOT.left);
// ∞ sits on the top edge, which is labelled so.
const yOf = (db) => {
  const [low, high] = chartRange;
  const v = Math.min(db, high);
  return PLOT.bottom - (v - low) / (high - low) * (PLOT.bottom - PLOT.top);
};

function chartPoints(mode) {
  return chartShares.map((share, i) => [share, call.chartPsnr(mode, i)])
    .filter(([, db]) => !Number.isNaN(db));
}

function drawAxes(chart) {
  const [low, high] = chartRange;
  for (const share of [0.1, 1, 10, 100]) {
    const x = xOf(share);
    chart.append(svg('line', { x1: x, x2: x, y1: PLOT.top, y2: PLOT.bottom, class: 'grid-line' }));
    chart.append(svg('text', { x, y: PLOT.bottom + 16, 'text-anchor': 'middle' }, `${share} %`));
  }
  for (let db = low; db <= high; db += 20) {
    const y = yOf(db);
    chart.append(svg('line', { x1: PLOT.left, x2: PLOT.right, y1: y, y2: y, class: 'grid-line' }));
    chart.append(svg('text', { x: PLOT.left - 6, y: y + 4, 'text-anchor': 'end' },
                     db === high ? '∞' : `${db}`));
  }
  chart.append(svg('text', { x: (PLOT.left + PLOT.right) / 2, y: 296, 'text-anchor': 'middle' },
                   'share of coefficients kept'));
  chart.append(svg('text', { x: 12, y: (PLOT.top + PLOT.bottom) / 2, 'text-anchor': 'middle',
                             transform: `rotate(-90 12 ${(PLOT.top + PLOT.bottom) / 2})` },
                   'PSNR (dB)'));
}

function drawChart() {
  const chart = $('chart');
  chart.replaceChildren();
  drawAxes(chart);
  CHART_MODES.forEach(({ colour, dash }, mode) => {
    const points = chartPoints(mode).map(([share, db]) => `${xOf(share)},${yOf(db)}`);
    if (points.length > 0)
      chart.append(svg('polyline', { points: points.join(' '), fill: 'none', stroke: colour,
                                     'stroke-width': 2, 'stroke-dasharray': dash }));
  });
  chart.append(svg('g', { id: 'chart-marker' }));
  markChart();
}

function fillTable() {
  const rows = chartShares.map((share, i) => {
    const row = document.createElement('tr');
    const head = document.createElement('th');
    head.scope = 'row';
    head.textContent = String(share);
    row.append(head);
    for (let mode = 0; mode < CHART_MODES.length; ++mode)
      row.insertCell().textContent = psnrText(call.chartPsnr(mode, i));
    return row;
  });
  $('chart-table').tBodies[0].replaceChildren(...rows);
}

// The experiment set up now: the picture's mode (N and S) and the share in the Keep field.
function markChart() {
  const marker = document.getElementById('chart-marker');
  if (marker === null || viewer === null)
    return;
  marker.replaceChildren();
  const mode = call.chartMode();
  const typed = Number($('keep').value);
  const share = Math.min(100, Math.max(0.1, typed > 0 ? typed : 0.1));
  const x = xOf(share);
  marker.append(svg('line', { x1: x, x2: x, y1: PLOT.top, y2: PLOT.bottom, class: 'mark-line' }));
  // Between two computed shares the curve is the straight line the chart draws.
  const points = chartPoints(mode);
  const after = points.findIndex(([s]) => s >= share);
  let where = '';
  if (after >= 0) {
    const [s1, d1] = points[after];
    const [s0, d0] = points[Math.max(0, after - 1)];
    const t = s1 === s0 ? 1 : (Math.log10(share) - Math.log10(s0)) / (Math.log10(s1) - Math.log10(s0));
    const y = d0 === Infinity || d1 === Infinity ? yOf(Infinity) : yOf(d0 + t * (d1 - d0));
    marker.append(svg('circle', { cx: x, cy: y, r: 5, fill: 'none',
                                  stroke: CHART_MODES[mode].colour, 'stroke-width': 2.5 }));
    const exact = points[after][0] === share ? ` ${psnrText(points[after][1])} dB` : '';
    where = exact ? `, where the chart gives${exact}` : '';
  }
  $('chart-mark').textContent = `Marked: your experiment, ${CHART_MODES[mode].name} at ` +
    `${share} %${where} (N and S choose the mode, the Keep field the share).`;
}

function finishChart() {
  let low = Infinity;
  let high = -Infinity;
  for (let mode = 0; mode < CHART_MODES.length; ++mode) {
    for (const [, db] of chartPoints(mode)) {
      if (Number.isFinite(db)) {
        low = Math.min(low, db);
        high = Math.max(high, db);
      }
    }
  }
  chartRange = Number.isFinite(low)
    ? [Math.floor(low / 20) * 20, Math.floor(high / 20) * 20 + 20]
    : [0, 160];
  drawChart();
  fillTable();
  $('chart').dataset.state = 'done';
}

// Runs slices for about a frame's worth of time, then gives the page back.
function chartSlices(run) {
  if (run !== chartRun)
    return;
  const until = performance.now() + 10;
  let more = true;
  while (more && performance.now() < until)
    more = call.chartStep() === 1;
  if (more) {
    setTimeout(() => chartSlices(run), 0);
  } else {
    finishChart();
  }
}

function startChart() {
  const run = ++chartRun;
  call.chartStart();
  chartShares = Array.from({ length: call.chartShareCount() }, (_, i) => call.chartShare(i));
  chartRange = [0, 160];
  $('chart').dataset.state = 'working';
  drawChart();
  fillTable();
  setTimeout(() => chartSlices(run), 0);
}

$('chart-legend').replaceChildren(...CHART_MODES.map(({ name, colour, dash }) => {
  const item = document.createElement('li');
  const swatch = svg('svg', { width: 28, height: 10, 'aria-hidden': 'true' });
  swatch.append(svg('line', { x1: 0, x2: 28, y1: 5, y2: 5, stroke: colour, 'stroke-width': 3,
                              'stroke-dasharray': dash }));
  item.append(swatch, ` ${name}`);
  return item;
}));
