// The rate–distortion chart of the picture as opened: PSNR against the share kept, on a
// logarithmic axis, one curve a mode, and the same numbers in #chart-table. The core computes it
// in slices (RateDistortion.h), run between frames; a newly opened picture starts it over.
'use strict';
const { $, call } = require('./base');
const { show, whenChanged } = require('./controller');
const { PLOT, BAND, WORKING_RANGE, CURVE_STYLES, psnrText, xOf, yOf, rangeOf, ticksOf, markedShare,
  markOn, polyline, markerPath } = require('./chart-geometry');
const { inSlices } = require('./slices');

// In RateDistortion's order; their markers and dashes are CURVE_STYLES', in this order, so that
// no two differ by colour alone.
const CHART_MODES = [
  { name: 'plain non-standard', colour: '#7cc4ff' },
  { name: 'normalized non-standard', colour: '#ffd479' },
  { name: 'plain standard', colour: '#ff9e9e' },
  { name: 'normalized standard', colour: '#9be39b' },
  { name: 'orthonormal non-standard', colour: '#e0a0ff' },
  { name: 'orthonormal standard', colour: '#f2f2f2' },
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
  const rows = ticksOf(chartRange).map((db) => [yOf(db, chartRange), `${db}`]);
  rows.push([BAND.above, `> ${high}`], [BAND.infinity, '∞']);
  for (const [y, label] of rows) {
    chart.append(svg('line', { x1: PLOT.left, x2: PLOT.right, y1: y, y2: y, class: 'grid-line' }));
    chart.append(svg('text', { x: PLOT.left - 6, y: y + 4, 'text-anchor': 'end' }, label));
  }
  chart.append(svg('rect', { x: PLOT.left, y: BAND.infinity - 6, width: PLOT.right - PLOT.left,
                             height: BAND.above - BAND.infinity + 12, class: 'band' }));
  chart.dataset.yMin = low;
  chart.dataset.yMax = high;
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
  CHART_MODES.forEach(({ colour }, mode) => {
    const points = chartPoints(mode);
    if (points.length === 0)
      return;
    const { dash, marker } = CURVE_STYLES[mode];
    chart.append(svg('polyline', { points: polyline(points, chartRange), fill: 'none',
                                   stroke: colour, 'stroke-width': 2, 'stroke-dasharray': dash }));
    const markers = points.map(([share, db]) => markerPath(marker, xOf(share),
                                                           yOf(db, chartRange), 3.5));
    chart.append(svg('path', { d: markers.join(''), fill: 'none', stroke: colour,
                               'stroke-width': 1.5 }));
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
$('chart-legend').replaceChildren(...CHART_MODES.map(({ name, colour }, mode) => {
  const item = document.createElement('li');
  const { dash, marker } = CURVE_STYLES[mode];
  const swatch = svg('svg', { width: 32, height: 12, 'aria-hidden': 'true' });
  swatch.append(svg('line', { x1: 0, x2: 32, y1: 6, y2: 6, stroke: colour, 'stroke-width': 2,
                              'stroke-dasharray': dash }),
                svg('path', { d: markerPath(marker, 16, 6, 4), fill: 'none', stroke: colour,
                              'stroke-width': 1.5 }));
  item.append(swatch, ` ${name}`);
  return item;
}));

module.exports = { startChart, svg };
