// The bundled samples as the page stores them decode to their TGA files byte for byte, whichever
// filter packed them.
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { test } = require('node:test');
const { filterRows, decodeSample } = require('../../../web/page/sample-codec');

test('every filter, and the adaptive choice, gives the samples\' rows back exactly', async () => {
  const packed = (file, choice) => zlib.deflateSync(filterRows(file, choice));
  const read = (name) =>
    fs.readFileSync(path.join(__dirname, '..', '..', '..', 'samples', `${name}.tga`));
  for (const name of ['testcard', 'scene']) {
    const file = read(name);
    // The first rows; the page's own packing of the whole files is held to the desktop's
    // coefficients in the browser.
    const top = file.subarray(0, 18 + 512 * 64);
    for (const choice of [0, 1, 2, 3, 4, 'adaptive']) {
      const text = packed(top, choice).toString('base64');
      assert.ok(Buffer.from(await decodeSample(text)).equals(top), `${name}, filter ${choice}`);
    }
  }
  // A photograph packs smaller with each row's best filter than with none.
  const scene = read('scene').subarray(0, 18 + 512 * 64);
  assert.ok(packed(scene, 'adaptive').length < 0.9 * packed(scene, 0).length);
});
