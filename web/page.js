// The page around the compiled viewer: keys and buttons, opening pictures, and drawing the
// coefficient array into #picture after every change.
'use strict';

const N = 512;
const $ = (id) => document.getElementById(id);

// Any picture but a TGA file becomes an 8-bit grey TGA file of N × N and takes the same way in,
// so the reader's own conversion makes every picture's floats.
function greyTga(grey) {
  const file = new Uint8Array(18 + N * N);
  file[2] = 3;                        // uncompressed grey
  file[12] = N & 255; file[13] = N >> 8;
  file[14] = N & 255; file[15] = N >> 8;
  file[16] = 8;
  file[17] = 0x20;                    // rows run top to bottom
  file.set(grey, 18);
  return file;
}

// Cuts the centred square, scales it to N × N and takes the ITU-R 601-2 luma in Pillow's
// integer form, so a grey N × N picture comes in unchanged.
async function decodeToGrey(blob) {
  const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none',
                                                 premultiplyAlpha: 'none' });
  const side = Math.min(bitmap.width, bitmap.height);
  const canvas = document.createElement('canvas');
  canvas.width = N;
  canvas.height = N;
  const context = canvas.getContext('2d', { colorSpace: 'srgb' });
  context.imageSmoothingQuality = 'high';
  context.drawImage(bitmap, (bitmap.width - side) >> 1, (bitmap.height - side) >> 1, side, side,
                    0, 0, N, N);
  bitmap.close();
  const rgba = context.getImageData(0, 0, N, N).data;
  const grey = new Uint8Array(N * N);
  for (let i = 0; i < N * N; ++i) {
    const p = 4 * i;
    grey[i] = (19595 * rgba[p] + 38470 * rgba[p + 1] + 7471 * rgba[p + 2] + 32768) >>> 16;
  }
  return grey;
}

createOrlinde().then((viewer) => {
  const open = viewer.cwrap('orlindeOpen', 'number', ['string']);
  const key = viewer.cwrap('orlindeKey', null, ['number']);
  const status = viewer.cwrap('orlindeStatus', 'string', []);
  const data = viewer.cwrap('orlindeData', 'number', []);
  const nothingDecomposed = viewer.cwrap('orlindeNothingDecomposed', 'number', []);
  const render = viewer.cwrap('orlindeRender', 'number', ['number']);
  const keep = viewer.cwrap('orlindeKeep', 'number', ['number']);
  const psnr = viewer.cwrap('orlindePsnr', 'number', []);

  const context = $('picture').getContext('2d');
  const image = context.createImageData(N, N);
  // The array position under the pointer, or null when the pointer is off the picture.
  let pointer = null;

  // Row (from the bottom, as in the array), column and value of the coefficient under the pointer.
  function showReadout() {
    if (pointer === null) {
      $('readout').textContent = '';
      return;
    }
    const { row, column } = pointer;
    // Nine significant digits tell every 32-bit float apart.
    const value = Number(viewer.HEAPF32[(data() >> 2) + row * N + column].toPrecision(9));
    $('readout').textContent = `row ${row}, column ${column}: ${value}`;
  }

  function draw() {
    const pixels = render($('signed').checked ? 1 : 0);
    image.data.set(viewer.HEAPU8.subarray(pixels, pixels + 4 * N * N));
    context.putImageData(image, 0, 0);
    $('status').textContent = status();
    if (nothingDecomposed()) {
      const db = psnr();
      $('psnr').textContent = db === Infinity ? '∞' : `${db.toFixed(2)} dB`;
    } else {
      $('psnr').textContent = '(reconstruct fully to compare)';
    }
    showReadout();
  }

  // Hands a TGA file's bytes to the viewer; on refusal shows the desktop's message and keeps
  // everything as it was. True when the picture was taken.
  function openTga(bytes) {
    const path = '/opened.tga';
    viewer.FS.writeFile(path, bytes);
    const refusal = open(path);
    viewer.FS.unlink(path);
    if (refusal) {
      $('message').textContent = viewer.UTF8ToString(refusal);
      return false;
    }
    $('message').textContent = '';
    $('kept').textContent = '';
    draw();
    return true;
  }

  async function openFile(file) {
    let bytes;
    if (/\.tga$/i.test(file.name)) {
      bytes = new Uint8Array(await file.arrayBuffer());
    } else {
      try {
        bytes = greyTga(await decodeToGrey(file));
      } catch {
        $('message').textContent = `Orlinde: the browser cannot read ${file.name} as a picture.`;
        return;
      }
    }
    // The picker then names no sample, so that choosing either opens it again.
    if (openTga(bytes))
      $('sample').selectedIndex = -1;
  }

  function openSample(name) {
    openTga(Uint8Array.from(atob(SAMPLES[name]), (c) => c.charCodeAt(0)));
  }

  function press(k) {
    key(k.charCodeAt(0));
    draw();
  }

  // Every key of one byte goes to the viewer, as in the window, unless it is typed into the
  // percentage or meant for the browser. ESC (a named key here) has no window to close.
  document.addEventListener('keydown', (event) => {
    if (event.target === $('keep') || event.ctrlKey || event.metaKey || event.altKey ||
        event.key.length !== 1 || event.key.charCodeAt(0) > 255)
      return;
    event.preventDefault();
    press(event.key);
  });
  for (const button of $('keys').querySelectorAll('button'))
    button.addEventListener('click', () => press(button.dataset.key));

  $('open').addEventListener('change', () => {
    if ($('open').files.length > 0)
      openFile($('open').files[0]).finally(() => { $('open').value = ''; });
  });
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
  $('sample').addEventListener('change', () => openSample($('sample').value));
  $('signed').addEventListener('change', draw);

  $('compress').addEventListener('click', () => {
    const percent = Number($('keep').value);
    if (!(percent > 0 && percent <= 100)) {
      $('kept').textContent = 'Give a percentage above 0 and at most 100.';
      return;
    }
    const kept = keep(percent);
    $('kept').textContent = `Kept ${kept} of ${N * N} coefficients.`;
    draw();
  });

  $('picture').addEventListener('mousemove', (event) => {
    const box = $('picture').getBoundingClientRect();
    const column = Math.floor((event.clientX - box.left) * N / box.width);
    const top = Math.floor((event.clientY - box.top) * N / box.height);
    const onPicture = column >= 0 && column < N && top >= 0 && top < N;
    pointer = onPicture ? { row: N - 1 - top, column } : null;
    showReadout();
  });
  $('picture').addEventListener('mouseleave', () => {
    pointer = null;
    showReadout();
  });

  // Hooks for scripts, in base 64: the coefficients as the bytes of their 32-bit floats, and the
  // canvas's RGBA bytes, top row first.
  const base64 = (bytes) => {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  };
  window.orlinde = {
    coefficients: () => base64(viewer.HEAPU8.subarray(data(), data() + 4 * N * N)),
    canvas: () => base64(context.getImageData(0, 0, N, N).data),
  };

  openSample('testcard');
  document.body.dataset.ready = 'true';
});
