// The link's text on the page's side: the fragment as typed or percent-encoded, what the page says
// about a link it replayed, and when the address is written. The core writes and reads the link
// itself (Link.h).
'use strict';

// The fragment's text; a stray '%' is the link's own text, and the parts around it still count.
function fragmentText(fragment) {
  try {
    return decodeURIComponent(fragment);
  } catch {
    return fragment;
  }
}

const quoted = (parts) => parts.map((part) => `“${part}”`).join(', ');

// What a replayed link did not do, in one sentence, or '' when it did everything.
function replayNotes({ noSample = false, grid = null, refused = [], ignored = [] }) {
  const notes = [];
  if (noSample)
    notes.push('no picture: the link names no sample, so its commands ran on the test card');
  if (grid !== null)
    notes.push(`the grid (${grid})`);
  if (refused.length > 0)
    notes.push(`ignored ${quoted(refused.map((c) => `do: ${c}`))}, which this array does not have`);
  if (ignored.length > 0)
    notes.push(`ignored ${quoted(ignored)}`);
  return notes.length > 0 ? `From the link: ${notes.join('; ')}.` : '';
}

// Calls `write` at most `delay` ms after the first of any number of `soon()`s, and at once on
// `now()`; writing once for many keys keeps a key's own work small.
function writtenLater(write, delay) {
  let pending = null;
  const now = () => {
    clearTimeout(pending);
    pending = null;
    return write();
  };
  const soon = () => {
    if (pending === null)
      pending = setTimeout(now, delay);
  };
  return { soon, now };
}

module.exports = { fragmentText, replayNotes, writtenLater };
