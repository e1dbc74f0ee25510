// The chart's axes, band, curves and mark.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { PLOT, BAND, CURVE_STYLES, psnrText, xOf, yOf, rangeOf, ticksOf, markedShare, markOn,
        polyline, markerPath } = require('../../../web/page/chart-geometry');

const near = (a, b, what) => assert.ok(Math.abs(a - b) < 1e-9, `${what}: ${a}, want ${b}`);

test('shares lie on a logarithmic axis, PSNR on a linear one, ∞ and beyond in the band above',
     () => {
  near(xOf(0.1), PLOT.left, '0.1 %');
  near(xOf(100), PLOT.right, '100 %');
  near(xOf(Math.sqrt(10)), PLOT.left + (PLOT.right - PLOT.left) / 2, '√10 %, halfway');
  near(yOf(20, [20, 60]), PLOT.bottom, 'lowest');
  near(yOf(60, [20, 60]), BAND.axisTop, 'highest');
  near(yOf(50, [20, 60]), BAND.axisTop + (PLOT.bottom - BAND.axisTop) / 4, '50 of 20–60 dB');
  near(yOf(10, [20, 60]), PLOT.bottom, 'below the axis: its foot');
  assert.strictEqual(yOf(Infinity, [20, 60]), PLOT.top, '∞ on the top edge');
  assert.strictEqual(yOf(60.01, [20, 60]), BAND.above, 'beyond the axis');
  assert.ok(PLOT.top < BAND.above && BAND.above < BAND.axisTop, 'the band\'s lines apart');
  assert.strictEqual(polyline([[0.1, 20], [100, Infinity]], [20, 60]),
                     `${PLOT.left},${PLOT.bottom} ${PLOT.right},${PLOT.top}`);
  assert.deepStrictEqual([psnrText(Infinity), psnrText(NaN), psnrText(31.456)], ['∞', '…', '31.46']);
});

test('the axis spans the finite PSNRs below 100 %, widened to multiples of 5 dB', () => {
  // The 100 % points and ∞ do not stretch it.
  assert.deepStrictEqual(rangeOf([[[1, 21.5], [2, Infinity], [100, 142.6]], [[1, 48.2]], []]),
                         [20, 50]);
  assert.deepStrictEqual(rangeOf([[[0.1, 15]], [[99, 35]]]), [15, 35], 'already on multiples');
  assert.deepStrictEqual(rangeOf([[[1, -3.5]]]), [-5, 0]);
  assert.deepStrictEqual(rangeOf([[[1, 30]]]), [30, 35], 'a single value: one step');
  assert.deepStrictEqual(rangeOf([[[100, 140], [50, Infinity]], []]), [0, 50], 'nothing finite');
  assert.deepStrictEqual(ticksOf([20, 50]), [20, 25, 30, 35, 40, 45, 50]);
  assert.deepStrictEqual(ticksOf([20, 60]), [20, 25, 30, 35, 40, 45, 50, 55, 60]);
  assert.deepStrictEqual(ticksOf([15, 60]), [20, 30, 40, 50, 60], 'at most eight steps');
  assert.deepStrictEqual(ticksOf([-5, 145]), [0, 20, 40, 60, 80, 100, 120, 140]);
});

test('six curves, each with its own marker, told apart without colour', () => {
  // Each shape around its centre, (10, 20), within its radius, 4.
  assert.deepStrictEqual(CURVE_STYLES.map(({ marker }) => markerPath(marker, 10, 20, 4)), [
    'M6,20a4,4 0 1,0 8,0a4,4 0 1,0 -8,0Z', 'M6,16h8v8h-8Z', 'M10,16L14,24H6Z',
    'M10,16L14,20L10,24L6,20Z', 'M6,16L14,24M6,24L14,16', 'M6,20H14M10,16V24']);
  // Three dashes (solid among them), each an SVG dash array shared by a pair of curves, which
  // differ by marker.
  const dashes = CURVE_STYLES.map(({ dash }) => dash);
  assert.ok(dashes.includes('') && dashes.every((dash) => /^(\d+( \d+)+)?$/.test(dash)));
  const pairs = new Map();
  for (const { dash, marker } of CURVE_STYLES)
    pairs.set(dash, [...(pairs.get(dash) ?? []), marker]);
  assert.deepStrictEqual([...pairs.values()].map((markers) => new Set(markers).size), [2, 2, 2]);
  assert.strictEqual(markerPath('star', 10, 20, 4), '', 'no such marker: none');
});

test('the mark lies on the straight line between the computed shares around it', () => {
  const points = [[2, 20], [50, 40], [100, Infinity]];
  const range = [0, 60];
  const halfway = markOn(points, 10, range);
  near(halfway.y, yOf(30, range), 'halfway between 2 % and 50 % in log');
  assert.strictEqual(halfway.exact, null);
  assert.deepStrictEqual(markOn(points, 50, range), { x: xOf(50), y: yOf(40, range), exact: 40 });
  assert.strictEqual(markOn(points, 0.5, range).y, yOf(20, range), 'below the first: its PSNR');
  assert.strictEqual(markOn(points, 70, range).y, PLOT.top, 'towards ∞: the top edge');
  assert.strictEqual(markOn([[1, Infinity], [10, 40]], 5, range).y, PLOT.top, 'from ∞');
  assert.strictEqual(markOn([[10, Infinity]], 5, range).y, PLOT.top, 'below a lone ∞');
  assert.strictEqual(markOn(points.slice(0, 2), 70, range), null, 'beyond the last');
  assert.deepStrictEqual([markedShare(5), markedShare(0), markedShare(NaN), markedShare(0.01),
                          markedShare(300)], [5, 0.1, 0.1, 0.1, 100]);
});
