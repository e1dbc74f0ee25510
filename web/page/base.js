// What every part of the page shares: element lookup, the compiled viewer and its calls, and
// reading its memory.
'use strict';

const $ = (id) => document.getElementById(id);

// The compiled viewer, once it has started, and its calls by name (see web/Bindings.cpp).
let viewer = null;
const call = {};

function bindCalls(module) {
  viewer = module;
  const signatures = {
    orlindeOpen: ['number', ['string']],
    orlindeSetMode: [null, ['number']],
    orlindeMode: ['number', []],
    orlindeKey: ['number', ['number']],
    orlindeStatus: ['string', []],
    orlindeSize: ['number', []],
    orlindeData: ['number', []],
    orlindeRowLevels: ['number', []],
    orlindeColumnLevels: ['number', []],
    orlindeWhere: ['string', []],
    orlindeWarning: ['string', []],
    orlindeBlockCount: ['number', []],
    orlindeBlocks: ['number', []],
    orlindeBlockName: ['string', ['number', 'number']],
    orlindeScaleText: ['string', []],
    orlindeSetScaleText: ['number', ['string']],
    orlindeAutoScale: ['number', []],
    orlindeReset: ['number', []],
    orlindeUndo: ['number', []],
    orlindeRedo: ['number', []],
    orlindeCanUndo: ['number', []],
    orlindeCanRedo: ['number', []],
    orlindeKeep: ['number', ['number']],
    orlindePsnr: ['number', []],
    orlindeNothingDecomposed: ['number', []],
    orlindeCellText: ['string', ['number', 'number']],
    orlindeGridSize: ['number', ['number']],
    orlindeGridText: ['string', []],
    orlindeGridSet: ['number', ['string']],
    orlindeCellSetText: ['number', ['number', 'number', 'string']],
    orlindeRenderView: ['number', ['number', 'number']],
    orlindeKeptViewShows: ['number', []],
    orlindeKeptCount: ['number', []],
    orlindeKeptNonZero: ['number', []],
    orlindeLink: ['string', ['string', 'number', 'number']],
    orlindeLinkRead: [null, ['string']],
    orlindeLinkSample: ['string', []],
    orlindeLinkNumbers: ['number', []],
    orlindeLinkGrid: ['string', []],
    orlindeLinkSigned: ['number', []],
    orlindeLinkView: ['string', []],
    orlindeLinkCommandCount: ['number', []],
    orlindeLinkCommand: ['string', ['number']],
    orlindeLinkIgnored: ['string', []],
    orlindeRun: ['number', ['string']],
    orlindeChartStart: [null, []],
    orlindeChartStep: ['number', []],
    orlindeChartShareCount: ['number', []],
    orlindeChartShare: ['number', ['number']],
    orlindeChartPsnr: ['number', ['number', 'number']],
    orlindeChartMode: ['number', []],
    orlindeFileSize: ['number', []],
    orlindeSaveTga: ['number', []],
    orlindeSavePng: ['number', ['number', 'number']],
    orlindeTgaRead: ['number', ['string']],
    orlindeTgaWidth: ['number', []],
    orlindeTgaHeight: ['number', []],
    orlindeTgaRgba: ['number', []],
  };
  for (const [name, [result, args]] of Object.entries(signatures))
    call[name.slice('orlinde'.length).replace(/^./, (c) => c.toLowerCase())] =
      viewer.cwrap(name, result, args);
}

// A message the viewer returns as a C string, or null when there is none. Refusals come back
// as pointers, not strings, because a null pointer means success.
const messageAt = (pointer) => (pointer ? viewer.UTF8ToString(pointer) : null);

// Views of the viewer's memory, made afresh at every read: any call may grow the memory and
// leave an older view detached.
const heapBytes = (pointer, count) => viewer.HEAPU8.subarray(pointer, pointer + count);
const heapFloats = (pointer, count) => new Float32Array(viewer.HEAPU8.buffer, pointer, count);
const heapInts = (pointer, count) => new Int32Array(viewer.HEAPU8.buffer, pointer, count);

module.exports = {
  $, call, bindCalls, messageAt, heapBytes, heapInts,
  viewer: () => viewer,
};
