// Long work in slices, the page given back between them.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { inSlices } = require('../../../web/page/slices');

test('slices keep to their budget, report progress, and stop once newer work takes over', async () => {
  let clock = 0;
  const log = [];
  let steps = 0;
  const options = { budget: 10, now: () => clock, later: (go) => { log.push('|'); go(); },
                    progress: () => log.push(`${steps}`) };
  const step = () => { clock += 3; return ++steps < 9; };
  assert.strictEqual(await inSlices(step, options), true);
  assert.deepStrictEqual(log, ['4', '|', '8', '|'], 'four 3 ms steps a 10 ms slice');
  assert.strictEqual(steps, 9);
  steps = 0;
  let current = true;
  const stopped = inSlices(() => { current = steps < 2; clock += 20; return ++steps < 9; },
                           { ...options, current: () => current });
  assert.strictEqual(await stopped, false);
  assert.strictEqual(steps, 3, 'no step once stopped');
});
