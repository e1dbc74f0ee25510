// The scale typed, and keep-the-largest; Enter in either field applies it
// once.
'use strict';
const { $, call } = require('./base');
const { show, say, whenChanged, command } = require('./controller');

// Enter both commits the field (a change) and submits its form; the second finds nothing new.
// The scale shown, typed again, still turns the automatic scale off.
function applyScale() {
  if ($('scale').value === call.scaleText() && !call.autoScaleOn())
    return;
  let refusal = null;
  command(() => { refusal = call.setScaleText($('scale').value); });
  if (refusal)
    say(refusal);
}

$('scale-form').addEventListener('submit', (event) => {
  event.preventDefault();
  applyScale();
});
$('scale').addEventListener('change', applyScale);

$('keep-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const percent = Number($('keep').value);
  if (!(percent > 0 && percent <= 100)) {
    show('kept', 'Give a percentage above 0 and at most 100.');
    return;
  }
  command(() => call.keep(percent));
});

function showPsnr() {
  if (call.nothingDecomposed()) {
    const db = call.psnr();
    show('psnr', db === Infinity ? '∞' : `${db.toFixed(2)} dB`);
  } else {
    show('psnr', '(reconstruct fully to compare)');
  }
}

// What the last keep-the-largest kept, as long as it is part of the state (undo takes it back):
// two numbers and no separators in them, so that a script reads the budget and the non-zero count
// straight off the line.
function showKept() {
  const kept = call.keptCount();
  show('kept', kept < 0 ? '' : `Kept ${kept} coefficients, ${call.keptNonZero()} of them not 0.`);
}

whenChanged(() => {
  $('scale').value = call.scaleText();
  showPsnr();
  showKept();
});
