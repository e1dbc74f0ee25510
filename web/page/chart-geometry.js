// Where the rate–distortion chart puts things, inside the 480 × 300 view box: shares on a
// logarithmic axis from 0.1 % to 100 %, PSNR on a linear one that spans the values worth
// reading, and above it a band for what would squeeze them: ∞ on its top line, and on the line
// below it the finite values beyond the axis (at 100 % only float rounding is left, near 140 dB).
'use strict';

const PLOT = { left: 48, right: 456, top: 14, bottom: 262 };
const BAND = { infinity: PLOT.top, above: PLOT.top + 18, axisTop: PLOT.top + 40 };
// The axis while the chart is computed, before its numbers fix it.
const WORKING_RANGE = [0, 50];
// Each curve its own marker, and pairs of them their own dash, so that none is told apart by
// colour alone.
const CURVE_STYLES = [
  { dash: '', marker: 'circle' },
  { dash: '', marker: 'square' },
  { dash: '6 4', marker: 'triangle' },
  { dash: '6 4', marker: 'diamond' },
  { dash: '2 3', marker: 'cross' },
  { dash: '2 3', marker: 'plus' },
];

const psnrText = (db) => (db === Infinity ? '∞' : Number.isNaN(db) ? '…' : db.toFixed(2));

const xOf = (share) => PLOT.left + (Math.log10(share) + 1) / 3 * (PLOT.right - PLOT.left);

// `range` is [lowest, highest] dB of the axis.
function yOf(db, [low, high]) {
  if (db === Infinity)
    return BAND.infinity;
  if (db > high)
    return BAND.above;
  const v = Math.max(db, low);
  return PLOT.bottom - (v - low) / (high - low) * (PLOT.bottom - BAND.axisTop);
}

// The axis: the finite PSNRs of `curves` (lists of [share, db]) at shares below 100 %, widened to
// multiples of 5 dB.
function rangeOf(curves) {
  const finite = curves.flat().filter(([share, db]) => share < 100 && Number.isFinite(db))
    .map(([, db]) => db);
  if (finite.length === 0)
    return WORKING_RANGE;
  const low = Math.floor(Math.min(...finite) / 5) * 5;
  // + 0: no -0 on the axis.
  const high = Math.ceil(Math.max(...finite) / 5) * 5 + 0;
  return [low, high > low ? high : low + 5];
}

// The labelled values of the axis: multiples of the first step that cuts it into at most eight.
function ticksOf([low, high]) {
  const step = [5, 10, 20, 50, 100].find((s) => (high - low) / s <= 8) ?? 200;
  const ticks = [];
  for (let db = Math.ceil(low / step) * step + 0; db <= high; db += step)
    ticks.push(db);
  return ticks;
}

// The share a typed percentage marks: within the axis, its left end for nothing sensible.
const markedShare = (typed) => Math.min(100, Math.max(0.1, typed > 0 ? typed : 0.1));

// Where the mark for `share` sits on `points` ([share, db], shares rising): on the straight line
// the chart draws between the two computed shares around it, and the PSNR when `share` is one of
// them. Null beyond the last point.
function markOn(points, share, range) {
  const after = points.findIndex(([s]) => s >= share);
  if (after < 0)
    return null;
  const [s1, d1] = points[after];
  const [s0, d0] = points[Math.max(0, after - 1)];
  const t = s1 === s0 ? 1
    : (Math.log10(share) - Math.log10(s0)) / (Math.log10(s1) - Math.log10(s0));
  const y = d0 === Infinity || d1 === Infinity ? yOf(Infinity, range)
    : yOf(d0 + t * (d1 - d0), range);
  return { x: xOf(share), y, exact: s1 === share ? d1 : null };
}

// The polyline of one curve, as SVG's points attribute.
const polyline = (points, range) =>
  points.map(([share, db]) => `${xOf(share)},${yOf(db, range)}`).join(' ');

// A marker of radius `r` centred on (x, y), as an SVG path.
function markerPath(marker, x, y, r) {
  switch (marker) {
    case 'circle': return `M${x - r},${y}a${r},${r} 0 1,0 ${2 * r},0a${r},${r} 0 1,0 ${-2 * r},0Z`;
    case 'square': return `M${x - r},${y - r}h${2 * r}v${2 * r}h${-2 * r}Z`;
    case 'triangle': return `M${x},${y - r}L${x + r},${y + r}H${x - r}Z`;
    case 'diamond': return `M${x},${y - r}L${x + r},${y}L${x},${y + r}L${x - r},${y}Z`;
    case 'cross': return `M${x - r},${y - r}L${x + r},${y + r}M${x - r},${y + r}L${x + r},${y - r}`;
    case 'plus': return `M${x - r},${y}H${x + r}M${x},${y - r}V${y + r}`;
    default: return '';
  }
}

module.exports = {
  PLOT, BAND, WORKING_RANGE, CURVE_STYLES, psnrText, xOf, yOf, rangeOf, ticksOf, markedShare,
  markOn, polyline, markerPath,
};
