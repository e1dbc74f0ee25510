// Starts the compiled viewer, or says why it cannot, and opens what the address's link names, or
// the test card.
'use strict';
const { call, bindCalls, heapBytes } = require('./base');
const { say, begin } = require('./controller');
const { pictureContext } = require('./picture');
const { openSample, decodeSamples, SIDE } = require('./open');
const { inflate } = require('./sample-codec');
const PROGRAM = require('./program');
const { replayLink, writeLinkNow } = require('./link');

const base64 = (bytes) => {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return btoa(text);
};

// The console interface (README, "From the console"), which scripts and tests use as well:
//   orlinde.coefficients()  the current mode's array as the bytes of its 32-bit floats, row 0
//                           first, in base 64;
//   orlinde.canvas()        #picture's RGBA bytes, top row first, in base 64;
//   orlinde.link()          the address's fragment for the state shown, written to it now.
const consoleInterface = {
  coefficients: () => base64(heapBytes(call.data(), 4 * call.size() * call.size())),
  canvas: () => base64(pictureContext().getImageData(0, 0, SIDE, SIDE).data),
  link: writeLinkNow,
};

function cannotStart(error) {
  say('This page needs WebAssembly, which this browser cannot run here' +
      (error ? ` (${error.message ?? error})` : '') +
      '. A current Firefox, Chrome, Edge or Safari runs it, also from a file on disk.');
  document.body.dataset.ready = 'failed';
}

async function start(module) {
  bindCalls(module);
  window.orlinde = consoleInterface;
  await decodeSamples();
  if (location.hash.length > 1)
    await replayLink(location.hash.slice(1));
  else
    openSample('testcard');
  begin();
  document.body.dataset.ready = 'true';
}

if (typeof WebAssembly === 'object') {
  try {
    inflate(PROGRAM).then((wasmBinary) => createOrlinde({ wasmBinary })).then(start, cannotStart);
  } catch (error) {
    cannotStart(error);
  }
} else {
  cannotStart(null);
}
