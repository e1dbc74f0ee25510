// Puts the page together as one file: style, the compiled module (WebAssembly inside), the
// page's script and both bundled samples inline, so that it works from disk with no network.
//   node assemble.js orlinde_web.js SAMPLES_DIR OUTPUT.html
'use strict';
const fs = require('fs');
const path = require('path');

const [glue, samples, output] = process.argv.slice(2);
const here = __dirname;
const read = (file) => fs.readFileSync(file, 'utf8');
// A script's text ends at the first "</script"; none of ours may end early.
const inScript = (text) => text.replace(/<\/script/gi, '<\\/script');

const sampleData = {};
for (const name of ['testcard', 'scene'])
  sampleData[name] = fs.readFileSync(path.join(samples, `${name}.tga`)).toString('base64');

const parts = {
  STYLE: read(path.join(here, 'page.css')),
  MODULE: inScript(read(glue)),
  SAMPLES: inScript(`const SAMPLES = ${JSON.stringify(sampleData)};`),
  SCRIPT: inScript(read(path.join(here, 'page.js'))),
};
const page = read(path.join(here, 'page.html')).replace(/@(STYLE|MODULE|SAMPLES|SCRIPT)@/g,
                                                        (_, key) => parts[key]);
// The page is meant to be mailed and put on any server as it is.
const limit = 1.5e6;
if (Buffer.byteLength(page) > limit) {
  console.error(`${output} would be ${Buffer.byteLength(page)} bytes, more than ${limit}`);
  process.exit(1);
}
fs.writeFileSync(output, page);
console.log(`${output}: ${Buffer.byteLength(page)} bytes`);
