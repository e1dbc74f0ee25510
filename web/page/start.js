// Starts the compiled viewer, or says why it cannot, and opens what the address's link names, or
// the test card.
'use strict';

// Hooks for scripts, in base 64: the current mode's coefficients as the bytes of their 32-bit
// floats, row 0 first, and #picture's RGBA bytes, top row first.
function scriptHooks() {
  const base64 = (bytes) => {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  };
  window.orlinde = {
    coefficients: () => {
      const n = call.size();
      const pointer = call.data();
      return base64(heapBytes(pointer, 4 * n * n));
    },
    canvas: () => base64(pictureContext().getImageData(0, 0, SIDE, SIDE).data),
  };
}

function cannotStart(error) {
  say('This page needs WebAssembly, which this browser cannot run here' +
      (error ? ` (${error.message ?? error})` : '') +
      '. A current Firefox, Chrome, Edge or Safari runs it, also from a file on disk.');
  document.body.dataset.ready = 'failed';
}

function start(module) {
  viewer = module;
  bindCalls();
  scriptHooks();
  if (location.hash.length > 1)
    replayLink(location.hash.slice(1));
  else
    openSample('testcard');
  document.body.dataset.ready = 'true';
}

if (typeof WebAssembly === 'object') {
  try {
    createOrlinde().then(start, cannotStart);
  } catch (error) {
    cannotStart(error);
  }
} else {
  cannotStart(null);
}
