// What a file's first bytes say it is and how large its header says it is.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { pictureKind, headerSize } = require('../../../web/page/file-kind');

// Bytes from ASCII text and numbers, each number one byte.
const bytes = (...parts) => Uint8Array.from(parts.flatMap((p) =>
  (typeof p === 'string' ? [...p].map((c) => c.charCodeAt(0)) : [p])));
const u32be = (v) => [v >>> 24, (v >>> 16) & 255, (v >>> 8) & 255, v & 255];
const u16le = (v) => [v & 255, v >> 8];
const u32le = (v) => [...u16le(v & 0xffff), ...u16le(v >>> 16)];

test('each signature is known from the content alone, anything else is taken for TGA', () => {
  const kinds = {
    PNG: bytes('\x89PNG\r\n\x1a\n', 0, 0, 0, 13, 'IHDR', ...u32be(30000), ...u32be(20)),
    JPEG: bytes(0xff, 0xd8, 0xff, 0xff, 0x01, 0xff, 0xd0, 0xff, 0xe0, 0, 4, 0, 0,
                0xff, 0xc4, 0, 2, 0xff, 0xc2, 0, 17, 8, 0, 20, 1, 44, 3, 0, 0, 0),
    GIF: bytes('GIF89a', ...u16le(640), ...u16le(480)),
    WebP: bytes('RIFF', 0, 0, 0, 0, 'WEBPVP8X', 0, 0, 0, 0, 0, 0, 0, 0, 99, 0, 0, 199, 0, 0, 0),
    BMP: bytes('BM', ...Array(12).fill(0), ...u32le(40), ...u32le(300), ...u32le(-200)),
    AVIF: bytes(0, 0, 0, 20, 'ftypavif', 0, 0, 0, 0, 'mif1', 0, 0, 0, 0, 'ispe', 0, 0, 0, 0,
                ...u32be(4000), ...u32be(3000)),
    SVG: new TextEncoder().encode('\uFEFF<?xml version="1.0"?><!-- a -->\n<!DOCTYPE svg>' +
                                  '<svg:svg xmlns:svg="x">'),
    TGA: bytes(0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 8, 0x20),
  };
  const sizes = { PNG: [30000, 20], JPEG: [300, 20], GIF: [640, 480], WebP: [100, 200],
                  BMP: [300, 200], AVIF: [4000, 3000], SVG: null, TGA: null };
  for (const [kind, file] of Object.entries(kinds)) {
    assert.strictEqual(pictureKind(file), kind);
    assert.deepStrictEqual(headerSize(kind, file), sizes[kind], kind);
  }
  assert.strictEqual(pictureKind(bytes('<html><svg>')), 'TGA', 'an svg inside html is no SVG');
  assert.strictEqual(pictureKind(bytes(0, 0, 0, 12, 'ftypheic', 0, 0, 0, 0)), 'TGA');
});

test('the other header forms, and headers cut short, which tell nothing', () => {
  const webp = (chunk, ...rest) => bytes('RIFF', 0, 0, 0, 0, 'WEBP', chunk, ...rest);
  assert.deepStrictEqual(headerSize('WebP', webp('VP8L', 0, 0, 0, 0, 0x2f,
                                                 ...u32le(99 | (199 << 14)))), [100, 200]);
  assert.deepStrictEqual(headerSize('WebP', webp('VP8 ', ...Array(10).fill(0),
                                                 ...u16le(0xc000 | 100), ...u16le(200))), [100, 200]);
  assert.strictEqual(headerSize('WebP', webp('ALPH', ...Array(20).fill(0))), null);
  assert.deepStrictEqual(headerSize('BMP', bytes('BM', ...Array(12).fill(0), ...u32le(12),
                                                 ...u16le(70), ...u16le(80))), [70, 80]);
  assert.strictEqual(headerSize('PNG', bytes('\x89PNG\r\n\x1a\n', 0, 0, 0, 13, 'IHDR', 1)), null);
  assert.strictEqual(headerSize('PNG', bytes('\x89PNG\r\n\x1a\n', 0, 0, 0, 13, 'IDAT',
                                             ...Array(8).fill(1))), null);
  assert.strictEqual(headerSize('JPEG', bytes(0xff, 0xd8, 0x00, ...Array(12).fill(0))), null);
  assert.strictEqual(headerSize('JPEG', bytes(0xff, 0xd8, 0xff, 0xe0, 0, 2, ...Array(6).fill(0))),
                     null, 'no frame before the end');
  assert.strictEqual(headerSize('AVIF', bytes(0, 0, 0, 12, 'ftypavif')), null);
});
