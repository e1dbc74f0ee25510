#!/usr/bin/env python3
"""PSNR of the wavelet coder (Haar, CDF 5/3, CDF 9/7) against OpenJPEG (JPEG 2000) and libjpeg, both
through Pillow, at the same bytes; and the coder's encode and decode times. Outside the test suite.

Usage: bench/codec_rates.py BENCH_BINARY [PICTURE...]

BENCH_BINARY is orlinde_codec_bench (cmake -DORLINDE_BUILD_BENCH=ON, target orlinde_codec_bench).
Pictures are anything Pillow opens; each is turned grey and, when not 512 x 512, cut to its centre
square and scaled to 512 x 512 (Lanczos). Without pictures: the bundled samples/*.tga and the
photographs camera.png, astronaut.png and coffee.png of Debian's python3-skimage, from its data folder
(/usr/lib/python3/dist-packages/skimage/data, or where SKIMAGE_DATA says); when neither has them,
the package's archive is fetched and unpacked without installing it (`apt-get download
python3-skimage && dpkg-deb -x python3-skimage_*.deb /tmp/skimage`), once: later runs find them there.

For each rate r, the budget is B = r x 512 x 512 / 8 bytes; ours is the prefix of the stream that
fits (header included); OpenJPEG is the largest codestream (.j2k, no JP2 box) of at most B bytes
that Pillow writes with 9/7 (irreversible), 5 levels (6 resolutions), one tile and one quality
layer, its rate bisected; libjpeg is the highest quality (optimized Huffman tables, 4:2:0 is moot
for grey) whose file fits in B. PSNR is on 8-bit greys with peak 255.
"""

import glob
import io
import os
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

N = 512
LEVELS = 5
RATES = (0.25, 0.5, 1.0)
TIMING_BPP = 2.0
SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INSTALLED = "/usr/lib/python3/dist-packages/skimage/data"
SKIMAGE = os.environ.get("SKIMAGE_DATA", INSTALLED)
PHOTOS = ("camera.png", "astronaut.png", "coffee.png")
UNPACKED = os.path.join(tempfile.gettempdir(), "skimage")


def photographs():
    """The paths of PHOTOS, from the package's archive, fetched and unpacked when no folder has them."""
    unpacked = UNPACKED + INSTALLED
    for folder in (SKIMAGE, unpacked):
        if all(os.path.exists(os.path.join(folder, name)) for name in PHOTOS):
            return [os.path.join(folder, name) for name in PHOTOS]
    with tempfile.TemporaryDirectory() as download:
        subprocess.run(["apt-get", "download", "python3-skimage"], cwd=download, check=True)
        archive, = glob.glob(os.path.join(download, "python3-skimage_*.deb"))
        subprocess.run(["dpkg-deb", "-x", archive, UNPACKED], check=True)
    return [os.path.join(unpacked, name) for name in PHOTOS]


def budget(rate):
    """The bytes that `rate` bits per pixel allow a 512 x 512 picture."""
    return int(rate * N * N / 8)


def grey_square(path):
    picture = Image.open(path).convert("L")
    if picture.size != (N, N):
        side = min(picture.size)
        left, top = (picture.width - side) // 2, (picture.height - side) // 2
        picture = picture.crop((left, top, left + side, top + side)).resize((N, N), Image.LANCZOS)
    return np.asarray(picture, dtype=np.uint8)


def psnr(a, b):
    error = np.mean((a.astype(np.float64) - b.astype(np.float64)) ** 2)
    return float("inf") if error == 0 else 10 * np.log10(255.0 ** 2 / error)


def openjpeg(grey, budget):
    """(bytes, PSNR) of the largest one-layer 9/7 codestream of at most `budget` bytes."""
    def encode(ratio):
        out = io.BytesIO()
        Image.fromarray(grey).save(out, "JPEG2000", no_jp2=True, irreversible=True, num_resolutions=LEVELS + 1,
                                   quality_mode="rates", quality_layers=[ratio])
        return out.getvalue()

    # Ratio r asks for about grey.size / r bytes; bisect it between too many and too few bytes.
    many, few = grey.size / budget * 0.9, grey.size / budget * 4
    best = encode(few)
    if len(best) > budget:
        sys.exit(f"OpenJPEG does not fit {budget} bytes")
    for _ in range(24):
        ratio = (many + few) / 2
        data = encode(ratio)
        if len(data) <= budget:
            few = ratio
            best = max(best, data, key=len)
        else:
            many = ratio
    decoded = np.asarray(Image.open(io.BytesIO(best)).convert("L"))
    return len(best), psnr(decoded, grey)


def libjpeg(grey, budget):
    """(bytes, PSNR, quality) of the best-quality JPEG of at most `budget` bytes; None if none fits."""
    best = None
    for quality in range(1, 101):
        out = io.BytesIO()
        Image.fromarray(grey).save(out, "JPEG", quality=quality, optimize=True)
        if out.tell() > budget:
            break
        best = (out.getvalue(), quality)
    if best is None:
        return None
    decoded = np.asarray(Image.open(io.BytesIO(best[0])).convert("L"))
    return len(best[0]), psnr(decoded, grey), best[1]


def run(binary, *args):
    return subprocess.run([binary, *map(str, args)], check=True, capture_output=True, text=True).stdout.split("\n")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    binary = sys.argv[1]
    pictures = sys.argv[2:] or sorted(glob.glob(os.path.join(SOURCE, "samples", "*.tga"))) + photographs()
    print("| picture | bpp | Haar | CDF 5/3 | CDF 9/7 | OpenJPEG 9/7 | libjpeg (q) | 9/7 − OpenJPEG | 9/7 − libjpeg |")
    print("|---|---|---|---|---|---|---|---|---|")
    timings = []
    with tempfile.TemporaryDirectory() as folder:
        for path in pictures:
            grey = grey_square(path)
            raw = os.path.join(folder, "picture.raw")
            grey.tofile(raw)
            ours = {}
            for line in run(binary, "rates", N, LEVELS, raw, *RATES):
                if line:
                    wavelet, bpp, length, value = line.split()
                    ours[wavelet, float(bpp)] = (int(length), float(value))
            for rate in RATES:
                j2k_bytes, j2k = openjpeg(grey, budget(rate))
                jpeg = libjpeg(grey, budget(rate))
                cdf97 = ours["cdf97", rate][1]
                jpeg_cell, jpeg_gain = "none fits", ""
                if jpeg:
                    jpeg_cell, jpeg_gain = f"{jpeg[1]:.2f} (q{jpeg[2]}, {jpeg[0]} B)", f"{cdf97 - jpeg[1]:+.2f}"
                print(f"| {os.path.basename(path)} | {rate:g} | {ours['haar', rate][1]:.2f} | {ours['cdf53', rate][1]:.2f} "
                      f"| {cdf97:.2f} | {j2k:.2f} ({j2k_bytes} B) | {jpeg_cell} | {cdf97 - j2k:+.2f} | {jpeg_gain} |")
            for line in run(binary, "time", N, LEVELS, raw, TIMING_BPP):
                if line:
                    timings.append((os.path.basename(path), *line.split()))
    print()
    print(f"Native processor times, median of 21 runs: encoding up to {TIMING_BPP:g} bpp, decoding that prefix, "
          "encoding with a record, replaying the prefix from it.")
    print()
    print("| picture | wavelet | encode ms | decode ms | encode with record ms | replay ms | bytes |")
    print("|---|---|---|---|---|---|---|")
    for name, *cells in timings:
        print(f"| {name} | {' | '.join(cells)} |")


if __name__ == "__main__":
    main()
