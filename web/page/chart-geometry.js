// Where the rate–distortion chart puts things: shares on a logarithmic axis from 0.1 % to 100 %,
// PSNR on a linear one, ∞ on the top edge, inside the 480 × 300 view box.
'use strict';

const PLOT = { left: 48, right: 456, top: 14, bottom: 262 };
// The axis while the chart is computed, before its numbers fix it.
const WORKING_RANGE = [0, 160];

const psnrText = (db) => (db === Infinity ? '∞' : Number.isNaN(db) ? '…' : db.toFixed(2));

const xOf = (share) => PLOT.left + (Math.log10(share) + 1) / 3 * (PLOT.right - PLOT.left);

// `range` is [lowest, highest] dB.
function yOf(db, [low, high]) {
  const v = Math.min(db, high);
  return PLOT.bottom - (v - low) / (high - low) * (PLOT.bottom - PLOT.top);
}

// The axis that holds every finite PSNR of `curves` (lists of [share, db]), in steps of 20 dB with
// a step to spare above for ∞.
function rangeOf(curves) {
  const finite = curves.flat().map(([, db]) => db).filter(Number.isFinite);
  if (finite.length === 0)
    return WORKING_RANGE;
  const step = (db) => Math.floor(db / 20) * 20;
  return [step(Math.min(...finite)), step(Math.max(...finite)) + 20];
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

module.exports = {
  PLOT, WORKING_RANGE, psnrText, xOf, yOf, rangeOf, markedShare, markOn, polyline,
};
