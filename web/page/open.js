// Opening pictures: a TGA file goes to the viewer as it is; any other picture the browser reads
// is cut to its centred square, scaled to 512 × 512 and turned grey first. #picture-name says
// which picture is shown and what was done to it on the way in.
'use strict';

const SIDE = 512;

// A grey SIDE × SIDE TGA file holding `grey`, top row first.
function greyTga(grey) {
  const file = new Uint8Array(18 + SIDE * SIDE);
  file[2] = 3;                        // uncompressed grey
  file[12] = SIDE & 255; file[13] = SIDE >> 8;
  file[14] = SIDE & 255; file[15] = SIDE >> 8;
  file[16] = 8;
  file[17] = 0x20;                    // rows run top to bottom
  file.set(grey, 18);
  return file;
}

// Cuts the centred square, scales it to SIDE × SIDE and takes the ITU-R 601-2 luma in Pillow's
// integer form, so that a grey SIDE × SIDE picture comes in unchanged. Returns the grey bytes
// and, in words, what was done.
async function decodeToGrey(blob) {
  const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none',
                                                 premultiplyAlpha: 'none' });
  const { width, height } = bitmap;
  const side = Math.min(width, height);
  const canvas = document.createElement('canvas');
  canvas.width = SIDE;
  canvas.height = SIDE;
  const context = canvas.getContext('2d', { colorSpace: 'srgb' });
  context.imageSmoothingQuality = 'high';
  context.drawImage(bitmap, (width - side) >> 1, (height - side) >> 1, side, side,
                    0, 0, SIDE, SIDE);
  bitmap.close();
  const rgba = context.getImageData(0, 0, SIDE, SIDE).data;
  const grey = new Uint8Array(SIDE * SIDE);
  let colour = false;
  for (let i = 0; i < SIDE * SIDE; ++i) {
    const p = 4 * i;
    colour ||= rgba[p] !== rgba[p + 1] || rgba[p + 1] !== rgba[p + 2];
    grey[i] = (19595 * rgba[p] + 38470 * rgba[p + 1] + 7471 * rgba[p + 2] + 32768) >>> 16;
  }
  const steps = [];
  if (width !== height)
    steps.push(`cut to its centred ${side} × ${side} square`);
  if (side !== SIDE)
    steps.push(`scaled to ${SIDE} × ${SIDE}`);
  steps.push(colour ? 'turned grey' : 'already grey');
  return { grey, done: `${width} × ${height}, ${steps.join(', ')}` };
}

// Hands a TGA file's bytes to the viewer in picture mode; on refusal shows the desktop's message
// and keeps everything as it was. True when the picture was taken.
function openTga(bytes, name) {
  const path = '/opened.tga';
  viewer.FS.writeFile(path, bytes);
  call.setMode(0);
  const refusal = messageAt(call.open(path));
  viewer.FS.unlink(path);
  if (refusal) {
    call.setMode($('mode').value === 'numbers' ? 1 : 0);
    say(refusal);
    return false;
  }
  $('picture-name').textContent = `Shown: ${name}.`;
  $('kept').textContent = '';
  setMode(0);
  return true;
}

async function openFile(file) {
  let bytes;
  let name = file.name;
  if (/\.tga$/i.test(file.name)) {
    bytes = new Uint8Array(await file.arrayBuffer());
    name += ', a 512 × 512 grey TGA file taken as is';
  } else {
    try {
      const { grey, done } = await decodeToGrey(file);
      bytes = greyTga(grey);
      name += ` (${done})`;
    } catch {
      say(`Orlinde: the browser cannot read ${file.name} as a picture.`);
      return;
    }
  }
  // The picker then names no sample, so that choosing either opens it again.
  if (openTga(bytes, name))
    $('sample').selectedIndex = -1;
}

function openSample(value) {
  const option = $('sample').querySelector(`option[value="${value}"]`);
  openTga(Uint8Array.from(atob(SAMPLES[value]), (c) => c.charCodeAt(0)),
          `the ${option.textContent}, a bundled 512 × 512 grey TGA file taken as is`);
}

$('open').addEventListener('change', () => {
  if ($('open').files.length > 0)
    openFile($('open').files[0]).finally(() => { $('open').value = ''; });
});
$('sample').addEventListener('change', () => openSample($('sample').value));
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  if (event.dataTransfer.files.length > 0)
    openFile(event.dataTransfer.files[0]);
});
