// The link: the state in the address's fragment, written lazily, replayed bit for bit from
// file:// and when the fragment changes; what it cannot do is named.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { page, browser, sample, picture, native, assertShows, state, start, open, text,
        coefficients, loadPage } = require('./page_session');

const link = () => page.evaluate(() => orlinde.link());
const fresh = (fragment) => loadPage(browser, process.env.ORLINDE_WEB_PAGE, {}, fragment);
// Runs one command through the page's own controls, as a person would.
async function byHand(command) {
  const [name, value] = command.split(':');
  if (command.length === 1) {
    await page.keyboard.press(command);
  } else if (name === 'keep') {
    await page.fill('#keep', value);
    await page.click('#compress');
  } else if (name === 'scale') {
    await page.fill('#scale', value);
    await page.press('#scale', 'Enter');
  } else {
    await page.click(`#${command}`);
  }
  await page.locator('#keys button[data-key="f"]').focus();
}

test('the link replays the state bit for bit, from file:// and when the fragment changes',
     async () => {
  // Every kind of command, made with the page's controls; that a replay equals the same commands
  // made by hand in every order the core's own tests hold.
  const commands = ['N', 'F', 'keep:12.5', 'scale:7.25', 'B', 'S', 'auto', 'r', 'reset', 'f', 'b'];
  await start('scene', '');
  for (const command of commands)
    await byHand(command);
  await page.check('#signed');
  await page.selectOption('#view', 'difference');
  const hash = await link();
  assert.match(hash, /^#sample=scene&do=[^%]*&signed=1&view=difference$/,
               'plain text: no percent-encoding');
  const expected = await state();
  const again = await fresh(hash.slice(1));
  const shown = [await text(again, 'status'), await coefficients(again),
                 await again.inputValue('#view'), await again.isChecked('#signed')];
  assert.strictEqual(shown[0], expected[0], 'status');
  assert.ok(shown[1].equals(await coefficients(page)), 'coefficients');
  assert.deepStrictEqual(shown.slice(2), ['difference', true], 'view, signed');
  assert.strictEqual(await again.evaluate(() => location.hash), hash, 'the address stays');
  await again.close();
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
  await page.evaluate(() => { location.hash = 'sample=scene&do=S,F,zap,keep:5&view=sideways'; });
  await page.waitForFunction(() => /zap/.test(document.getElementById('message').textContent));
  assert.match(await text(page, 'message'), /“do: zap”/);
  assert.match(await text(page, 'message'), /view=sideways/);
  assert.strictEqual(await text(page, 'kept'), 'Kept 13108 coefficients, 13108 of them not 0.');
  const want = await state();
  await start('scene', 'SF');
  await page.fill('#keep', '5');
  await page.click('#compress');
  assert.deepStrictEqual(await state(), want, 'the changed fragment, replayed');
  // An opened file cannot travel: the link says so, and replays on the test card.
  await open(picture('grey.tga'));
  await page.keyboard.type('fB');
  assert.strictEqual(await link(), '#do=f,B');
  assert.match(await text(page, 'link-note'), /commands but not the picture/);
  const elsewhere = await fresh('do=f,B');
  assert.match(await text(elsewhere, 'message'), /test card/);
  assert.ok((await coefficients(elsewhere)).equals(native(sample('testcard'), 'fB').coefficients));
  await elsewhere.close();
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
  const numbers = await fresh(numbersLink.slice(1));
  assert.ok((await coefficients(numbers)).equals(await coefficients(page)), numbersLink);
  await numbers.close();
  await page.selectOption('#mode', 'picture');
});

test('the address follows the commands within 300 ms, never in a key\'s own time', async () => {
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
});

test('a link naming no sample the page has replays on the test card and says so', async () => {
  const page = await fresh('sample=junk&do=F');
  await assertShows(native(sample('testcard'), 'F'), 'sample=junk&do=F', page);
  assert.match(await text(page, 'message'), /test card; ignored “sample=junk”/);
  await page.close();
});
