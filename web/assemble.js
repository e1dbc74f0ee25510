// Puts the page together as one file: style, the compiled module (WebAssembly inside), the
// page's script and both bundled samples inline, so that it works from disk with no network.
//   node assemble.js orlinde_web.js SAMPLES_DIR OUTPUT.html SCRIPT.js...
// The page's script is its parts (web/page/), one concern a file, joined in the order given: a
// page opened from disk may not import modules.
'use strict';
const fs = require('fs');
const path = require('path');

const [glue, samples, output, ...scripts] = process.argv.slice(2);
const here = __dirname;
const read = (file) => fs.readFileSync(file, 'utf8');
// A script's text ends at the first "</script"; none of ours may end early.
const inScript = (text) => text.replace(/<\/script/gi, '<\\/script');

const sampleData = {};
for (const name of ['testcard', 'scene'])
  sampleData[name] = fs.readFileSync(path.join(samples, `${name}.tga`)).toString('base64');

const script = scripts.map(read).join('\n');

const parts = {
  STYLE: read(path.join(here, 'page.css')),
  MODULE: inScript(read(glue)),
  SAMPLES: inScript(`const SAMPLES = ${JSON.stringify(sampleData)};`),
  SCRIPT: inScript(script),
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
