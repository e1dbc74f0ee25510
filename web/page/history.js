// Undo, redo and reset, by button and by the usual shortcuts; each mode has its own history.
'use strict';
const { $, call } = require('./base');
const { whenChanged, command } = require('./controller');
const { takesTyping } = require('./keys');

const undo = () => command(call.undo);
const redo = () => command(call.redo);

$('undo').addEventListener('click', undo);
$('redo').addEventListener('click', redo);
$('reset').addEventListener('click', () => command(call.reset));

// Ctrl+Z (⌘Z on a Mac) undoes, with Shift or as Ctrl+Y it redoes; in a text field they are the
// field's own.
document.addEventListener('keydown', (event) => {
  const key = event.key.toLowerCase();
  if (!(event.ctrlKey || event.metaKey) || event.altKey || !['z', 'y'].includes(key) ||
      takesTyping(event.target))
    return;
  event.preventDefault();
  if (key === 'y' || event.shiftKey)
    redo();
  else
    undo();
});
whenChanged(() => {
  $('undo').disabled = !call.canUndo();
  $('redo').disabled = !call.canRedo();
});
