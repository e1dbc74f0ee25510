// The link: the state in the address's fragment, written lazily, replayed bit for bit as the page
// opens from file:// and when the fragment changes; what it cannot do is named.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { session, page, sample, picture, native, assertShows, state, waitForCoefficients, start,
        byHand, open, text } = require('./page_session');

// Written to the address at once.
const link = () => page.evaluate(() => orlinde.link());
// The fragment changed to `fragment`, the address written for the state shown first.
const replay = async (fragment) => {
  await link();
  await page.evaluate((to) => { location.hash = to; }, fragment);
};
// The page opens with a link that names a sample it does not have: the replay as the page starts.
// The other links are replayed as the fragment changes, which runs the same replay.
session.fragment = 'sample=junk&do=f,B';

test('a link naming no sample the page has, or none, replays on the test card and says so',
     async () => {
  await assertShows(native(sample('testcard'), 'fB'), session.fragment);
  assert.match(await text(page, 'message'), /test card/);
  // The same on the open page, with no sample named, and while another shows.
  await start('scene', '');
  await replay('do=f,B');
  await page.waitForFunction(() =>
    /test card/.test(document.getElementById('message').textContent));
  await assertShows(native(sample('testcard'), 'fB'), 'do=f,B');
});

test('the link replays the state bit for bit when the fragment changes',
     async () => {
  // Every kind of command, made with the page's controls; that a replay equals the same commands
  // made by hand in every order the core's own tests hold.
  const commands = ['N', 'F', 'keep:12.5', 'scale:7.25', 'B', 'S', 'auto', 'r', 'reset',
                    'normalization:orthonormal', 'f', 'b'];
  await start('scene', '');
  for (const command of commands)
    await byHand(command);
  await page.check('#signed');
  await page.selectOption('#view', 'difference');
  const hash = await link();
  assert.match(hash, /^#sample=scene&do=[^%]*&signed=1&view=difference$/,
               'plain text: no percent-encoding');
  const made = await state();
  // The page as it opened, and the address written for it, before the link comes back.
  await page.uncheck('#signed');
  await page.selectOption('#view', 'coefficients');
  await start('testcard', '');
  await replay(hash.slice(1));
  // The replay ends with the view, and the address with the state it reached.
  await page.waitForFunction((address) => document.getElementById('signed').checked &&
                             location.hash === address, hash);
  assert.deepStrictEqual([...await state(), await page.inputValue('#view')],
                         [...made, 'difference'], 'replayed, the address kept');
  await page.uncheck('#signed');
  await page.selectOption('#view', 'coefficients');
  // Undo takes the last command off the link, redo puts it back; no history entries are added.
  await start('testcard', 'NF');
  const entries = await page.evaluate(() => history.length);
  assert.strictEqual(await link(), '#sample=testcard&do=N,F');
  await page.click('#undo');
  assert.strictEqual(await link(), '#sample=testcard&do=N');
  await page.click('#redo');
  assert.strictEqual(await link(), '#sample=testcard&do=N,F');
  assert.strictEqual(await page.evaluate(() => history.length), entries);
  // A fragment changed on the open page replays; what makes no sense is named and ignored.
  await replay('sample=scene&do=S,F,zap,keep:5&view=sideways');
  await page.waitForFunction(() => /“do: zap”.*view=sideways/
    .test(document.getElementById('message').textContent));
  const want = await state();
  await start('scene', 'SF');
  await byHand('keep:5');
  assert.deepStrictEqual(await state(), want, 'the changed fragment, replayed');
  // An opened file cannot travel: the link says so, and replays on the test card.
  await open(picture('grey.tga'));
  await page.keyboard.type('fB');
  assert.strictEqual(await link(), '#do=f,B');
  assert.match(await text(page, 'link-note'), /commands but not the picture/);
  // Numbers mode carries its matrix and its edits.
  await page.selectOption('#mode', 'numbers');
  await page.fill('#grid-text', '1 2 3 4\n5 6 7 8\n9 10 11 12\n13 14 15 -16.5');
  await page.click('#grid-set');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.type('Nf');
  await page.fill('#grid [aria-label="row 1, column 2"]', '0.25');
  await page.press('#grid [aria-label="row 1, column 2"]', 'Enter');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.type('F');
  const numbersLink = await link();
  assert.match(numbersLink, /mode=numbers/);
  const numbers = (await state())[1];
  // Another matrix first, so that only the replay brings this one back.
  await page.selectOption('#grid-size', '8');
  await replay(numbersLink.slice(1));
  await waitForCoefficients(page, numbers);
  await page.selectOption('#mode', 'picture');
});

test('the address follows the commands within 300 ms, not in a key\'s time nor mid-replay',
     async () => {
  await start('testcard', '');
  const written = await page.evaluate(async () => {
    const before = orlinde.link();
    document.dispatchEvent(new KeyboardEvent('keydown', { key: 'F' }));
    document.dispatchEvent(new KeyboardEvent('keydown', { key: 'B' }));
    const atOnce = location.hash;
    await new Promise((resolve) => setTimeout(resolve, 300));
    return [before, atOnce, location.hash];
  });
  assert.deepStrictEqual(written, ['#sample=testcard', '#sample=testcard',
                                   '#sample=testcard&do=F,B']);
  // A replay that outlasts the delay: the address keeps the link whole until the replay ends, as
  // a reload half-way through would otherwise lose the commands not yet run.
  const long = `#sample=scene&do=${Array(400).fill('F,R').join(',')}`;
  const writes = await page.evaluate(async (to) => {
    const seen = [];
    const replace = history.replaceState.bind(history);
    history.replaceState = (state, title, url) => {
      seen.push(String(url));
      replace(state, title, url);
    };
    const tick = () => new Promise((resolve) => setTimeout(resolve, 5));
    const busy = document.getElementById('busy');
    const started = performance.now();
    location.hash = to;
    while (busy.hidden && performance.now() - started < 2000)
      await tick();
    const shown = !busy.hidden;
    while (!busy.hidden)
      await tick();
    // From the change of the fragment to the end of the replay's progress; 0 if it never showed.
    const lasted = shown ? performance.now() - started : 0;
    await new Promise((resolve) => setTimeout(resolve, 400));
    history.replaceState = replace;
    return { seen, lasted };
  }, long);
  assert.ok(writes.lasted > 300, `the replay outlasts the delay (${writes.lasted} ms)`);
  assert.deepStrictEqual(writes.seen.filter((url) => !url.endsWith(long)), [], 'no half-way address');
});

