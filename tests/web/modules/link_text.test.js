// The link's text on the page's side and when the address is written.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { fragmentText, replayNotes, writtenLater } = require('../../../web/page/link-text');

test('a fragment is read percent-decoded, a stray % as it is', () => {
  assert.strictEqual(fragmentText('do=F%2Cf&view=kept'), 'do=F,f&view=kept');
  assert.strictEqual(fragmentText('do=keep:5%&x'), 'do=keep:5%&x');
});

test('a replayed link names what it did not do, in one sentence', () => {
  assert.strictEqual(replayNotes({}), '');
  assert.strictEqual(replayNotes({ noSample: true, refused: ['f', 'zap'], ignored: ['v=1'] }),
                     'From the link: no picture: the link names no sample, so its commands ran ' +
                     'on the test card; ignored “do: f”, “do: zap”, which this array does not ' +
                     'have; ignored “v=1”.');
  assert.strictEqual(replayNotes({ grid: 'Row 1: x' }), 'From the link: the grid (Row 1: x).');
});

test('the address is written once for many commands, within the delay, or at once', (t) => {
  t.mock.timers.enable({ apis: ['setTimeout'] });
  const writes = [];
  const address = writtenLater(() => writes.push(writes.length) && `#${writes.length}`, 300);
  address.soon();
  t.mock.timers.tick(100);
  address.soon();
  address.soon();
  t.mock.timers.tick(199);
  assert.deepStrictEqual(writes, []);
  t.mock.timers.tick(1);
  assert.deepStrictEqual(writes, [0], 'once, 300 ms after the first');
  t.mock.timers.tick(300);
  assert.deepStrictEqual(writes, [0], 'and only once');
  address.soon();
  assert.strictEqual(address.now(), '#2');
  t.mock.timers.tick(1000);
  assert.deepStrictEqual(writes, [0, 1], 'written now, the pending write dropped');
});
