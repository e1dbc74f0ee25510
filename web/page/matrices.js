// Numbers mode's matrices beside the grid: the matrix W of the latest pass, as a table and as
// text, and the current matrix as a worksheet takes it.
'use strict';
const { $, call } = require('./base');
const { show, whenChanged } = require('./controller');

const formats = ['csv', 'latex', 'numpy'];

function drawPassMatrix() {
  const text = call.passMatrixText();
  if ($('pass-matrix-text').value !== text) {
    $('pass-matrix-text').value = text;
    const body = $('pass-matrix').tBodies[0];
    body.replaceChildren();
    for (const line of text.split('\n').filter((row) => row !== '')) {
      const row = body.insertRow();
      for (const entry of line.split(' '))
        row.insertCell().textContent = entry;
    }
  }
  show('pass-matrix-caption', call.passMatrixCaption());
  $('pass-matrix').hidden = text === '';
}

function drawExport() {
  const text = call.exportText(formats.indexOf($('export').value));
  if ($('export-text').value !== text)
    $('export-text').value = text;
}

whenChanged(() => {
  if (call.mode() !== 1)
    return;
  drawPassMatrix();
  drawExport();
});

$('export').addEventListener('change', drawExport);
