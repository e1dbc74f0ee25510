// The Code panel: the picture as opened through the wavelet coder. The core codes it once for
// each picture and wavelet and keeps the stream; a budget takes the stream's first bytes and
// decodes them (lab/CodedPicture.h). Here the controls are wired and the numbers shown.
'use strict';
const { $, call, heapBytes, vocabulary } = require('./base');
const { show, say, whenChanged, command } = require('./controller');
const { download, savedName } = require('./save');

const bytesText = (bytes) => String(bytes).replace(/\B(?=(\d{3})+$)/g, ' ');
const bppText = (bytes) => (bytes * 8 / call.size() ** 2).toFixed(2);

// The browser's PNG of the picture as opened, in bytes, to hold the lossless size against; made
// once a picture, in the background. `opening` names the picture it was made for.
const png = { opening: -1, bytes: null };

function pngOfPicture() {
  const opening = call.openings();
  if (png.opening === opening)
    return;
  png.opening = opening;
  png.bytes = null;
  const n = call.size();
  const canvas = document.createElement('canvas');
  canvas.width = n;
  canvas.height = n;
  const image = new ImageData(n, n);
  image.data.set(heapBytes(call.renderView(vocabulary().views.indexOf('opened'), 0), 4 * n * n));
  canvas.getContext('2d').putImageData(image, 0, 0);
  canvas.toBlob((blob) => {
    if (png.opening !== opening || blob === null)
      return;
    png.bytes = blob.size;
    showLossless();
  }, 'image/png');
}

// With CDF 5/3 the whole stream, `whole` bytes, is the picture exactly: its size against the PNG's.
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
      : `PNG of the same picture: ${bytesText(png.bytes)} bytes (${bppText(png.bytes)} bits per pixel).`));
  if (png.bytes !== null)
    element.dataset.png = png.bytes;
  else
    delete element.dataset.png;
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
$('code-form').addEventListener('submit', (event) => event.preventDefault());
$('save-coded').addEventListener('click', () =>
  download(call.codeSave(), `${savedName()}-${call.codeWaveletName()}-${call.codeBudgetText()}bpp.owc`,
           'application/octet-stream'));
