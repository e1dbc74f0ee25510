// What every part of the page shares: element lookup, the compiled viewer and its calls, and
// reading its memory.
'use strict';

const $ = (id) => document.getElementById(id);

// The compiled viewer, once it has started, and its calls by name.
let viewer = null;
const call = {};

// Builds `call` from the list the viewer gives (web/Bindings.cpp): each call takes and returns
// numbers (addresses in the viewer's memory among them), text ('s'), a refusal ('r': a message,
// or null when taken) or bytes ('b': a Uint8Array), as its kinds say. Text and bytes go through
// the viewer's memory, never its small stack, and a text over its call's cap is refused before
// it is copied there: a call that returns a refusal returns the cap's, any other throws it.
function bindCalls(module) {
  viewer = module;
  const { words, caps, calls } = JSON.parse(viewer.UTF8ToString(viewer._orlindeCalls()));
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  calls.forEach(([name, kinds, cap], index) => {
    call[name] = (...values) => {
      const args = values.map((value, i) => {
        if (kinds[i + 1] === 'n')
          return value;
        if (kinds[i + 1] === 's' && value.length > caps[cap][0])
          return null;
        const bytes = kinds[i + 1] === 's' ? encoder.encode(value) : value;
        const at = viewer._orlindeInput(bytes.length);
        if (at === 0 && bytes.length > 0)
          throw new RangeError(`not enough memory for ${bytes.length} bytes`);
        viewer.HEAPU8.set(bytes, at);
        return bytes.length;
      });
      let refused = args.includes(null);
      let [result, length] = [0, 0];
      if (!refused) {
        new Float64Array(viewer.HEAPU8.buffer, words, args.length).set(args);
        viewer._orlindeCall(index);
        [result, length, refused] = new Float64Array(viewer.HEAPU8.buffer, words, 3);
      }
      const text = () => decoder.decode(viewer.HEAPU8.subarray(result, result + length));
      if (refused) {
        const refusal = caps[cap][1];
        if (kinds[0] === 'r')
          return refusal;
        throw new RangeError(refusal);
      }
      switch (kinds[0]) {
        case 's': return text();
        case 'r': return length < 0 ? null : text();
        case 'b': return viewer.HEAPU8.slice(result, result + length);
        case 'n': return result;
        default: return undefined;
      }
    };
  });
}

// Views of the viewer's memory, made afresh at every read: any call may grow the memory and
// leave an older view detached.
const heapBytes = (pointer, count) => viewer.HEAPU8.subarray(pointer, pointer + count);
const heapInts = (pointer, count) => new Int32Array(viewer.HEAPU8.buffer, pointer, count);

// The views and the command letters, named once in the viewer: {views: [name…], keys: [{key,
// does}…]}.
let words = null;
const vocabulary = () => (words ??= JSON.parse(call.vocabulary()));

module.exports = { $, call, bindCalls, heapBytes, heapInts, vocabulary, viewer: () => viewer };
