// Long work in slices, the page given back between them.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { inSlices } = require('../../../web/page/slices');

test('slices keep to their budget, report progress, and stop once newer work takes over',
     async () => {
  let clock = 0;
  const log = [];
  let steps = 0;
  const options = { budget: 9, now: () => clock, later: (go) => { log.push('|'); go(); },
                    progress: () => log.push(`${steps}`) };
  const step = () => { clock += 3; return ++steps < 9; };
  assert.strictEqual(await inSlices(step, options), true);
  assert.deepStrictEqual(log, ['3', '|', '6', '|'], 'three 3 ms steps a 9 ms slice');
  assert.strictEqual(steps, 9);
  steps = 0;
  let current = true;
  const stopped = inSlices(() => { current = steps < 2; clock += 20; return ++steps < 9; },
                           { ...options, current: () => current });
  assert.strictEqual(await stopped, false);
  assert.strictEqual(steps, 3, 'no step once stopped');
});

test('by default, slices of the page\'s own clock between its tasks', { timeout: 10000 },
     async () => {
  let steps = 0;
  // 6 ms a step: two slices at least.
  const step = () => {
    const start = performance.now();
    while (performance.now() - start < 6);
    return ++steps < 4;
  };
  let progressed = 0;
  assert.strictEqual(await inSlices(step, { progress: () => ++progressed }), true);
  assert.ok(steps === 4 && progressed >= 1, `${steps} steps, ${progressed} pauses`);
});
