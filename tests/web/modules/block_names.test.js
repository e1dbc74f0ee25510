// The blocks' short names, as the picture's labels write them.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { shortName } = require('../../../web/page/block-names');

test('each name the core gives has its own short name; no name, no label', () => {
  const names = {
    'average': 'A',
    'not transformed yet': '–',
    'a mix of two blocks (the passes were made half a level apart)': 'mix',
    'level 1 row detail (vertical edges)': 'V1',
    'level 12 column detail (horizontal edges)': 'H12',
    'level 3 diagonal detail': 'D3',
    'row level 10 detail × column level 12 average': 'R10d C12a',
    'rows not transformed × column level 1 detail': 'R– C1d',
    'row level 9 average × columns not transformed': 'R9a C–',
    // Only whole names the core gives.
    '': '',
    'level 3 diagonal': '',
    'see level 3 diagonal detail': '',
    'a row level 1 detail × column level 1 detail': '',
    'row level 1 detail × column level 1 detail too': '',
  };
  for (const [name, short] of Object.entries(names))
    assert.strictEqual(shortName(name), short, name);
});
