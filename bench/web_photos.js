// Acceptance of the page's Code panel on photographs that are not in the repository (camera.png,
// astronaut.png and coffee.png of Debian's python3-skimage, fetched when missing), in headless
// chromium from file://. bench/photo_references.py prepares each as bench/codec_rates.py codes it
// (grey, centre square scaled to 512 × 512) and gives Pillow's OpenJPEG and libjpeg at the same
// bytes; the page opens it and each wavelet is read at several budgets. Prints the PSNR table and
// one PASS or FAIL line a check, and exits with 1 when a check fails. Outside the test suite: it
// needs the network when the photographs are missing.
//
//   bash scripts/web.sh && (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci)
//   node bench/web_photos.js build-web/orlinde.html
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { N, openPage, canvasGrey, text } = require(path.join(__dirname, '..', 'web', 'driver'));

const WAVELETS = ['haar', 'cdf53', 'cdf97'];
// Budgets in bits per pixel besides the reference rates, whose streams are saved and opened again.
const BUDGETS = ['0.01', '0.1', '0.37', '2', '4'];
// The reference rate whose saved stream is also cut and damaged.
const DAMAGED_BPP = '1';
const OPENJPEG_MARGIN_DB = 0.3;
const OPEN_TIMEOUT_MS = 30000;
const MAGIC = Buffer.from([0x89, 0x4f, 0x57, 0x43]);

// Each check's cases seen and failures, in the order first met.
const checks = new Map();
function check(name, ok, what) {
  const entry = checks.get(name) ?? { cases: 0, failures: [] };
  checks.set(name, entry);
  entry.cases += 1;
  if (!ok)
    entry.failures.push(what);
}
const damageOutcomes = { refused: 0, decoded: 0 };

function psnr(a, b) {
  let sum = 0;
  a.forEach((v, i) => { sum += (v - b[i]) ** 2; });
  return sum === 0 ? Infinity : 10 * Math.log10(255 * 255 * a.length / sum);
}

const signed = (dB) => `${dB >= 0 ? '+' : ''}${dB.toFixed(2)}`;
const loadAverage = () => os.loadavg().map((l) => l.toFixed(1)).join(' ');

// The damage done to a saved stream past its magic number: each header byte and a few of the
// bits changed, the bits reversed, and cuts inside the header.
function damages(stream) {
  const flip = (at) => {
    const bytes = Buffer.from(stream);
    bytes[at] ^= 0x5a;
    return [`byte ${at} changed`, bytes];
  };
  const reversed = Buffer.concat([stream.subarray(0, 12), Buffer.from(stream.subarray(12)).reverse()]);
  return [...[4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 100, stream.length >> 1, stream.length - 1].map(flip),
          ['bits reversed', reversed],
          ...[5, 11, 12].map((length) => [`cut to ${length} bytes`, stream.subarray(0, length)])];
}

// The page's controls as a person uses them, and what it shows.
function panel(page, work) {
  let crashed = false;
  page.on('crash', () => { crashed = true; });
  const stats = () => page.evaluate(() => ({ ...document.getElementById('code-stats').dataset }));
  const grey = async (view) => {
    await page.selectOption('#view', view);
    return canvasGrey(page);
  };
  // Opens `file`; throws when the open does not end in time. The deadline is kept here, not by
  // the page's waiting, which a tab stuck in a loop never answers.
  const open = (file) => {
    let timer;
    const late = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error(`${file}: not open after ${OPEN_TIMEOUT_MS} ms`)), OPEN_TIMEOUT_MS);
    });
    const opened = page.setInputFiles('#open', file).then(() => page.waitForFunction(() =>
      document.getElementById('open').value === '' && document.body.dataset.opening === '0', null, { timeout: 0 }));
    return Promise.race([opened, late]).finally(() => clearTimeout(timer));
  };
  const openBytes = async (name, bytes) => {
    fs.writeFileSync(path.join(work, name), bytes);
    await open(path.join(work, name));
  };
  const setBudget = async (bpp) => {
    await page.fill('#code-bpp', bpp);
    await page.press('#code-bpp', 'Enter');
  };
  const save = async () => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-coded')]);
    const file = path.join(work, 'saved.owc');
    await download.saveAs(file);
    return { file, stream: fs.readFileSync(file) };
  };
  return { page, stats, grey, open, openBytes, setBudget, save, crashed: () => crashed };
}

// The stream saved at DAMAGED_BPP, whose picture is `seen` dB from `original`: cut, then damaged.
async function damageChecks(session, where, stream, seen, original) {
  const { page, grey, openBytes, crashed } = session;
  await openBytes('cut.owc', stream.subarray(0, stream.length >> 2));
  check('a cut stream decodes coarser', psnr(await grey('opened'), original) < seen, `${where}: a quarter`);
  for (const [index, [damage, bytes]] of damages(stream).entries()) {
    const what = `${where}: ${damage}`;
    const name = `damaged-${index}.owc`;
    const before = await grey('opened');
    // A command clears the last message, so that a refusal is this open's.
    await page.fill('#code-bpp-slider', DAMAGED_BPP);
    await openBytes(name, bytes).catch((error) => {
      check('a damaged stream is refused with a message or decodes, never hangs or crashes', false, what);
      throw error;
    });
    const message = crashed() ? '' : await text(page, 'message');
    const decoded = !crashed() && message === '' && (await text(page, 'picture-name')).includes(name);
    const refused = !crashed() && message !== '' && (await grey('opened')).equals(before);
    check('a damaged stream is refused with a message or decodes, never hangs or crashes', decoded || refused, what);
    damageOutcomes.refused += refused;
    damageOutcomes.decoded += decoded;
  }
}

// Every check on one photograph; its rows of the PSNR table and of the lossless one.
async function photoChecks(session, photo) {
  const { page, stats, grey, open, setBudget, save } = session;
  const original = fs.readFileSync(photo.raw);
  await open(photo.tga);
  check('the page opens the photograph as prepared', (await grey('opened')).equals(original), photo.name);
  const shown = {};
  for (const wavelet of WAVELETS) {
    await page.selectOption('#code-wavelet', wavelet);
    for (const bpp of [...BUDGETS, ...photo.rates.map((r) => String(r.bpp))]) {
      const where = `${photo.name} ${wavelet} ${bpp} bpp`;
      await setBudget(bpp);
      const figures = await stats();
      const bytes = Number(figures.bytes);
      check('the coded bytes never exceed the budget', bytes <= Math.floor(bpp * N * N / 8), `${where}: ${bytes} bytes`);
      const coded = await grey('coded');
      const [said, seen] = [Number(figures.psnr), psnr(coded, original)];
      check('the PSNR shown is the coded picture\'s', said === seen || Math.abs(said - seen) < 1e-9,
            `${where}: ${said} shown, ${seen} seen`);
      shown[`${wavelet} ${Number(bpp)}`] = { bytes, psnr: said };
      if (BUDGETS.includes(bpp))
        continue;
      const { file, stream } = await save();
      await open(file);
      check('a saved stream opens again bit for bit', stream.length === bytes &&
            stream.subarray(0, 4).equals(MAGIC) && (await grey('opened')).equals(coded), where);
      if (bpp === DAMAGED_BPP)
        await damageChecks(session, where, stream, seen, original);
      // Back to the photograph, where the streams opened left theirs.
      await open(photo.tga);
      await page.selectOption('#code-wavelet', wavelet);
    }
  }
  await page.selectOption('#code-wavelet', 'cdf53');
  await setBudget('8');
  await page.waitForSelector('#code-lossless[data-png]');
  const whole = await page.evaluate(() => ({ ...document.getElementById('code-lossless').dataset }));
  check('CDF 5/3 gives the picture back exactly', (await stats()).psnr === 'Infinity' &&
        (await grey('coded')).equals(original), photo.name);
  const bppOf = (bytes) => (bytes * 8 / N / N).toFixed(2);
  const lossless = `| ${photo.name} | ${whole.bytes} B (${bppOf(whole.bytes)} bpp) | ${whole.png} B (${bppOf(whole.png)} bpp) |`;

  const rows = photo.rates.map(({ bpp, openjpeg, libjpeg }) => {
    const ours = (wavelet) => shown[`${wavelet} ${bpp}`];
    const cdf97 = ours('cdf97').psnr;
    const where = `${photo.name} ${bpp} bpp: CDF 9/7 ${cdf97.toFixed(2)} dB`;
    check(`CDF 9/7 within ${OPENJPEG_MARGIN_DB} dB of OpenJPEG or better`,
          cdf97 >= openjpeg.psnr - OPENJPEG_MARGIN_DB, `${where}, OpenJPEG ${openjpeg.psnr.toFixed(2)}`);
    check('CDF 9/7 better than libjpeg', libjpeg === null || cdf97 > libjpeg.psnr,
          `${where}, libjpeg ${libjpeg?.psnr.toFixed(2)}`);
    return `| ${photo.name} | ${bpp} | ${ours('cdf97').bytes} | ` +
      WAVELETS.map((wavelet) => ours(wavelet).psnr.toFixed(2)).join(' | ') +
      ` | ${openjpeg.psnr.toFixed(2)} (${openjpeg.bytes} B) | ` +
      (libjpeg ? `${libjpeg.psnr.toFixed(2)} (q${libjpeg.quality}, ${libjpeg.bytes} B)` : 'none fits') +
      ` | ${signed(cdf97 - openjpeg.psnr)} | ${libjpeg ? signed(cdf97 - libjpeg.psnr) : ''} |`;
  });
  return { rows, lossless };
}

function report(results) {
  console.log('| picture | bpp | bytes | Haar | CDF 5/3 | CDF 9/7 | OpenJPEG 9/7 | libjpeg (q) | 9/7 − OpenJPEG | 9/7 − libjpeg |');
  console.log('|---|---|---|---|---|---|---|---|---|---|');
  results.forEach(({ rows }) => rows.forEach((row) => console.log(row)));
  console.log('\n| picture | CDF 5/3 whole stream | the browser\'s PNG |\n|---|---|---|');
  results.forEach(({ lossless }) => console.log(lossless));
  console.log();
  for (const [name, { cases, failures }] of checks) {
    console.log(`${failures.length ? 'FAIL' : 'PASS'} ${name}: ${cases - failures.length} of ${cases}`);
    failures.slice(0, 5).forEach((failure) => console.log(`     ${failure}`));
    if (failures.length > 5)
      console.log(`     and ${failures.length - 5} more`);
  }
  console.log(`damaged streams: ${damageOutcomes.refused} refused, ${damageOutcomes.decoded} decoded`);
  console.log(`load average at the end: ${loadAverage()}`);
}

(async () => {
  const [pagePath] = process.argv.slice(2);
  if (!pagePath) {
    console.error('usage: node bench/web_photos.js build-web/orlinde.html');
    process.exit(2);
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orlinde-photos-'));
  const photographs = JSON.parse(execFileSync('/usr/bin/python3', [path.join(__dirname, 'photo_references.py'), work],
                                              { stdio: ['ignore', 'pipe', 'inherit'] }));
  console.log(`load average at the start: ${loadAverage()}`);
  const { browser, page } = await openPage(pagePath);
  const session = panel(page, work);
  const results = [];
  let stopped = false;
  try {
    for (const photo of photographs)
      results.push(await photoChecks(session, photo));
  } catch (error) {
    // A tab that hangs or crashes answers nothing more: what was seen so far is reported.
    console.error(error);
    stopped = true;
  }
  report(results);
  fs.rmSync(work, { recursive: true, force: true });
  if (!stopped)
    await browser.close();
  process.exit(stopped || [...checks.values()].some(({ failures }) => failures.length > 0) ? 1 : 0);
})();
