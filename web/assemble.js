// Puts the page together as one file: style, the compiled module's script, its WebAssembly
// (deflated, from the .wasm beside the script), the page's modules and both bundled samples
// inline, so that it works from disk with no network.
//   node assemble.js orlinde_web.js SAMPLES_DIR OUTPUT.html MODULE.js...
// A page opened from disk may not import modules, so each module (CommonJS, web/page/) is wrapped
// in a function of its own scope here, its `require` finding the modules given before it.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { filterRows } = require('./page/sample-codec');

const [glue, samples, output, ...modules] = process.argv.slice(2);
const here = __dirname;
const read = (file) => fs.readFileSync(file, 'utf8');
// A script's text ends at the first "</script"; none of ours may end early.
const inScript = (text) => text.replace(/<\/script/gi, '<\\/script');

// Each sample filtered and deflated as suits it best: a drawing as it is, a photograph by its
// neighbours and in runs.
function sampleText(name) {
  const file = fs.readFileSync(path.join(samples, `${name}.tga`));
  const { Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE } = zlib.constants;
  const packed = [0, 1, 2, 3, 4, 'adaptive'].flatMap((choice) =>
    [Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE].map((strategy) =>
      zlib.deflateSync(filterRows(file, choice), { level: 9, memLevel: 9, strategy })));
  return packed.reduce((a, b) => (b.length < a.length ? b : a)).toString('base64');
}

const sampleModule = `module.exports = ${JSON.stringify({
  testcard: sampleText('testcard'), scene: sampleText('scene') })};`;

const wasm = zlib.deflateSync(fs.readFileSync(glue.replace(/\.js$/, '.wasm')), { level: 9 });
const programModule = `module.exports = ${JSON.stringify(wasm.toString('base64'))};`;

const wrap = (name, text) => `modules[${JSON.stringify(name)}] = (() => {
const module = { exports: {} };
(function (module, exports, require) {
${text}
})(module, module.exports, require);
return module.exports;
})();`;

const script = `(() => {
'use strict';
const modules = {};
const require = (name) => {
  const found = modules[name.replace(/^.*\\//, '')];
  if (found === undefined)
    throw new Error(\`\${name} is not among the modules joined before\`);
  return found;
};
${wrap('samples', sampleModule)}
${wrap('program', programModule)}
${modules.map((file) => wrap(path.basename(file, '.js'), read(file))).join('\n')}
})();`;

const parts = {
  STYLE: read(path.join(here, 'page.css')),
  MODULE: inScript(read(glue)),
  SCRIPT: inScript(script),
};
const page = read(path.join(here, 'page.html')).replace(/@(STYLE|MODULE|SCRIPT)@/g,
                                                        (_, key) => parts[key]);
// The page is meant to be mailed and put on any server as it is.
const limit = 600e3;
if (Buffer.byteLength(page) > limit) {
  console.error(`${output} would be ${Buffer.byteLength(page)} bytes, more than ${limit}`);
  process.exit(1);
}
fs.writeFileSync(output, page);
console.log(`${output}: ${Buffer.byteLength(page)} bytes`);
