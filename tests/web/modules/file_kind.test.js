// What a file's first bytes say it is and how large its header says it is.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { pictureKind, headerSize } = require('../../../web/page/file-kind');

// Bytes from text and numbers, each number one byte.
const bytes = (...parts) => Uint8Array.from(parts.flatMap((p) =>
  (typeof p === 'string' ? [...Buffer.from(p, 'latin1')] : [p])));
const u32be = (v) => [v >>> 24, (v >>> 16) & 255, (v >>> 8) & 255, v & 255];
const u16le = (v) => [v & 255, v >> 8];
const u32le = (v) => [...u16le(v & 0xffff), ...u16le(v >>> 16)];
const zeros = (n) => Array(n).fill(0);
const utf8 = (text) => new TextEncoder().encode(text);
// A JPEG file: its start, then `segments`, then a frame header of `marker` for 300 × 20.
const jpeg = (marker, ...segments) =>
  bytes(0xff, 0xd8, ...segments, 0xff, marker, 0, 17, 8, 0, 20, 1, 44);
const avif = (boxSize, ...rest) => bytes(...u32be(boxSize), 'ftypmif1', ...rest);

test('each kind is known from its content and its header read; anything else is TGA', () => {
  const files = [
    ['PNG', bytes('\x89PNG\r\n\x1a\n', 0, 0, 0, 13, 'IHDR', ...u32be(30000), ...u32be(20)),
     [30000, 20]],
    // Fill bytes, markers without a length (one a second start), a reserved one with a length.
    ['JPEG', jpeg(0xc0, 0xff, 0xff, 0x01, 0xff, 0xd8, 0xff, 0xd0, 0xff, 0xb0, 0, 2, 0xff, 0xc4,
                  0, 2), [300, 20]],
    ['JPEG', jpeg(0xcf, 0xff, 0xc8, 0, 2, 0xff, 0xcc, 0, 2, 0xff, 0xd9, 0, 2), [300, 20]],
    ['GIF', bytes('GIF87a', ...u16le(640), ...u16le(480)), [640, 480]],
    ['WebP', bytes('RIFF', 0, 0, 0, 0, 'WEBPVP8X', ...zeros(8), 99, 0, 0, 199, 0, 0, 0),
     [100, 200]],
    ['WebP', bytes('RIFF', 0, 0, 0, 0, 'WEBPVP8L', 0, 0, 0, 0, 0x2f, ...u32le(99 | (199 << 14))),
     [100, 200]],
    ['WebP', bytes('RIFF', 0, 0, 0, 0, 'WEBPVP8 ', ...zeros(10), ...u16le(0xc000 | 100),
                   ...u16le(200)), [100, 200]],
    ['WebP', bytes('RIFF', 0, 0, 0, 0, 'WEBPALPH', ...zeros(20)), null],
    ['BMP', bytes('BM', ...zeros(12), ...u32le(40), ...u32le(300), ...u32le(-200)), [300, 200]],
    ['BMP', bytes('BM', ...zeros(12), ...u32le(12), ...u16le(70), ...u16le(80)), [70, 80]],
    ['AVIF', avif(20, 0, 0, 0, 0, 'avif', 'ispe', 0, 0, 0, 0, ...u32be(4000), ...u32be(3000)),
     [4000, 3000]],
    ['AVIF', avif(20, 0, 0, 0, 0, 'avis', ...zeros(24)), null],
    ['AVIF', bytes(0, 0, 0, 12, 'ftypavif'), null],
    ['SVG', utf8('\uFEFF<?xml version="1.0"?>\n\n<!-- a -->\n<!DOCTYPE svg>\n' +
                 '<svg:svg xmlns:svg="x">'), null],
    ['SVG', utf8('<svg>'), null],
    ['SVG', utf8(' <!----><!DOCTYPE svg><svg\n'), null],
    ['coded', bytes(0x89, 'OWC', 1, 3, 2, 0, 5, 2, 13, 0), null],
    ['TGA', bytes(0, 0, 3, ...zeros(9), 0, 2, 0, 3, 8, 0x20), [512, 768]],
    ['TGA', bytes(0, 0, 4, ...zeros(9), 0, 2, 0, 3, 8, 0x20), null],
  ];
  for (const [kind, file, size] of files) {
    assert.strictEqual(pictureKind(file), kind, `${kind}: ${file.subarray(0, 16)}`);
    assert.deepStrictEqual(headerSize(kind, file), size, `${kind}: ${file.subarray(0, 16)}`);
  }
  // One byte off a signature, or a text that is not an SVG drawing: TGA.
  const nearMisses = [
    bytes(0xff, 0xd8, 0xfe), bytes(0xff, 0xd9, 0xff), bytes(0x89, 'OWD'), bytes(0xfe, 0xd8, 0xff), bytes('GIF89b'),
    bytes('RIFF', 0, 0, 0, 0, 'WEBQ'), bytes('RIFX', 0, 0, 0, 0, 'WEBP'), bytes('BN'),
    avif(12, 'avif'), bytes(0, 0, 0, 20, 'ftyqavif', ...zeros(8)), bytes(0, 0, 0, 8, 'ftypavi'),
    utf8('<html><svg>'), utf8('<svgx>'), utf8('<?xml?><!-- a --><p><svg>'),
  ];
  for (const file of nearMisses)
    assert.strictEqual(pictureKind(file), 'TGA', Buffer.from(file).toString('latin1'));
});

test('a header cut short or lying tells nothing, and is never read past', () => {
  const cases = {
    PNG: [bytes('\x89PNG\r\n\x1a\n', 0, 0, 0, 13, 'IHDR', 1),
          bytes('\x89PNG\r\n\x1a\n', 0, 0, 0, 13, 'IDAT', ...zeros(8))],
    JPEG: [bytes(0xff, 0xd8, 0x00, 0xc0, 0, 17, 8, 0, 20, 1, 44, 3),
           jpeg(0xc0).subarray(0, 10), bytes(0xff, 0xd8, 0xff, 0xe0, 0, 2, ...zeros(6))],
    // 'ispe' only past the first 64 KiB.
    AVIF: [bytes(0, 0, 0, 12, 'ftypavif'), avif(20, 0, 0, 0, 0, 'avif', ...zeros(40)),
           bytes(0, 0, 0, 12, 'ftypavif', ...zeros(65536), 'ispe', ...zeros(12))],
  };
  for (const [kind, files] of Object.entries(cases))
    for (const file of files)
      assert.strictEqual(headerSize(kind, file), null, `${kind}: ${file.subarray(0, 16)}`);
});
