// The Code panel: the picture as opened through the wavelet coder. The core codes it for each
// picture and wavelet as far as the budgets ask and keeps the stream; a budget takes the stream's
// first bytes and decodes them (lab/CodedPicture.h). Here the controls are wired and the numbers
// shown.
'use strict';
const { $, call, heapBytes, vocabulary } = require('./base');
const { show, say, whenChanged, update, command } = require('./controller');
const { download, savedName } = require('./save');
const { luma } = require('./open');

const bytesText = (bytes) => String(bytes).replace(/\B(?=(\d{3})+$)/g, ' ');
const bppText = (bytes) => (bytes * 8 / call.size() ** 2).toFixed(2);

// The browser's PNG of the picture as opened, in bytes, to hold the lossless size against; made
// once a picture, in the background. `opening` names the picture it was made for.
const png = { opening: -1, bytes: null };

// The picture as opened on a canvas of its own, for the browser's coders; made once a picture.
const drawn = { opening: -1, canvas: null };

// Draws the view named `view` (not signed) on `canvas`, which takes the picture's size.
function drawView(canvas, view) {
  const n = call.size();
  canvas.width = n;
  canvas.height = n;
  const image = new ImageData(n, n);
  image.data.set(heapBytes(call.renderView(vocabulary().views.indexOf(view), 0), 4 * n * n));
  canvas.getContext('2d').putImageData(image, 0, 0);
}

function pictureCanvas() {
  const opening = call.openings();
  if (drawn.opening !== opening) {
    const canvas = document.createElement('canvas');
    drawView(canvas, 'opened');
    Object.assign(drawn, { opening, canvas });
  }
  return drawn.canvas;
}

function pngOfPicture() {
  const opening = call.openings();
  if (png.opening === opening)
    return;
  png.opening = opening;
  png.bytes = null;
  pictureCanvas().toBlob((blob) => {
    if (png.opening !== opening || blob === null)
      return;
    png.bytes = blob.size;
    showLossless();
  }, 'image/png');
}

// With CDF 5/3 the whole stream, `whole` bytes, is the picture exactly: its size against the PNG's.
// The core gives it with CDF 5/3 only.
let whole = 0;

function showLossless() {
  const element = $('code-lossless');
  if (call.codeWaveletName() !== 'cdf53') {
    show('code-lossless', '');
    delete element.dataset.bytes;
    return;
  }
  pngOfPicture();
  element.dataset.bytes = whole;
  // The least budget, rounded up, that holds every byte.
  const least = (Math.ceil(whole * 800 / call.size() ** 2) / 100).toFixed(2);
  show('code-lossless', `Lossless: the whole CDF 5/3 stream, ${bytesText(whole)} bytes ` +
    `(${bppText(whole)} bits per pixel), gives the picture back exactly, at any budget from ` +
    `${least} bits per pixel. The browser's ` +
    (png.bytes === null ? 'PNG of the same picture is being made.'
      : `PNG of the same picture: ${bytesText(png.bytes)} bytes (${bppText(png.bytes)} bits per ` +
        'pixel; the browser writes red, green, blue and alpha for every pixel of a canvas, so a ' +
        'grey PNG from another program is smaller).'));
  if (png.bytes !== null)
    element.dataset.png = png.bytes;
  else
    delete element.dataset.png;
}

// ---- The browser's own coders at no more bytes than the coded stream: for JPEG and WebP the
// highest quality whose file fits, found by bisection (a file's size grows with its quality,
// though not always strictly), decoded and held against the picture by the core.
const BROWSER_CODERS = [{ name: 'jpeg', type: 'image/jpeg' }, { name: 'webp', type: 'image/webp' }];
const QUALITY_STEPS = 8;
// `key` names the picture and bytes compared; a newer comparison stops an older one.
const compared = { key: '', run: 0 };

const blobOf = (type, quality) =>
  new Promise((resolve) => pictureCanvas().toBlob(resolve, type, quality));

// The highest-quality file of `type` no larger than `target` bytes: {quality, blob}; null when
// none fits; UNWRITTEN when the browser writes no such files (it then gives PNG instead).
const UNWRITTEN = 'unwritten';

async function fitting(type, target) {
  const best = await blobOf(type, 1);
  if (best.type !== type)
    return UNWRITTEN;
  if (best.size <= target)
    return { quality: 1, blob: best };
  let fits = await blobOf(type, 0);
  if (fits.size > target)
    return null;
  let [low, high] = [0, 1];
  for (let i = 0; i < QUALITY_STEPS; ++i) {
    const quality = (low + high) / 2;
    const blob = await blobOf(type, quality);
    if (blob.size <= target)
      [low, fits] = [quality, blob];
    else
      high = quality;
  }
  return { quality: low, blob: fits };
}

async function greysOf(blob) {
  const n = call.size();
  const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none' });
  const canvas = document.createElement('canvas');
  canvas.width = n;
  canvas.height = n;
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  const rgba = context.getImageData(0, 0, n, n).data;
  return Uint8Array.from({ length: n * n }, (_, i) => luma(rgba, 4 * i));
}

function showComparedCell(row, column, text) {
  const cell = $('compare').tBodies[0].rows[row].cells[column + 1];
  if (cell.textContent !== text)
    cell.textContent = text;
}

const psnrCell = (psnr) => (psnr === Infinity || psnr === 'Infinity' ? '∞' : Number(psnr).toFixed(2));

async function compare(bytes) {
  const run = ++compared.run;
  const table = $('compare');
  table.dataset.state = 'working';
  for (const [index, { name, type }] of BROWSER_CODERS.entries()) {
    const found = await fitting(type, bytes);
    const made = found !== null && found !== UNWRITTEN;
    const grey = made ? await greysOf(found.blob) : null;
    if (run !== compared.run)
      return;
    // The core keeps the copy for its view, or forgets an older one when there is none.
    const psnr = call.browserCopy(index, grey ?? new Uint8Array(0));
    Object.assign(table.dataset, made ? { [`${name}Bytes`]: found.blob.size, [`${name}Psnr`]: psnr }
      : { [`${name}Bytes`]: '', [`${name}Psnr`]: '' });
    showComparedCell(0, index + 1, made ? String(found.blob.size)
      : found === null ? 'none fits' : 'not written by this browser');
    showComparedCell(1, index + 1, made ? found.quality.toFixed(3) : '');
    showComparedCell(2, index + 1, made ? psnrCell(psnr) : '');
  }
  // The pictures side by side, at the same bytes.
  const pictures = table.querySelectorAll('canvas');
  for (const [index, view] of ['coded', ...BROWSER_CODERS.map(({ name }) => name)].entries())
    drawView(pictures[index], view);
  table.dataset.state = 'done';
  if (BROWSER_CODERS.some(({ name }) => name === $('view').value))
    update();
}

function compareWanted(bytes, psnr) {
  showComparedCell(0, 0, String(bytes));
  showComparedCell(1, 0, '');
  showComparedCell(2, 0, psnrCell(psnr));
  const wanted = $('compare-on').checked || BROWSER_CODERS.some(({ name }) => name === $('view').value);
  $('compare').hidden = !wanted;
  const key = `${call.openings()}:${bytes}`;
  if (wanted && key !== compared.key) {
    compared.key = key;
    compare(bytes);
  }
}

const slider = $('code-bpp-slider');

whenChanged(() => {
  if (call.mode() !== 0)
    return;
  slider.min = call.codeMinBpp();
  slider.max = call.codeMaxBpp();
  $('code-wavelet').value = call.codeWaveletName();
  const budget = call.codeBudgetText();
  if (document.activeElement !== $('code-bpp'))
    $('code-bpp').value = budget;
  slider.value = budget;
  const { bytes, bpp, psnr, whole: wholeBytes } = JSON.parse(call.codeStats());
  whole = wholeBytes;
  const stats = $('code-stats');
  Object.assign(stats.dataset, { bytes, bpp, psnr });
  show('code-stats', `${bytesText(bytes)} bytes (header included), ${bpp.toFixed(3)} bits per pixel: ` +
    (psnr === 'Infinity' ? 'the picture exactly (PSNR ∞).' : `PSNR ${psnr.toFixed(2)} dB against the picture as opened.`));
  showLossless();
  compareWanted(bytes, psnr);
});

$('code-wavelet').addEventListener('change', () => command(() => call.codeWavelet($('code-wavelet').value)));
slider.addEventListener('input', () => command(() => call.codeBudget(slider.value)));
$('code-bpp').addEventListener('change', () => command(() => {
  const refusal = call.codeBudget($('code-bpp').value);
  if (refusal) {
    say(refusal);
    $('code-bpp').value = call.codeBudgetText();
  }
}));
$('compare-on').addEventListener('change', update);
$('code-form').addEventListener('submit', (event) => event.preventDefault());
$('save-coded').addEventListener('click', () =>
  download(call.codeSave(), `${savedName()}-${call.codeWaveletName()}-${call.codeBudgetText()}bpp.owc`,
           'application/octet-stream'));

module.exports = { BROWSER_CODERS, UNWRITTEN, fitting, greysOf };
