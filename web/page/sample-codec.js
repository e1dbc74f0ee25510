// How the bundled samples travel inside the page: each TGA file's 18-byte header as it is, then
// its pixel rows filtered as PNG filters them (one filter byte a row: none, left, up, average,
// Paeth), deflated with zlib and written in base 64. Decoding gives back the file byte for byte.
// assemble.js encodes at build time; the page decodes with the browser's own inflater.
'use strict';

const HEADER = 18;

const paeth = (left, up, corner) => {
  const p = left + up - corner;
  const [a, b, c] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
  return a <= b && a <= c ? left : b <= c ? up : corner;
};

// What filter `type` predicts for the byte at `i` of a row, given the row above and the bytes
// of this row already known.
function predict(type, row, above, i) {
  const left = i > 0 ? row[i - 1] : 0;
  const up = above ? above[i] : 0;
  switch (type) {
    case 1: return left;
    case 2: return up;
    case 3: return (left + up) >> 1;
    case 4: return paeth(left, up, i > 0 && above ? above[i - 1] : 0);
    default: return 0;
  }
}

const width = (file) => file[12] | (file[13] << 8);

// The file with its rows filtered: every row with filter `choice` (0–4), or with 'adaptive' the
// one whose residues are smallest, as PNG encoders guess.
function filterRows(file, choice) {
  const n = width(file);
  const rows = (file.length - HEADER) / n;
  const out = new Uint8Array(HEADER + rows * (n + 1));
  out.set(file.subarray(0, HEADER));
  for (let r = 0; r < rows; ++r) {
    const row = file.subarray(HEADER + r * n, HEADER + (r + 1) * n);
    const above = r > 0 ? file.subarray(HEADER + (r - 1) * n, HEADER + r * n) : null;
    const residues = [0, 1, 2, 3, 4].map((type) =>
      row.map((v, i) => v - predict(type, row, above, i)));
    const cost = (line) => line.reduce((sum, v) => sum + (v < 128 ? v : 256 - v), 0);
    const type = choice === 'adaptive'
      ? residues.reduce((best, line, t) => (cost(line) < cost(residues[best]) ? t : best), 0)
      : choice;
    out[HEADER + r * (n + 1)] = type;
    out.set(residues[type], HEADER + r * (n + 1) + 1);
  }
  return out;
}

// The file itself from its filtered rows.
function unfilterRows(filtered) {
  const n = width(filtered);
  const rows = (filtered.length - HEADER) / (n + 1);
  const file = new Uint8Array(HEADER + rows * n);
  file.set(filtered.subarray(0, HEADER));
  for (let r = 0; r < rows; ++r) {
    const type = filtered[HEADER + r * (n + 1)];
    const row = file.subarray(HEADER + r * n, HEADER + (r + 1) * n);
    const above = r > 0 ? file.subarray(HEADER + (r - 1) * n, HEADER + r * n) : null;
    const residues = filtered.subarray(HEADER + r * (n + 1) + 1, HEADER + (r + 1) * (n + 1));
    for (let i = 0; i < n; ++i)
      row[i] = residues[i] + predict(type, row, above, i);
  }
  return file;
}

// Bytes the page holds deflated, from their text: base 64 read by the platform's own decoder (a
// data: address), inflated as it streams.
async function inflate(base64) {
  const response = await fetch(`data:application/octet-stream;base64,${base64}`);
  const inflated = response.body.pipeThrough(new DecompressionStream('deflate'));
  return new Uint8Array(await new Response(inflated).arrayBuffer());
}

// A sample's TGA file from its text in the page.
const decodeSample = async (base64) => unfilterRows(await inflate(base64));

module.exports = { filterRows, unfilterRows, inflate, decodeSample };
