// Long work in slices of about a frame's time, the page given back between them, so that it never
// freezes: the chart, and a long link's replay.
'use strict';

// Calls `step` until it returns false, for at most `budget` ms at a time, then waits for `later`.
// Stops, resolving false, once `current()` turns false (newer work took over); resolves true when
// done. `progress` hears of each slice but the last.
async function inSlices(step, { current = () => true, progress = () => {}, budget = 10,
                                now = () => performance.now(),
                                later = (go) => setTimeout(go, 0) } = {}) {
  for (;;) {
    if (!current())
      return false;
    const until = now() + budget;
    let more = true;
    while (more && now() < until)
      more = step();
    if (!more)
      return true;
    progress();
    await new Promise(later);
  }
}

module.exports = { inSlices };
