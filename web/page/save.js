// Saving: what #picture shows as a grey PNG, and the array itself as the grey TGA file the
// desktop program opens. The C++ writes both files; the page hands them to the browser.
'use strict';
const { $, call } = require('./base');
const { shownSample } = require('./open');
const { viewIndex, signedView } = require('./picture');

let savedUrl = null;

function download(bytes, name, type) {
  if (savedUrl !== null)
    URL.revokeObjectURL(savedUrl);
  savedUrl = URL.createObjectURL(new Blob([bytes], { type }));
  const link = document.createElement('a');
  link.href = savedUrl;
  link.download = name;
  link.click();
}

const savedName = () => `orlinde-${shownSample() || 'picture'}`;

$('save-png').addEventListener('click', () =>
  download(call.savePng(viewIndex(), signedView()),
           `${savedName()}-${$('view').value}.png`, 'image/png'));
$('save-tga').addEventListener('click', () =>
  download(call.saveTga(), `${savedName()}.tga`, 'image/x-tga'));

module.exports = { download, savedName };
