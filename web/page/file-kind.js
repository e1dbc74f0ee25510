// What kind of picture a file holds and how large it says it is, from its first bytes alone:
// never from its name, and before any decoding, so that a bomb is refused from its header.
'use strict';

const ascii = (bytes, from, to) => String.fromCharCode(...bytes.subarray(from, to));

function isSvg(bytes) {
  // The decoder drops a byte order mark.
  const head = new TextDecoder().decode(bytes.subarray(0, 65536));
  // The root may carry a namespace prefix: <svg:svg xmlns:svg="…">.
  return /^\s*(<\?xml[^>]*\?>\s*)?(<!--[\s\S]*?-->\s*|<!DOCTYPE[^>]*>\s*)*<([\w.-]+:)?svg[\s>]/i
    .test(head);
}

// 'PNG', 'JPEG', 'GIF', 'WebP', 'BMP', 'AVIF', 'SVG' or 'coded' (the wavelet coder's stream,
// docs/codec-format.md); anything else is taken for 'TGA', whose files have no signature.
function pictureKind(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (bytes[0] === 0x89 && ascii(bytes, 1, 4) === 'OWC')
    return 'coded';
  if (ascii(bytes, 0, 8) === '\x89PNG\r\n\x1a\n')
    return 'PNG';
  if (bytes[0] === 0xff && bytes[1] === 0xd8 && bytes[2] === 0xff)
    return 'JPEG';
  if (/^GIF8[79]a$/.test(ascii(bytes, 0, 6)))
    return 'GIF';
  if (ascii(bytes, 0, 4) === 'RIFF' && ascii(bytes, 8, 12) === 'WEBP')
    return 'WebP';
  if (ascii(bytes, 0, 2) === 'BM')
    return 'BMP';
  if (bytes.length >= 12 && ascii(bytes, 4, 8) === 'ftyp' &&
      /avi[fs]/.test(ascii(bytes, 8, Math.min(bytes.length, view.getUint32(0)))))
    return 'AVIF';
  if (isSvg(bytes))
    return 'SVG';
  return 'TGA';
}

// The first frame marker of a JPEG file, past any fill bytes and the markers without a length;
// its header ends 9 bytes after the marker's 0xff.
function jpegSize(bytes, view) {
  for (let i = 2; i + 9 <= bytes.length;) {
    if (bytes[i] !== 0xff)
      return null;
    const marker = bytes[i + 1];
    if (marker === 0xff || marker === 0x01 || (marker >= 0xd0 && marker <= 0xd8)) {
      i += marker === 0xff ? 1 : 2;
    } else if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker)) {
      return [view.getUint16(i + 7), view.getUint16(i + 5)];
    } else {
      i += 2 + view.getUint16(i + 2);
    }
  }
  return null;
}

function webpSize(bytes, view) {
  const chunk = ascii(bytes, 12, 16);
  if (chunk === 'VP8X')
    return [1 + (view.getUint32(24, true) & 0xffffff), 1 + (view.getUint32(27, true) & 0xffffff)];
  if (chunk === 'VP8L') {
    const bits = view.getUint32(21, true);
    return [(bits & 0x3fff) + 1, ((bits >>> 14) & 0x3fff) + 1];
  }
  return chunk === 'VP8 ' ? [view.getUint16(26, true) & 0x3fff, view.getUint16(28, true) & 0x3fff]
    : null;
}

// [width, height] from the file's header, before any decoding; null where it cannot tell.
function headerSize(kind, bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  try {
    switch (kind) {
      case 'PNG':
        return ascii(bytes, 12, 16) === 'IHDR' ? [view.getUint32(16), view.getUint32(20)] : null;
      case 'GIF':
        return [view.getUint16(6, true), view.getUint16(8, true)];
      case 'BMP':
        return view.getUint32(14, true) === 12
          ? [view.getUint16(18, true), view.getUint16(20, true)]
          : [Math.abs(view.getInt32(18, true)), Math.abs(view.getInt32(22, true))];
      case 'WebP':
        return webpSize(bytes, view);
      case 'JPEG':
        return jpegSize(bytes, view);
      case 'TGA':
        // Only where byte 2 names a TGA image type: anything else is sniffed as TGA too.
        return [1, 2, 3, 9, 10, 11].includes(bytes[2])
          ? [view.getUint16(12, true), view.getUint16(14, true)] : null;
      case 'AVIF': {
        const at = ascii(bytes, 0, Math.min(bytes.length, 65536)).indexOf('ispe');
        return at < 0 ? null : [view.getUint32(at + 8), view.getUint32(at + 12)];
      }
      default:
        return null;
    }
  } catch {
    // A header cut short says nothing.
    return null;
  }
}

module.exports = { pictureKind, headerSize };
