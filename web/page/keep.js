// The scale typed or set automatically, keep-the-largest and the threshold; Enter in a field
// applies it once.
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

// Only the button, or Enter in the field, applies a threshold: the form submits on either.
$('threshold-form').addEventListener('submit', (event) => {
  event.preventDefault();
  let refusal = null;
  command(() => {
    refusal = call.threshold($('threshold').value, $('threshold-kind').value === 'soft' ? 1 : 0);
  });
  if (refusal)
    say(refusal);
});

function showPsnr() {
  show('psnr', call.psnrText());
  $('psnr').dataset.peak = call.peakText();
}

// What the last keep or threshold did, as long as it is part of the state (undo takes it back),
// with its numbers as data- attributes for scripts.
function showKept() {
  show('kept', call.keptText());
  const kept = $('kept');
  const attributes = JSON.parse(call.keptAttributes());
  for (const name of ['on', 'count', 'nonzero-before', 'nonzero-after', 'energy']) {
    if (name in attributes)
      kept.setAttribute(`data-${name}`, attributes[name]);
    else
      kept.removeAttribute(`data-${name}`);
  }
}

whenChanged(() => {
  $('scale').value = call.scaleText();
  showPsnr();
  showKept();
});
