// Stryker on one of the page's pure modules at a time, its own node test the command that must
// fail for each mutant: ORLINDE_MODULE names the module (web/page/NAME.js, tested by
// tests/web/modules/NAME_WITH_UNDERSCORES.test.js). Run from the repository's root; run.sh runs
// every module (docs/testing.md).
const name = process.env.ORLINDE_MODULE;
module.exports = {
  mutate: [`web/page/${name}.js`],
  testRunner: 'command',
  commandRunner: { command: `node tests/web/modules/${name.replace(/-/g, '_')}.test.js` },
  coverageAnalysis: 'off',
  concurrency: 2,
  // The sandbox holds what the tests read: the modules, their tests and the samples.
  ignorePatterns: ['/*', '!/web', '!/tests', '!/samples', '/web/node_modules',
                   '/web/mutation/node_modules'],
  tempDirName: 'build/stryker-tmp',
  reporters: ['clear-text', 'json'],
  jsonReporter: { fileName: `build/stryker/${name}.json` },
  timeoutMS: 20000,
};
