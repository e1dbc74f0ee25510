// Opening pictures. The kind comes from the file's first bytes, never from its name: PNG, JPEG,
// GIF, WebP, BMP and AVIF go to the browser's decoder, SVG (known by its text) through an image
// element, the wavelet coder's streams to its decoder, anything else to the TGA reader. A 512 × 512 grey TGA file goes to the viewer as it
// is; any other picture is laid on white where it is transparent, cut to its centred square,
// scaled to 512 × 512 and turned grey. #picture-name says which picture is shown and what was
// done to it on the way in. A refusal changes nothing but the message; of two opens under way,
// the later one wins.
'use strict';
const { $, call, heapBytes } = require('./base');
const { say, update } = require('./controller');
const { pictureKind, headerSize } = require('./file-kind');
const { decodeSample } = require('./sample-codec');
const { setMode } = require('./numbers');
const { startChart } = require('./chart');
const SAMPLES = require('./samples');

const SIDE = 512;
// Enough of a file's start to tell its kind and, for every kind but SVG, its size.
const HEAD = 1 << 20;

class Refusal extends Error {}

// The ITU-R 601-2 luma of the pixel at `p` of RGBA bytes, in Pillow's integer form.
const luma = (rgba, p) => (19595 * rgba[p] + 38470 * rgba[p + 1] + 7471 * rgba[p + 2] + 32768) >>> 16;

function refuseAbove(name, width, height) {
  if (width * height > call.maxPixels())
    throw new Refusal(`Orlinde: ${name} is ${width} × ${height} pixels, more than ` +
                      `${call.maxPixels() / 1e6} megapixels.`);
}

// Lays `source` (width × height) on white, cuts the centred square, scales it to SIDE × SIDE
// and takes the ITU-R 601-2 luma in Pillow's integer form, so that an opaque grey SIDE × SIDE
// picture comes in unchanged. Returns the grey bytes and, in words, what was done.
function greyOf(source, width, height) {
  const side = Math.min(width, height);
  const canvas = document.createElement('canvas');
  canvas.width = SIDE;
  canvas.height = SIDE;
  const context = canvas.getContext('2d', { colorSpace: 'srgb', willReadFrequently: true });
  context.imageSmoothingQuality = 'high';
  context.drawImage(source, (width - side) >> 1, (height - side) >> 1, side, side,
                    0, 0, SIDE, SIDE);
  const transparent = context.getImageData(0, 0, SIDE, SIDE).data.some((v, i) => i % 4 === 3 && v < 255);
  if (transparent) {
    context.globalCompositeOperation = 'destination-over';
    context.fillStyle = '#fff';
    context.fillRect(0, 0, SIDE, SIDE);
  }
  const rgba = context.getImageData(0, 0, SIDE, SIDE).data;
  const grey = new Uint8Array(SIDE * SIDE);
  let colour = false;
  for (let i = 0; i < SIDE * SIDE; ++i) {
    const p = 4 * i;
    colour ||= rgba[p] !== rgba[p + 1] || rgba[p + 1] !== rgba[p + 2];
    grey[i] = luma(rgba, p);
  }
  const steps = [];
  if (transparent)
    steps.push('laid on white where transparent');
  if (width !== height)
    steps.push(`cut to its centred ${side} × ${side} square`);
  if (side !== SIDE)
    steps.push(`scaled to ${SIDE} × ${SIDE}`);
  steps.push(colour ? 'turned grey' : 'already grey');
  return { grey, done: `${width} × ${height}, ${steps.join(', ')}` };
}

const bitmapOptions = { colorSpaceConversion: 'none', premultiplyAlpha: 'none' };

async function decodeByBrowser(bytes, kind, name) {
  let bitmap;
  try {
    bitmap = await createImageBitmap(new Blob([bytes]), bitmapOptions);
  } catch {
    throw new Refusal(`Orlinde: the browser cannot decode ${name} as a ${kind} picture.`);
  }
  try {
    refuseAbove(name, bitmap.width, bitmap.height);
    return greyOf(bitmap, bitmap.width, bitmap.height);
  } finally {
    bitmap.close();
  }
}

// An SVG is drawn at its own size, or at SIDE × SIDE when it has none.
async function decodeSvg(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'image/svg+xml' }));
  try {
    const image = new Image();
    image.src = url;
    try {
      await image.decode();
    } catch {
      throw new Refusal(`Orlinde: the browser cannot draw ${name} as an SVG picture.`);
    }
    // A browser gives a drawing without a width or height of its own some size of its own choice.
    const root = new DOMParser().parseFromString(new TextDecoder().decode(bytes), 'image/svg+xml')
      .documentElement;
    const own = ['width', 'height'].some((a) => /^\s*[\d.]+\s*[a-z]*\s*$/i.test(root.getAttribute(a) ?? ''));
    const [width, height] = own ? [image.naturalWidth, image.naturalHeight] : [SIDE, SIDE];
    refuseAbove(name, width, height);
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.getContext('2d').drawImage(image, 0, 0, width, height);
    const { grey, done } = greyOf(canvas, width, height);
    const drawn = own ? 'drawn at its own size,' : 'without a size of its own, drawn at';
    return { grey, done: `an SVG ${drawn} ${done}` };
  } finally {
    URL.revokeObjectURL(url);
  }
}

// Any TGA file the reader reads, of any size, grey or colour, taken like any other picture.
async function decodeTga(bytes) {
  const refusal = call.tgaRead(bytes);
  if (refusal)
    throw new Refusal(refusal);
  const [width, height] = [call.tgaWidth(), call.tgaHeight()];
  const rgba = new Uint8ClampedArray(heapBytes(call.tgaRgba(), 4 * width * height));
  const bitmap = await createImageBitmap(new ImageData(rgba, width, height), bitmapOptions);
  try {
    const { grey, done } = greyOf(bitmap, width, height);
    return { grey, done: `a TGA file, ${done}` };
  } finally {
    bitmap.close();
  }
}

// A coded stream, or any prefix of one, decoded by the core; a damaged one is refused with the
// decoder's message.
async function decodeCoded(bytes) {
  const refusal = call.codedRead(bytes);
  if (refusal)
    throw new Refusal(refusal);
  const n = call.codedSize();
  const rgba = new Uint8ClampedArray(heapBytes(call.codedRgba(), 4 * n * n));
  const bitmap = await createImageBitmap(new ImageData(rgba, n, n), bitmapOptions);
  try {
    const { grey, done } = greyOf(bitmap, n, n);
    return { grey, done: `a ${call.codedWavelet()} coded stream of ${bytes.length} bytes, ${done}` };
  } finally {
    bitmap.close();
  }
}

// Hands a grey TGA file's bytes to the viewer's picture, then shows it and starts the chart; on
// refusal returns the desktop's message and keeps everything as it was.
function openTga(bytes, name) {
  const refusal = call.open(bytes);
  if (refusal)
    return refusal;
  $('picture-name').textContent = `Shown: ${name}.`;
  setMode(0);
  startChart();
  return null;
}

// The picker then names no sample, so that choosing either opens it again, and the link says it
// holds no picture.
function shownFile() {
  $('sample').selectedIndex = -1;
  update();
}

// The bundled sample shown, or '' for an opened file, which no link can carry.
const shownSample = () => ($('sample').selectedIndex >= 0 ? $('sample').value : '');

// Each open counts; an older one still under way drops its result. body's data-opening says how
// many are under way, for scripts.
let openRun = 0;
let opening = 0;

async function openFile(file) {
  const run = ++openRun;
  document.body.dataset.opening = ++opening;
  const { name } = file;
  const working = setTimeout(() => {
    $('busy').textContent = `Opening ${name}…`;
    $('busy').hidden = false;
  }, 100);
  try {
    // Refused from its size or its header, a file is never read whole.
    if (file.size > call.maxFileBytes())
      throw new Refusal(`Orlinde: ${name} is ${file.size} bytes, more than any picture of at most ` +
                        `${call.maxPixels() / 1e6} megapixels needs.`);
    const head = new Uint8Array(await file.slice(0, HEAD).arrayBuffer());
    const kind = pictureKind(head);
    const notTga = kind === 'TGA' ? call.tgaHeader(head) : null;
    if (notTga)
      throw new Refusal(notTga);
    const size = headerSize(kind, head);
    if (size !== null)
      refuseAbove(name, ...size);
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (run !== openRun)
      return;
    // The desktop's own reader and check take a 512 × 512 grey TGA file as it is.
    if (kind === 'TGA' && openTga(bytes, `${name}, a 512 × 512 grey TGA file taken as is`) === null) {
      shownFile();
      return;
    }
    const { grey, done } = kind === 'TGA' ? await decodeTga(bytes)
      : kind === 'coded' ? await decodeCoded(bytes)
      : kind === 'SVG' ? await decodeSvg(bytes, name) : await decodeByBrowser(bytes, kind, name);
    if (run !== openRun)
      return;
    openTga(call.greyTga(grey), `${name} (${done})`);
    shownFile();
  } catch (error) {
    if (run !== openRun)
      return;
    // Whatever else went wrong (the memory for a large picture, say) is a refusal too.
    say(error instanceof Refusal ? error.message
      : `Orlinde: cannot open ${name}: ${error.message ?? error}.`);
  } finally {
    document.body.dataset.opening = --opening;
    clearTimeout(working);
    if (run === openRun)
      $('busy').hidden = true;
  }
}

// The samples' TGA files, decoded once as the page starts.
const sampleFiles = {};

async function decodeSamples() {
  await Promise.all(Object.entries(SAMPLES).map(async ([name, text]) => {
    sampleFiles[name] = await decodeSample(text);
  }));
}

const isSample = (name) => Object.hasOwn(sampleFiles, name);

function openSample(value) {
  ++openRun;
  $('sample').value = value;
  const option = $('sample').querySelector(`option[value="${value}"]`);
  openTga(sampleFiles[value],
          `the ${option.textContent}, a bundled 512 × 512 grey TGA file taken as is`);
}

$('open').addEventListener('change', () => {
  if ($('open').files.length > 0)
    openFile($('open').files[0]).finally(() => { $('open').value = ''; });
});
$('sample').addEventListener('change', () => openSample($('sample').value));
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  if (event.dataTransfer.files.length > 0)
    openFile(event.dataTransfer.files[0]);
});

module.exports = { openSample, decodeSamples, isSample, shownSample, luma, SIDE };
