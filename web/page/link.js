// The state in the address's fragment, kept up to date without new history entries so that
// copying the address shares it, and replayed when the page opens with one or the fragment is
// changed by hand. The C++ writes and reads it (Link.h) and keeps the commands (undo takes the
// last one off); this only moves it between the address and the viewer.
'use strict';

// True while a link is replayed: the address then waits for the whole state.
let replaying = false;

// The bundled sample shown, or '' for an opened file, which no link can carry.
const shownSample = () => ($('sample').selectedIndex >= 0 ? $('sample').value : '');

function writeLink() {
  if (replaying)
    return;
  const fragment = `#${call.link(shownSample(), $('signed').checked ? 1 : 0, viewIndex())}`;
  // replaceState fires no hashchange, so the page never replays its own writing.
  if (fragment !== location.hash)
    history.replaceState(history.state, '', fragment);
  $('link-note').textContent = call.mode() === 0 && shownSample() === ''
    ? 'The address holds the commands but not the picture: opened elsewhere, it replays them ' +
      'on the test card.'
    : '';
}

// Opens what the link names and runs its commands as if typed; says what it ignored.
function replayLink(fragment) {
  let text = fragment;
  try {
    text = decodeURIComponent(fragment);
  } catch {
    // A stray '%' is the link's own text; the parts around it still count.
  }
  // A link over its cap changes nothing, unless nothing is shown yet.
  const refusal = call.linkRead(text);
  if (refusal) {
    if (call.size() === 0)
      openSample('testcard');
    say(refusal);
    return;
  }
  const notes = [];
  replaying = true;
  try {
    if (call.linkNumbers()) {
      setMode(1);
      const grid = call.linkGrid();
      const refusal = grid ? call.gridSet(grid) : null;
      if (refusal)
        notes.push(`the grid (${refusal})`);
      if (!grid || refusal)
        call.gridSize(8);
    } else {
      const sample = call.linkSample();
      openSample(sample || 'testcard');
      if (!sample)
        notes.push('no picture: the link names no sample, so its commands ran on the test card');
    }
    const count = call.linkCommandCount();
    const refused = [];
    for (let i = 0; i < count; ++i) {
      if (call.runLinkCommand(i) < 0)
        refused.push(`“do: ${call.linkCommand(i)}”`);
    }
    if (refused.length > 0)
      notes.push(`ignored ${refused.join(', ')}, which this array does not have`);
    $('signed').checked = call.linkSigned() === 1;
    $('view').value = call.linkView();
  } finally {
    replaying = false;
  }
  const ignored = call.linkIgnored().split('\n').filter((line) => line !== '');
  if (ignored.length > 0)
    notes.push(`ignored ${ignored.map((part) => `“${part}”`).join(', ')}`);
  say('');
  refresh();
  if (notes.length > 0)
    say(`From the link: ${notes.join('; ')}.`);
}

window.addEventListener('hashchange', () => {
  if (viewer !== null && location.hash.length > 1)
    replayLink(location.hash.slice(1));
});
