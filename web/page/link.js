// The state in the address's fragment, written without new history entries so that copying the
// address shares it, and replayed when the page opens with one or the fragment is changed by hand.
// The core writes and reads it (Link.h) and keeps the commands (undo takes the last one off); this
// moves it between the address and the core. The address is written at most 300 ms after a
// command, at once when the page is left or text is copied: never in a key's own time.
'use strict';
const { $, call, viewer } = require('./base');
const { show, say, whenChanged, update, setReplaying, isReplaying } = require('./controller');
const { fragmentText, replayNotes, writtenLater } = require('./link-text');
const { inSlices } = require('./slices');
const { setMode } = require('./numbers');
const { openSample, isSample, shownSample } = require('./open');
const { viewIndex, signedView } = require('./picture');

// Each replay counts; an older one still under way stops.
let replayRun = 0;

function writeLink() {
  // A replay under way keeps its link whole in the address: written half-way, a reload or a copy
  // would lose the commands not yet run. The replay's end writes the state it reached.
  if (isReplaying())
    return location.hash;
  const fragment = `#${call.link(shownSample(), signedView(), viewIndex())}`;
  // replaceState fires no hashchange, so the page never replays its own writing.
  if (fragment !== location.hash)
    history.replaceState(history.state, '', fragment);
  show('link-note', call.mode() === 0 && shownSample() === ''
    ? 'The address holds the commands but not the picture: opened elsewhere, it replays them ' +
      'on the test card.'
    : '');
  return fragment;
}

const address = writtenLater(writeLink, 300);

// Opens what the link names and runs its commands as if typed, in slices with their progress in
// #busy; says what it ignored. Resolves once done, or once a newer replay took over.
async function replayLink(fragment) {
  const run = ++replayRun;
  // A link over its cap changes nothing, unless nothing is shown yet.
  const refusal = call.linkRead(fragmentText(fragment));
  if (refusal) {
    if (call.size() === 0)
      openSample('testcard');
    say(refusal);
    return;
  }
  const notes = { refused: [] };
  if (call.linkNumbers()) {
    setMode(1);
    const grid = call.linkGrid();
    const gridRefusal = grid ? call.gridSet(grid) : null;
    if (gridRefusal)
      notes.grid = gridRefusal;
    if (!grid || gridRefusal)
      call.gridSize(8);
  } else {
    // The core names only samples it knows; the page opens only the ones it holds.
    const sample = call.linkSample();
    notes.noSample = !isSample(sample);
    openSample(notes.noSample ? 'testcard' : sample);
  }
  const count = call.linkCommandCount();
  let done = 0;
  setReplaying(true);
  let finished;
  try {
    finished = count === 0 || await inSlices(() => {
      if (call.runLinkCommand(done) < 0)
        notes.refused.push(call.linkCommand(done));
      return ++done < count;
    }, {
      current: () => run === replayRun,
      progress: () => {
        $('busy').textContent = `Replaying the link: ${done} of ${count} commands…`;
        $('busy').hidden = false;
      },
    });
  } finally {
    if (run === replayRun) {
      setReplaying(false);
      $('busy').hidden = true;
    }
  }
  if (!finished)
    return;
  $('signed').checked = call.linkSigned() === 1;
  $('view').value = call.linkView();
  notes.ignored = call.linkIgnored().split('\n').filter((line) => line !== '');
  say('');
  update();
  say(replayNotes(notes));
}

whenChanged(address.soon);
window.addEventListener('pagehide', address.now);
document.addEventListener('copy', address.now);
window.addEventListener('hashchange', () => {
  if (viewer() !== null && location.hash.length > 1)
    replayLink(location.hash.slice(1));
});

module.exports = { replayLink, writeLinkNow: address.now };
