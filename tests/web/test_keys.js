// The viewer's keys in the page, held to the desktop's own logic: key sequences and the step
// buttons, which keys are commands, where the decomposition stands, undo and redo.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { N, page, sample, picture, floats, native, model, modelKey, assertShows,
        state, start, byHand, open, text, coefficients } = require('./page_session');

// The test card's desktop status line and coefficients after `keys`.
const expect = (keys, what) =>
  assertShows(native(sample('testcard'), keys), `${what}: as after "${keys}"`);

test('key sequences in every mode give the desktop status line and coefficients', async () => {
  // Both arrangements and kernels, single and full passes both ways, the scale down to its floor,
  // keys without a command (ESC among them), which change nothing, and the status line as a
  // picture opens.
  // One sequence: a key read as another changes what follows it.
  for (const [name, keys] of [['testcard', 'sFBBBBbRnNSffffBbbbbFfrrrNrq1 \x1bB'],
                              ['scene', 'F']]) {
    await start(name, keys);
    await assertShows(native(sample(name), keys), `${name} after "${keys}"`);
  }
  // The button row is the keyboard for touch screens.
  await start('testcard', '');
  for (const key of 'NSfBB')
    await page.click(`#keys button[data-key="${key}"]`);
  await assertShows(native(sample('testcard'), 'NSfBB'), 'buttons N S f B B');
});

test('letters are commands only outside fields and lists; Space and Enter stay the browser\'s',
     async () => {
  await start('testcard', '');
  // A ticked box and a pressed button keep the focus; Space and Enter then act on them alone.
  await page.locator('#signed').focus();
  await page.keyboard.press('Space');
  assert.ok(await page.isChecked('#signed'), 'Space ticks the focused box');
  await page.keyboard.press('f');
  await expect('f', 'f with the box focused');
  await page.locator('#keys button[data-key="f"]').focus();
  await page.keyboard.press('Enter');
  await expect('ff', 'Enter on the focused f button: one pass');
  await page.keyboard.press('Space');
  await expect('fff', 'Space on it: one more');
  await page.uncheck('#signed');
  // Typed into a field or a list, or with Ctrl, Alt or Meta: not a command.
  await page.locator('#keep').focus();
  await page.keyboard.type('N');
  await page.locator('#mode').focus();
  await page.keyboard.press('s');
  await page.locator('#keys button[data-key="f"]').focus();
  for (const chord of ['Control+b', 'Alt+B', 'Meta+N'])
    await page.keyboard.press(chord);
  await expect('fff', 'letters in fields, lists and with modifiers');
  // A list chosen from with the mouse gives the keys back.
  await page.locator('#sample').focus();
  await page.dispatchEvent('#sample', 'pointerdown');
  await page.selectOption('#sample', 'testcard');
  await page.keyboard.press('s');
  await expect('s', 'the sample chosen anew, then s');
  // Enter in the percentage box keeps the largest, as the button does.
  await page.fill('#keep', '50');
  await page.press('#keep', 'Enter');
  assert.match(await text(page, 'kept'), /^Kept \d+ pixels, /);
  // The matrix box and a cell take their letters as text.
  await page.selectOption('#mode', 'numbers');
  const matrix = await state();
  await page.locator('#grid-text').focus();
  await page.keyboard.type('FfNSB');
  await page.locator('#grid input >> nth=0').focus();
  await page.keyboard.type('Ff');
  assert.deepStrictEqual(await state(), matrix, 'the matrix as it was');
  await page.selectOption('#mode', 'picture');
});

test('Enter applies a field and gives the keys back, Esc gives them back without applying; the ' +
     'letter keys can be turned off', async () => {
  await start('testcard', '');
  // A letter left in the field would be typed, not a command.
  await page.fill('#scale', '3');
  await page.press('#scale', 'Enter');
  await page.keyboard.press('f');
  await expect('BBf', 'scale 3, Enter, f');
  await page.fill('#scale', '7');
  await page.press('#scale', 'Escape');
  await page.keyboard.press('f');
  await expect('BBff', 'scale 7, Esc, f');
  // Unticked, the letters are no commands; the buttons still are.
  await page.uncheck('#letter-keys');
  await page.locator('#picture').focus();
  await page.keyboard.type('fFN');
  await page.click('#keys button[data-key="f"]');
  await page.check('#letter-keys');
  await page.locator('#picture').focus();
  await page.keyboard.press('f');
  await expect('BBffff', 'letters off, a button, letters on');
});

test('undo takes back each command bit for bit, redo makes it again', async () => {
  await start('testcard', '');
  // Where the decomposition stands, which the core's own tests hold to the passes made.
  const whole = async () => [...await state(), ...await page.evaluate(() => {
    const $ = (id) => document.getElementById(id);
    return [$('where').textContent, $('where').dataset.rowLevels, $('where').dataset.columnLevels,
            $('warning').textContent, $('scale').value, $('undo').disabled, $('redo').disabled];
  })];
  // The state now, read once a step.
  let now = await whole();
  assert.deepStrictEqual(now.slice(-2), [true, true], 'opened with no history');
  // Each kind of command once, by key, button or shortcut; that every command comes back bit for
  // bit the core's own tests hold.
  const commands = ['f', 'S', 'B', 'keep:5', 'scale:37.5', 'auto', 'normalization:orthonormal',
                    'arrangement:non-standard', 'reset', 'n'];
  for (const [i, command] of commands.entries()) {
    const before = now;
    await byHand(command);
    const after = await whole();
    assert.notDeepStrictEqual(after, before, `command ${i} changes something`);
    assert.deepStrictEqual(after.slice(-2), [false, true], `command ${i}: undo, no redo`);
    await page.keyboard.press('Control+z');
    assert.deepStrictEqual(await whole(), [...before.slice(0, -1), false], `command ${i} undone`);
    await page.keyboard.press(i % 2 ? 'Control+y' : 'Control+Shift+Z');
    now = await whole();
    assert.deepStrictEqual(now, after, `command ${i} redone`);
  }
  // A command that changes nothing leaves nothing to undo; in a text field Ctrl+Z is its own.
  await start('testcard', 'b');
  assert.ok(await page.isDisabled('#undo'), 'b at scale 1');
  const before = await whole();
  await page.keyboard.press('f');
  await page.locator('#keep').focus();
  await page.keyboard.press('Control+z');
  assert.notDeepStrictEqual(await whole(), before, 'Ctrl+Z in the percentage box');
  await page.click('#undo');
  assert.deepStrictEqual(await whole(), [...before.slice(0, -1), false], '#undo');
});

test('orthonormal passes on an opened picture: bit for bit the model after random keys', async () => {
  await open(picture('grey.tga'));
  await page.evaluate(() => document.activeElement.blur());
  const opened = floats(await coefficients(page));
  const rows = Array.from({ length: N }, (_, r) =>
    Array.from(opened.subarray(r * N, (r + 1) * N), String).join(' ')).join('\n');
  // O chooses orthonormal in #normalization; N leaves it for plain, as the model's N does.
  let seed = 7;
  const random = () => { seed = (seed * 48271) % 2147483647; return seed / 2147483647; };
  const keys = `O${Array.from({ length: 12 }, () => 'FfRrfrSsNOff'[Math.floor(random() * 12)]).join('')}NF`;
  const expected = model(keys, rows);
  const statusWord = { plain: 'Un-Normalized', normalized: 'Normalized', orthonormal: 'Orthonormal' };
  let normalization = 'plain';
  for (let i = 0; i < keys.length; ++i) {
    await modelKey(keys[i]);
    const done = keys.slice(0, i + 1);
    await assertShows({ coefficients: expected.subarray(4 * N * N * i, 4 * N * N * (i + 1)) },
                      `after "${done}"`);
    if (keys[i] === 'O')
      normalization = 'orthonormal';
    else if (keys[i] === 'N')
      normalization = normalization === 'plain' ? 'normalized' : 'plain';
    assert.strictEqual(await page.inputValue('#normalization'), normalization, `after "${done}"`);
    assert.ok((await text(page, 'status')).includes(` Transform: ${statusWord[normalization]} / `));
  }
});
