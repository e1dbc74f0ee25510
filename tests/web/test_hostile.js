// Hostile input, as an attacker sends it: 2,000,000 characters through every way in that takes
// text (a typed scale, a typed cell, a pasted matrix, a link) are refused with a message that
// names the cap and quotes none of them, change nothing, and the page still answers a key; files
// too large to be pictures are refused from their size or their header, never read whole.
'use strict';
const assert = require('assert');
const fs = require('fs');
const { test } = require('node:test');
const { page, picture, open, text } = require('./page_session');

// Each way in: the mode it needs, and how `typed` goes in.
const ways = {
  'a typed scale': ['picture', (typed) => {
    const scale = document.getElementById('scale');
    scale.value = typed;
    scale.dispatchEvent(new Event('change'));
  }],
  'a typed cell': ['numbers', (typed) => {
    const cell = document.querySelector('#grid input');
    cell.value = typed;
    cell.dispatchEvent(new Event('change'));
  }],
  'a pasted matrix': ['numbers', (typed) => {
    document.getElementById('grid-text').value = typed;
    document.getElementById('grid-set').click();
  }],
  // Once replayed, a short address again: chromium and its driver slow to a crawl under a long one.
  'a link': ['picture', (typed) => new Promise((replayed) => {
    window.addEventListener('hashchange', () => setTimeout(() => {
      history.replaceState(null, '', '#');
      replayed();
    }), { once: true });
    location.hash = typed;
  })],
};

// Sends `zeros` zeros and then `last` through `way` and returns the message it left. The text is
// made in the page: two megabytes sent from here cost the driver most of a second.
async function send(way, zeros, last) {
  await page.evaluate(`(${ways[way][1]})('0'.repeat(${zeros}) + '${last}')`);
  await page.waitForFunction(() => document.getElementById('message').textContent !== '');
  return text(page, 'message');
}

test('2,000,000 characters through each way in that takes text; a typed scale of its cap is read',
     async () => {
  const refusals = {};
  for (const [way, [mode]] of Object.entries(ways)) {
    await page.selectOption('#mode', mode);
    await page.evaluate(() => document.activeElement.blur());
    const status = await text(page, 'status');
    // A number with leading zeros, which even a number field keeps.
    refusals[way] = await send(way, 2e6 - 1, '2');
    assert.match(refusals[way], /^Refused: .+ may hold at most [1-9]\d* characters\.$/, way);
    assert.strictEqual(await text(page, 'status'), status, `${way}: nothing changed`);
    await page.keyboard.press('N');
    assert.notStrictEqual(await text(page, 'status'), status, `${way}: a key still works`);
  }
  // Exactly the cap is read, one character more refused.
  const refusal = refusals['a typed scale'];
  const cap = Number(refusal.match(/(\d+) characters/)[1]);
  await page.evaluate(`(${ways['a typed scale'][1]})('0'.repeat(${cap - 1}) + '2')`);
  assert.match(await text(page, 'status'), /Scale \(2\.000000\)$/);
  assert.strictEqual(await send('a typed scale', cap, '3'), refusal);
  assert.match(await text(page, 'status'), /Scale \(2\.000000\)$/);
});

test('a file too large to be a picture is refused unread, from its size or its header', async () => {
  // Sparse files: their size costs no disk, but reading one whole would take its size in memory.
  const file = (name, head, size) => {
    const at = picture(name);
    fs.writeFileSync(at, head);
    fs.truncateSync(at, size);
    return at;
  };
  const tga = Buffer.alloc(18);
  tga.writeUInt8(2, 2);
  tga.writeUInt16LE(30000, 12);
  tga.writeUInt16LE(30000, 14);
  tga.writeUInt8(32, 16);
  const refusals = {
    [file('huge.tga', tga, 400e6)]: /^Orlinde: huge\.tga is 30000 × 30000 pixels, more than 100 megapixels\.$/,
    [file('huge.bin', tga, 2e9)]: /^Orlinde: huge\.bin is 2000000000 bytes, more than any picture /,
  };
  for (const [at, message] of Object.entries(refusals)) {
    await open(at);
    assert.match(await text(page, 'message'), message);
  }
});
