// The scale typed or set automatically, keep-the-largest and the threshold; Enter in a field
// applies it once.
'use strict';
const { $, call } = require('./base');
const { show, whenChanged, command } = require('./controller');
const { refuse, oneNumberField } = require('./fields');

// The core reads the scale. A field left with the text it shows (its change after Enter among
// them) applies nothing, unless the automatic scale is on: the scale shown, typed again, turns it
// off.
function applyScale() {
  if ($('scale').value === call.scaleText() && !call.autoScaleOn())
    return true;
  // Refused before the page is brought up to date, which then leaves the text to be mended.
  let refusal = null;
  command(() => {
    refusal = call.setScaleText($('scale').value);
    if (refusal)
      refuse($('scale'), refusal);
  });
  return !refusal;
}

// The percentage of the last keep applied, which Esc puts back.
let keepText = $('keep').value;

function applyKeep() {
  const typed = $('keep').value;
  const percent = Number(typed);
  const refusal = call.commaRefusal(typed) ??
    (percent > 0 && percent <= 100 ? null : 'Give a percentage above 0 and at most 100.');
  if (refusal) {
    refuse($('keep'), refusal);
    return false;
  }
  command(() => call.keep(percent));
  keepText = typed;
  return true;
}

$('scale-form').addEventListener('submit', (event) => event.preventDefault());
$('scale').addEventListener('change', applyScale);
oneNumberField($('scale'), applyScale, () => call.scaleText());

$('keep-form').addEventListener('submit', (event) => {
  event.preventDefault();
  applyKeep();
});
oneNumberField($('keep'), applyKeep, () => keepText);

// The threshold of the last one applied, which Esc puts back.
let thresholdText = $('threshold').value;

// Only the button, or Enter in the field, applies a threshold: changing the field or the kind
// does not.
function applyThreshold() {
  let refusal = null;
  command(() => {
    refusal = call.threshold($('threshold').value, $('threshold-kind').value === 'soft' ? 1 : 0);
    if (refusal)
      refuse($('threshold'), refusal);
  });
  if (!refusal)
    thresholdText = $('threshold').value;
  return !refusal;
}

$('threshold-form').addEventListener('submit', (event) => {
  event.preventDefault();
  applyThreshold();
});
oneNumberField($('threshold'), applyThreshold, () => thresholdText);

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
  if (!$('scale').hasAttribute('aria-invalid'))
    $('scale').value = call.scaleText();
  showPsnr();
  showKept();
});
