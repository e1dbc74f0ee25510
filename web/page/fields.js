// The fields one types a number into: Enter applies one and gives the keys back to what they act
// on, Esc gives them back without applying; a refusal is tied to its field.
'use strict';
const { $, call } = require('./base');
const { say } = require('./controller');

// A refusal of what was typed into `field`, tied to it so that a screen reader says why; the next
// message unties it.
function refuse(field, text) {
  say(text);
  field.setAttribute('aria-invalid', 'true');
  field.setAttribute('aria-describedby', 'message');
}

// Back from a field to what the keys act on: the picture, or the grid in numbers mode.
const toPicture = () => $(call.mode() === 1 ? 'grid' : 'picture').focus();

// `apply` reads the field and returns whether it was taken; a refused text keeps the focus, to be
// mended. Esc puts back `shown()`, the text in effect.
function oneNumberField(field, apply, shown) {
  field.addEventListener('keydown', (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      if (apply())
        toPicture();
    } else if (event.key === 'Escape') {
      event.preventDefault();
      if (field.hasAttribute('aria-invalid'))
        say('');
      field.value = shown();
      field.dispatchEvent(new Event('input'));
      toPicture();
    }
  });
}

module.exports = { refuse, toPicture, oneNumberField };
