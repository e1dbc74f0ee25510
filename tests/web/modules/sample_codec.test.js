// The bundled samples as the page stores them: PNG's filtered rows, read back byte for byte.
'use strict';
const assert = require('assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { test } = require('node:test');
const { filterRows, unfilterRows, decodeSample } = require('../../../web/page/sample-codec');

const sample = (name) => path.join(__dirname, '..', '..', '..', 'samples', `${name}.tga`);
const N = 512;

test('rows filtered by libpng (netpbm\'s pnmtopng), every filter among them, read back', () => {
  for (const name of ['testcard', 'scene']) {
    const file = fs.readFileSync(sample(name));
    const png = execFileSync('sh', ['-c', 'tgatoppm "$1" | ppmtopgm | pnmtopng', 'sh',
                                    sample(name)], { maxBuffer: 4 * N * N });
    const chunks = [];
    for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at))
      if (png.toString('latin1', at + 4, at + 8) === 'IDAT')
        chunks.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    const rows = zlib.inflateSync(Buffer.concat(chunks));
    const pixels = unfilterRows(Buffer.concat([file.subarray(0, 18), rows])).subarray(18);
    // PNG's rows run top to bottom, the sample's bottom to top.
    for (let r = 0; r < N; ++r)
      assert.ok(Buffer.from(pixels.subarray(r * N, (r + 1) * N))
        .equals(file.subarray(18 + (N - 1 - r) * N, 18 + (N - r) * N)), `${name}, row ${r}`);
  }
});

test('every filter, and the adaptive choice, gives the samples\' rows back exactly', async () => {
  const packed = (file, choice) => zlib.deflateSync(filterRows(file, choice));
  for (const name of ['testcard', 'scene']) {
    // The first rows; the page's own packing of the whole files is held to the desktop's
    // coefficients in the browser.
    const top = fs.readFileSync(sample(name)).subarray(0, 18 + N * 64);
    for (const choice of [0, 1, 2, 3, 4, 'adaptive']) {
      const text = packed(top, choice).toString('base64');
      assert.ok(Buffer.from(await decodeSample(text)).equals(top), `${name}, filter ${choice}`);
    }
  }
  // A photograph packs smaller with each row's best filter than with any one filter.
  const scene = fs.readFileSync(sample('scene')).subarray(0, 18 + N * 64);
  const sizes = [0, 1, 2, 3, 4].map((choice) => packed(scene, choice).length);
  assert.ok(packed(scene, 'adaptive').length < Math.min(...sizes), `${sizes}`);
});
