// The viewer's letter keys and the step buttons. A letter is a command unless #letter-keys is
// unticked, it is typed into a field or list, or held with Ctrl, Alt or Meta (the browser's); every
// other key, Space and Enter on a focused button or checkbox among them, does what the browser
// makes it do.
'use strict';
const { $, call, vocabulary } = require('./base');
const { show, say, whenChanged, command } = require('./controller');

// Whether a key typed at `element` is typing into it rather than a command for the viewer.
function takesTyping(element) {
  if (element instanceof HTMLTextAreaElement || element instanceof HTMLSelectElement ||
      element.isContentEditable)
    return true;
  const notTyped = ['checkbox', 'radio', 'button', 'submit', 'reset', 'file', 'image', 'color',
                    'range'];
  return element instanceof HTMLInputElement && !notTyped.includes(element.type);
}

const isCommand = (key) => vocabulary().keys.some((letter) => letter.key === key);

// A pass the viewer refuses (one that would take a value beyond a float) says why.
const press = (key) => command(() => {
  if (call.key(key.charCodeAt(0)) === 0)
    say(call.message());
});

document.addEventListener('keydown', (event) => {
  if (!$('letter-keys').checked || event.ctrlKey || event.metaKey || event.altKey ||
      !isCommand(event.key) || takesTyping(event.target))
    return;
  event.preventDefault();
  press(event.key);
});
for (const button of $('keys').querySelectorAll('button'))
  button.addEventListener('click', () => press(button.dataset.key));

// A list chosen from with the mouse gives the keys back at once; from the keyboard it keeps the
// focus, so that the arrow keys go on choosing.
for (const select of document.querySelectorAll('select')) {
  let byPointer = false;
  select.addEventListener('pointerdown', () => { byPointer = true; });
  select.addEventListener('keydown', () => { byPointer = false; });
  select.addEventListener('change', () => {
    if (byPointer)
      select.blur();
    byPointer = false;
  });
}

// Where the decomposition stands, and the warning before a step that would go wrong.
whenChanged(() => {
  const where = $('where');
  show('where', call.where());
  where.dataset.rowLevels = call.rowLevels();
  where.dataset.columnLevels = call.columnLevels();
  show('warning', call.warning());
});

module.exports = { takesTyping };
