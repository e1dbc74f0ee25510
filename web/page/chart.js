// The rate–distortion chart of the picture as opened: PSNR against the share kept, on a
// logarithmic axis, one curve a mode, and the same numbers in #chart-table. The core computes it
// in slices (RateDistortion.h), run between frames; a newly opened picture starts it over.
'use strict';
const { $, call } = require('./base');
const { show, whenChanged } = require('./controller');
const { PLOT, WORKING_RANGE, psnrText, xOf, yOf, rangeOf, markedShare, markOn, polyline } =
  require('./chart-geometry');
const { inSlices } = require('./slices');

// In RateDistortion's order. No two curves share both dash and marker, so that they differ
// without their colours too.
const CHART_MODES = [
  { name: 'plain non-standard', colour: '#7cc4ff', dash: '', marker: '' },
  { name: 'normalized non-standard', colour: '#ffd479', dash: '2 3', marker: '' },
  { name: 'plain standard', colour: '#ff9e9e', dash: '6 4', marker: '' },
  { name: 'normalized standard', colour: '#9be39b', dash: '10 3 2 3', marker: '' },
  { name: 'orthonormal non-standard', colour: '#e0a0ff', dash: '', marker: 'circle' },
  { name: 'orthonormal standard', colour: '#f2f2f2', dash: '6 4', marker: 'square' },
];
const SVG_NS = 'http://www.w3.org/2000/svg';

// Each opening counts; the slices of an older one stop.
let chartRun = 0;
let chartShares = [];
let chartRange = WORKING_RANGE;

function svg(name, attributes, text) {
  const element = document.createElementNS(SVG_NS, name);
  for (const [key, value] of Object.entries(attributes))
    element.setAttribute(key, value);
  if (text !== undefined)
    element.textContent = text;
  return element;
}

const chartPoints = (mode) => chartShares.map((share, i) => [share, call.chartPsnr(mode, i)])
  .filter(([, db]) => !Number.isNaN(db));

function drawAxes(chart) {
  const [low, high] = chartRange;
  for (const share of [0.1, 1, 10, 100]) {
    const x = xOf(share);
    chart.append(svg('line', { x1: x, x2: x, y1: PLOT.top, y2: PLOT.bottom, class: 'grid-line' }));
    chart.append(svg('text', { x, y: PLOT.bottom + 16, 'text-anchor': 'middle' }, `${share} %`));
  }
  for (let db = low; db <= high; db += 20) {
    const y = yOf(db, chartRange);
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

// A curve's line: its dash, and its marker at every point (the legend's swatches use the
// markers defined in #chart).
function curve(points, { colour, dash, marker }, mode) {
  const line = svg('polyline', { points, fill: 'none', stroke: colour, 'stroke-width': 2,
                                 'stroke-dasharray': dash });
  if (marker !== '')
    for (const end of ['marker-start', 'marker-mid', 'marker-end'])
      line.setAttribute(end, `url(#chart-dot-${mode})`);
  return line;
}

function markerDefinitions() {
  const defs = svg('defs', {});
  CHART_MODES.forEach(({ colour, marker }, mode) => {
    if (marker === '')
      return;
    const shape = svg('marker', { id: `chart-dot-${mode}`, viewBox: '0 0 10 10', refX: 5, refY: 5,
                                  markerWidth: 7, markerHeight: 7, markerUnits: 'userSpaceOnUse' });
    shape.append(marker === 'circle' ? svg('circle', { cx: 5, cy: 5, r: 4, fill: colour })
                                     : svg('rect', { x: 1, y: 1, width: 8, height: 8, fill: 'none',
                                                     stroke: colour, 'stroke-width': 2 }));
    defs.append(shape);
  });
  return defs;
}

function drawChart() {
  const chart = $('chart');
  chart.replaceChildren(markerDefinitions());
  drawAxes(chart);
  CHART_MODES.forEach((style, mode) => {
    const points = chartPoints(mode);
    if (points.length > 0)
      chart.append(curve(polyline(points, chartRange), style, mode));
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

// What the mark was last drawn for, so that a key that changes neither redraws nothing.
let marked = '';

// The experiment set up now: the picture's mode (N and S) and the share in the Keep field.
function markChart() {
  const marker = document.getElementById('chart-marker');
  if (marker === null || call.mode() !== 0)
    return;
  const mode = call.chartMode();
  const share = markedShare(Number($('keep').value));
  if (`${mode} ${share} ${chartRun}` === marked && marker.hasChildNodes())
    return;
  marked = `${mode} ${share} ${chartRun}`;
  marker.replaceChildren();
  const x = xOf(share);
  marker.append(svg('line', { x1: x, x2: x, y1: PLOT.top, y2: PLOT.bottom, class: 'mark-line' }));
  const mark = markOn(chartPoints(mode), share, chartRange);
  if (mark !== null)
    marker.append(svg('circle', { cx: mark.x, cy: mark.y, r: 5, fill: 'none',
                                  stroke: CHART_MODES[mode].colour, 'stroke-width': 2.5 }));
  const where = mark?.exact != null ? `, where the chart gives ${psnrText(mark.exact)} dB` : '';
  show('chart-mark', `Marked: your experiment, ${CHART_MODES[mode].name} at ${share} %${where} ` +
       '(the Normalization and Arrangement lists, or N and S, choose the mode; the Keep field the ' +
       'share).');
}

function finishChart() {
  chartRange = rangeOf(CHART_MODES.map((_, mode) => chartPoints(mode)));
  drawChart();
  fillTable();
  $('chart').dataset.state = 'done';
}

function startChart() {
  const run = ++chartRun;
  call.chartStart();
  chartShares = Array.from({ length: call.chartShareCount() }, (_, i) => call.chartShare(i));
  chartRange = WORKING_RANGE;
  $('chart').dataset.state = 'working';
  drawChart();
  fillTable();
  setTimeout(async () => {
    if (await inSlices(() => call.chartStep() === 1, { current: () => run === chartRun }))
      finishChart();
  }, 0);
}

whenChanged(markChart);
$('keep').addEventListener('input', markChart);
$('chart-legend').replaceChildren(...CHART_MODES.map((style, mode) => {
  const item = document.createElement('li');
  const swatch = svg('svg', { width: 28, height: 10, 'aria-hidden': 'true' });
  swatch.append(curve('2,5 14,5 26,5', style, mode));
  item.append(swatch, ` ${style.name}`);
  return item;
}));

module.exports = { startChart, svg };
