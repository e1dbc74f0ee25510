// The page's controller: runs a command and then brings every view up to date. Each part of the
// page registers what it shows with `whenChanged`; nothing is shown before `begin`, so that
// #status is first written once the sample and any link have been applied (the page's ready sign).
'use strict';
const { $, call } = require('./base');

const views = [];
let started = false;
// While a link replays, its commands are the only ones.
let replaying = false;

// Writes a text only when it changed: an equal write still costs the next frame its layout.
function show(id, text) {
  const element = $(id);
  if (element.textContent !== text)
    element.textContent = text;
}

// A message replaces the last, and with it the last refusal's tie to its field (fields.js).
function say(text) {
  show('message', text);
  for (const field of document.querySelectorAll('[aria-invalid]')) {
    field.removeAttribute('aria-invalid');
    field.removeAttribute('aria-describedby');
  }
}

function whenChanged(view) {
  views.push(view);
}

function update() {
  if (started)
    for (const view of views)
      view();
}

// Runs a command and shows its outcome; a command clears the last refusal.
function command(action) {
  if (!started || replaying)
    return;
  say('');
  action();
  update();
}

function begin() {
  started = true;
  update();
}

const setReplaying = (on) => { replaying = on; };
const isReplaying = () => replaying;

whenChanged(() => show('status', call.status()));

module.exports = { show, say, whenChanged, update, command, begin, setReplaying, isReplaying };
