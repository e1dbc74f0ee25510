// The bundled samples as the page stores them decode to their TGA files byte for byte, whichever
// filter packed them.
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { test } = require('node:test');
const { filterRows, unfilterRows, decodeSample } = require('../../../web/page/sample-codec');

test('every filter, and the adaptive choice, gives each sample back exactly', async () => {
  for (const name of ['testcard', 'scene']) {
    const file = fs.readFileSync(path.join(__dirname, '..', '..', '..', 'samples', `${name}.tga`));
    for (const choice of [0, 1, 2, 3, 4, 'adaptive']) {
      const filtered = filterRows(file, choice);
      assert.strictEqual(filtered.length, file.length + 512, `${name}, ${choice}: a byte a row`);
      const text = zlib.deflateSync(filtered).toString('base64');
      assert.ok(Buffer.from(await decodeSample(text)).equals(file), `${name}, filter ${choice}`);
    }
  }
});

test('rows are predicted from their neighbours, and a damaged stream is refused', () => {
  // A 3 × 2 picture: header, then each row's filter byte and residues.
  const header = Array(18).fill(0);
  header[12] = 3;
  const file = Uint8Array.from([...header, 10, 20, 250, 30, 5, 100]);
  const rows = (choice) => [...filterRows(file, choice).subarray(18)];
  assert.deepStrictEqual(rows(1), [1, 10, 10, 230, 1, 30, 231, 95]);
  assert.deepStrictEqual(rows(2), [2, 10, 20, 250, 2, 20, 241, 106]);
  assert.deepStrictEqual(rows(3), [3, 10, 15, 240, 3, 25, 236, 229]);
  assert.deepStrictEqual(rows(4), [4, 10, 10, 230, 4, 20, 231, 106]);
  assert.deepStrictEqual(rows('adaptive').filter((_, i) => i % 4 === 0), [0, 3]);
  for (const choice of [0, 1, 2, 3, 4, 'adaptive'])
    assert.deepStrictEqual(unfilterRows(filterRows(file, choice)), file, `filter ${choice}`);
  const bad = filterRows(file, 0);
  bad[22] = 5;
  assert.throws(() => unfilterRows(bad), /row 1 has no filter 5/);
  assert.throws(() => unfilterRows(bad.subarray(0, 25)), /do not fit 7 bytes/);
});
