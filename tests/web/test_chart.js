// The rate–distortion chart against lab_tool's native numbers, also when a newly opened picture
// starts it over half-way.
'use strict';
const assert = require('assert');
const { test } = require('node:test');
const { page, picture, labTool, open, chartDone, coefficients } =
  require('./page_session');

test('#chart-table holds the native rate–distortion numbers of the picture as opened', async () => {
  // A picture opened while the chart is half-way starts it over.
  const halfway = async () => {
    const working = await page.evaluate(async () => {
      const sample = document.getElementById('sample');
      const choose = (name) => {
        sample.value = name;
        sample.dispatchEvent(new Event('change'));
      };
      choose('testcard');
      for (let i = 0; i < 3; ++i)
        await new Promise((resolve) => setTimeout(resolve, 0));
      const state = document.getElementById('chart').dataset.state;
      choose('scene');
      return state;
    });
    assert.strictEqual(working, 'working', 'half-way');
    await page.evaluate(() => document.activeElement.blur());
    await page.keyboard.type('NF');
  };
  // The chart is made anew for each picture; it does not follow the keys.
  for (const opening of [halfway, () => open(picture('portrait.png'))]) {
    await opening();
    await chartDone();
    await page.click('#reset');
    const expected = labTool(['rd', '512', '@'], await coefficients(page)).toString()
      .trim().split('\n').map((line) => line.split(' ').map(Number));
    // Six curves (their dashes and markers are the geometry's, told apart there).
    assert.strictEqual(await page.$$eval('#chart polyline', (lines) => lines.length), 6);
    const rows = await page.$$eval('#chart-table tbody tr', (trs) =>
      trs.map((tr) => [...tr.cells].map((cell) => cell.textContent)));
    assert.strictEqual(rows.length, expected.length);
    for (const [i, [share, ...psnrs]] of expected.entries()) {
      assert.strictEqual(Number(rows[i][0]), share, `row ${i}`);
      psnrs.forEach((want, mode) => {
        const got = rows[i][mode + 1];
        const what = `${share} %, mode ${mode}: ${got}, native ${want}`;
        if (want === Infinity)
          assert.strictEqual(got, '∞', what);
        else
          assert.ok(/^\d+\.\d\d$/.test(got) && Math.abs(Number(got) - want) <= 0.005 + 1e-9, what);
      });
      // In an orthonormal basis the largest coefficients leave the least error of any as many, so
      // no other curve of its arrangement lies above it (within the table's rounding) wherever
      // the share kept decides; not where only the float rounding of F then R is left (over 100 dB).
      const db = rows[i].slice(1).map((cell) => (cell === '∞' ? Infinity : Number(cell)));
      for (const [orthonormal, others] of [[4, [0, 1]], [5, [2, 3]]])
        for (const other of others)
          if (db[other] < 100)
            assert.ok(db[orthonormal] >= db[other] - 0.01,
                      `${share} %: orthonormal ${db[orthonormal]} dB below ${db[other]} dB (mode ${other})`);
    }
    // The y axis spans the finite PSNRs below 100 %, in multiples of 5 dB.
    const finite = expected.filter(([share]) => share < 100).flatMap(([, ...psnrs]) => psnrs)
      .filter(Number.isFinite);
    assert.deepStrictEqual(
      [await page.getAttribute('#chart', 'data-y-min'), await page.getAttribute('#chart', 'data-y-max')],
      [String(Math.floor(Math.min(...finite) / 5) * 5), String(Math.ceil(Math.max(...finite) / 5) * 5)]);
  }
});
