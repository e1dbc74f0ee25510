// The scale typed or set automatically, and keep-the-largest; Enter in either field applies it
// once.
'use strict';
const { $, call } = require('./base');
const { show, whenChanged, command } = require('./controller');
const { refuse, oneNumberField } = require('./fields');

// The core reads the scale. A field left with the text it shows (its change after Enter among
// them) applies nothing.
function applyScale() {
  if ($('scale').value === call.scaleText())
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
$('auto').addEventListener('click', () => command(call.autoScale));

$('keep-form').addEventListener('submit', (event) => {
  event.preventDefault();
  applyKeep();
});
oneNumberField($('keep'), applyKeep, () => keepText);

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
  if (!$('scale').hasAttribute('aria-invalid'))
    $('scale').value = call.scaleText();
  showPsnr();
  showKept();
});
