#!/usr/bin/python3
"""Draw Orlinde's two sample images and write them as 512 x 512 greyscale TGA.

testcard.tga  a test card: each region shows one thing the Haar transform does
              (edges in each direction, smooth ramps, 1-pixel texture, rings,
              a zone plate, lettering, and the same edge shifted by one pixel).
scene.tga     a soft, photograph-like landscape, to watch how a natural image
              packs its energy into the averages and leaves small details.

Usage: make_samples.py [output-folder]     (default: this script's folder)

Everything is computed from fixed numbers and a fixed seed, so every run
writes byte-identical files.
"""
import os
import sys

import numpy as np

N = 512
SEED = 20240611

# Arrays are indexed [row, column] with row 0 at the TOP of the picture, as one
# thinks when drawing; only write_tga turns them over.
yy, xx = np.mgrid[0:N, 0:N].astype(np.float64)


def write_tga(path, img):
    """Write an N x N uint8 array as uncompressed 8-bit grey TGA (type 3)."""
    h, w = img.shape
    header = bytes([0, 0, 3,              # no image ID, no colour map, grey
                    0, 0, 0, 0, 0,        # colour-map fields: unused
                    0, 0, 0, 0,           # x and y origin
                    w & 255, w >> 8, h & 255, h >> 8,
                    8, 0x00])             # 8 bits per pixel, bottom-left origin
    with open(path, "wb") as f:
        f.write(header)
        # Descriptor 0x00 puts the first stored row at the bottom of the picture.
        f.write(np.ascontiguousarray(img[::-1]).tobytes())


def to_bytes(img):
    """Round to the nearest grey level; clipping keeps noise from wrapping."""
    return np.clip(np.rint(img), 0, 255).astype(np.uint8)


def smoothstep(e0, e1, v):
    t = np.clip((v - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3 - 2 * t)


def blur(img, sigma):
    """Separable Gaussian blur; edges are extended so borders do not darken."""
    r = int(3 * sigma + 0.5)
    k = np.exp(-0.5 * (np.arange(-r, r + 1) / sigma) ** 2)
    k /= k.sum()
    p = np.pad(img, r, mode="edge")
    p = sum(k[i] * p[:, i:i + img.shape[1]] for i in range(2 * r + 1))
    return sum(k[i] * p[i:i + img.shape[0], :] for i in range(2 * r + 1))


# A 5 x 7 bitmap font holding just the letters the card spells.
FONT = {
    "H": ["X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "I": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "XXXXX"],
    "N": ["X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"],
    "D": ["XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
}


def draw_text(img, text, top, left, scale, value):
    """Stamp text with each font cell scale x scale pixels, one cell apart."""
    for n, ch in enumerate(text):
        glyph = np.array([[c == "X" for c in row] for row in FONT[ch]])
        block = np.kron(glyph, np.ones((scale, scale), dtype=bool))
        x0 = left + n * 6 * scale
        region = img[top:top + 7 * scale, x0:x0 + 5 * scale]
        region[block] = value


def make_testcard():
    img = np.full((N, N), 128.0)

    # Full-width ramp: neighbours differ by half a grey level, so the details
    # are zero or tiny while the averages carry the whole ramp.
    img[0:48] = xx[0:48] * 255.0 / (N - 1)

    # One step wedge twice: above, the steps start at even columns; below,
    # one pixel to the right. Only the shifted copy shows in the first
    # level's horizontal details: Haar is not shift-invariant.
    img[48:80] = (xx[48:80] // 32) * 17
    img[80:112] = ((xx[80:112] - 1) // 32).clip(0) * 17

    # Zone plate: the local frequency rises with the radius up to half a cycle
    # per pixel at the rim, so each level's details light up their own ring.
    r2 = (xx - 96) ** 2 + (yy - 208) ** 2
    zone = 128 + 127 * np.cos(np.pi * r2 / 180.0)
    inside = r2 < 90 ** 2
    img[inside] = zone[inside]

    # Hard-edged rings 6 pixels wide around a centre between pixels: curved
    # edges give details in all three orientations at once.
    r = np.hypot(xx - 288.5, yy - 207.5)
    rings = np.where((r // 6) % 2 == 0, 230.0, 25.0)
    inside = r < 90
    img[inside] = rings[inside]

    # Diagonal stripes above a solid triangle: pixel staircases at 45 degrees
    # show in all three detail bands, the diagonal one included.
    cell = (slice(118, 206), slice(392, 506))
    img[cell] = np.where(((xx + yy)[cell] // 9) % 2 == 0, 220.0, 40.0)
    tri = (yy >= 212) & (yy < 298) & (xx >= 392) & (xx - 392 <= yy - 212)
    img[tri] = 250.0

    # Fine textures: 1-pixel vertical stripes live only in the first level's
    # horizontal details, horizontal stripes only in its vertical details,
    # the 1-pixel checkerboard only in its diagonal details; the 2-pixel
    # board leaves the first level blank and shows up at the second.
    band = (slice(304, 400), slice(None))
    tx, ty = xx[band], yy[band]
    img[band] = np.select(
        [tx < 128, tx < 256, tx < 384],
        [tx % 2, ty % 2, (tx + ty) % 2],
        (tx // 2 + ty // 2) % 2) * 255.0

    # Lettering on a dark band, font cells of odd size at odd offsets, so the
    # letters' edges fall both between and inside the pixel pairs.
    img[400:N] = 20.0
    draw_text(img, "HAAR", 411, 13, 9, 240.0)
    draw_text(img, "ORLINDE", 483, 15, 3, 200.0)

    # Bars of widths 1 to 8 with equal gaps, upright and lying: wide bars
    # survive into the coarse levels, narrow ones fade after the first few.
    bars = np.concatenate([np.r_[np.ones(w), np.zeros(w)] for w in range(1, 9)]) > 0
    img[407:505, 257:329][:, bars] = 235.0
    img[407:479, 345:505][bars, :] = 235.0
    return to_bytes(img)


def make_scene():
    rng = np.random.default_rng(SEED)

    # Sky: darker overhead, hazy towards the horizon, with a few soft clouds.
    img = 95 + 110 * smoothstep(0, 330, yy)
    for cx, cy, sx, sy, amp in [(120, 70, 60, 14, 40), (170, 85, 45, 10, 30),
                                (390, 50, 70, 12, 35), (430, 64, 40, 9, 25)]:
        img += amp * np.exp(-((xx - cx) / sx) ** 2 - ((yy - cy) / sy) ** 2)

    # Sun: a bright disc whose rim fades over a few pixels, with a faint glow.
    r = np.hypot(xx - 371.3, yy - 143.7)
    img += 25 * np.exp(-(r / 70) ** 2)
    disc = 1 - smoothstep(26, 30, r)
    img = img * (1 - disc) + 250 * disc

    # Hills as sums of sines: the far ridge pale with haze, the near one dark.
    # Each ridge line is anti-aliased by its sub-pixel height.
    x = xx[0]
    far = 250 + 18 * np.sin(x / 61 + 0.7) + 9 * np.sin(x / 23 + 2.1) + 4 * np.sin(x / 9)
    near = 330 + 30 * np.sin(x / 97 + 2.5) + 11 * np.sin(x / 37 + 0.3) + 3 * np.sin(x / 7 + 1)
    for ridge, shade in [(far, 150.0), (near, 85.0)]:
        cover = np.clip(yy - ridge[None, :] + 0.5, 0, 1)
        ground = shade - 25 * smoothstep(ridge[None, :], ridge[None, :] + 180, yy)
        img = img * (1 - cover) + ground * cover

    # Conifers on the near hill: dark triangles on short trunks; their
    # slanted sides and odd positions give details at every level.
    for tx, size in [(61, 50), (87, 38), (109, 44), (421, 56), (455, 41), (483, 47)]:
        base = int(near[tx]) + 16
        tri = (yy <= base) & (yy >= base - size) & (np.abs(xx - tx) <= (yy - base + size) * 0.32)
        img[tri] = 35
        img[base:base + 9, tx - 2:tx + 3] = 45

    # A winding pale path across the near hill, widening towards the viewer.
    centre = 250 + 60 * np.sin(yy / 55) + (yy - 340) * 0.4
    half = 2 + (yy - 340) * 0.12
    path = (yy > 340) & (np.abs(xx - centre) < half)
    img[path] = 150 - (yy[path] - 340) * 0.2

    # A house: light wall, dark pitched roof, dark door and window.
    hx, hy = 183, 371                      # left edge and floor of the wall
    img[hy - 41:hy, hx:hx + 65] = 200
    roof = (yy < hy - 40) & (yy >= hy - 73) & (np.abs(xx - (hx + 32)) <= (yy - (hy - 73)) * 1.15)
    img[roof] = 60
    img[hy - 27:hy, hx + 9:hx + 22] = 70
    img[hy - 31:hy - 16, hx + 37:hx + 54] = 90
    img[hy - 24, hx + 37:hx + 54] = 200    # window bars
    img[hy - 31:hy - 16, hx + 45] = 200

    # Soften like a lens, then add a mottle (faint in the sky, stronger on the
    # grass) and mild film grain so no region is exactly flat, as in any real
    # photograph.
    img = blur(img, 0.8)
    mottle = blur(rng.normal(0.0, 1.0, img.shape), 2.0)
    img += (1 + 3 * smoothstep(230, 330, yy)) * mottle / mottle.std()
    img += rng.normal(0.0, 2.5, img.shape)
    return to_bytes(img)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    for name, make in [("testcard.tga", make_testcard), ("scene.tga", make_scene)]:
        write_tga(os.path.join(out, name), make())


if __name__ == "__main__":
    main()
