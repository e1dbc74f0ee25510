// How the passes are made and whether the scale follows: #normalization and #arrangement always
// show the current state and change it as a command; #auto is a switch whose state is the
// session's (undo and links take it back and replay it like any other).
'use strict';
const { $, call } = require('./base');
const { whenChanged, command } = require('./controller');

$('normalization').addEventListener('change', () =>
  command(() => call.setNormalization($('normalization').value)));
$('arrangement').addEventListener('change', () => command(() => {
  if ((call.standard() === 1) !== ($('arrangement').value === 'standard'))
    call.key('S'.charCodeAt(0));
}));
// Turning it off keeps the scale shown, as typing that scale would, and the link writes it so.
$('auto').addEventListener('click', () => command(() => {
  if (call.autoScaleOn())
    call.setScaleText(call.scaleText());
  else
    call.autoScale();
}));

whenChanged(() => {
  $('normalization').value = call.normalization();
  $('arrangement').value = call.standard() ? 'standard' : 'non-standard';
  $('auto').setAttribute('aria-pressed', call.autoScaleOn() ? 'true' : 'false');
});
