// #picture in picture mode, in the chosen view: the coefficients, the picture as opened, the
// difference from it, or which coefficients the last keep-the-largest kept. The status line and
// the keys work in every view.
'use strict';
const { $, call, heapBytes, vocabulary } = require('./base');
const { show, whenChanged, update } = require('./controller');

const viewIndex = () => Math.max(0, vocabulary().views.indexOf($('view').value));
const signedView = () => ($('signed').checked ? 1 : 0);
const pictureContext = () => $('picture').getContext('2d');

// One image for every key: a fresh megabyte a key would keep the garbage collector busy.
let image = null;

function drawPicture() {
  const n = call.size();
  const pixels = call.renderView(viewIndex(), signedView());
  if (image === null || image.width !== n)
    image = new ImageData(n, n);
  image.data.set(heapBytes(pixels, 4 * n * n));
  pictureContext().putImageData(image, 0, 0);
}

whenChanged(() => {
  if (call.mode() !== 0)
    return;
  drawPicture();
  show('view-note', $('view').value === 'kept' && !call.keptViewShows()
    ? 'Nothing to show: no keep-the-largest was made on the passes now in effect.'
    : '');
});

$('view').addEventListener('change', update);
$('signed').addEventListener('change', update);

module.exports = { viewIndex, signedView, pictureContext };
