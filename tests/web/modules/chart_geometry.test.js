// The chart's axes, curves and mark.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { PLOT, psnrText, xOf, yOf, rangeOf, markedShare, markOn, polyline } =
  require('../../../web/page/chart-geometry');

const near = (a, b, what) => assert.ok(Math.abs(a - b) < 1e-9, `${what}: ${a}, want ${b}`);

test('shares lie on a logarithmic axis, PSNR on a linear one with ∞ on the top edge', () => {
  near(xOf(0.1), PLOT.left, '0.1 %');
  near(xOf(100), PLOT.right, '100 %');
  near(xOf(Math.sqrt(10)), PLOT.left + (PLOT.right - PLOT.left) / 2, '√10 %, halfway');
  near(yOf(20, [20, 60]), PLOT.bottom, 'lowest');
  near(yOf(50, [20, 60]), PLOT.top + (PLOT.bottom - PLOT.top) / 4, '50 of 20–60 dB');
  near(yOf(Infinity, [20, 60]), PLOT.top, '∞');
  assert.strictEqual(polyline([[0.1, 20], [100, Infinity]], [20, 60]),
                     `${PLOT.left},${PLOT.bottom} ${PLOT.right},${PLOT.top}`);
  assert.deepStrictEqual([psnrText(Infinity), psnrText(NaN), psnrText(31.456)], ['∞', '…', '31.46']);
});

test('the axis holds every finite PSNR in steps of 20 dB, with a step above for ∞', () => {
  assert.deepStrictEqual(rangeOf([[[1, 21.5], [2, Infinity]], [[1, 59.9]], []]), [20, 60]);
  assert.deepStrictEqual(rangeOf([[[1, 40]], [[5, 79.99]]]), [40, 80]);
  assert.deepStrictEqual(rangeOf([[[1, -3]]]), [-20, 0]);
  assert.deepStrictEqual(rangeOf([[[100, Infinity]], []]), [0, 160], 'nothing finite');
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
