// The scale typed or set automatically, and keep-the-largest; Enter in either field applies it
// once.
'use strict';

// Enter both commits the field (a change) and submits its form; the second finds nothing new.
function applyScale() {
  if ($('scale').value === call.scaleText())
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
$('auto').addEventListener('click', () => command(call.autoScale));

$('keep-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const percent = Number($('keep').value);
  if (!(percent > 0 && percent <= 100)) {
    $('kept').textContent = 'Give a percentage above 0 and at most 100.';
    return;
  }
  command(() => call.keep(percent));
});
$('keep').addEventListener('input', () => {
  if (call.mode() === 0)
    markChart();
});
$('signed').addEventListener('change', refresh);
