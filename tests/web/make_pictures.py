"""Writes the pictures the page's tests open, with Pillow, into the directory given:
grey.tga       512 × 512 grey noise, rows stored bottom-up as Pillow writes them;
colour.png     600 × 512 colour, whose centred square needs no scaling;
colour.tga     what the page should make of colour.png: its centred square in Pillow's "L";
small.tga      256 × 256 grey, which the viewer refuses;
palette.tga    512 × 512 colour-mapped, which the reader refuses;
broken.png     bytes no browser can decode."""

import os
import sys

import numpy as np
from PIL import Image

out = sys.argv[1]
rng = np.random.default_rng(10)
Image.fromarray(rng.integers(0, 256, (512, 512), dtype=np.uint8), "L").save(
    os.path.join(out, "grey.tga"))
y, x = np.mgrid[0:512, 0:600]
rgb = np.stack([(x * 255) // 599, (y * 255) // 511, (x ^ y) & 255], axis=-1).astype(np.uint8)
colour = Image.fromarray(rgb, "RGB")
colour.save(os.path.join(out, "colour.png"))
colour.crop((44, 0, 556, 512)).convert("L").save(os.path.join(out, "colour.tga"))
Image.fromarray(rng.integers(0, 256, (256, 256), dtype=np.uint8), "L").save(
    os.path.join(out, "small.tga"))
Image.fromarray(rng.integers(0, 4, (512, 512), dtype=np.uint8), "P").save(
    os.path.join(out, "palette.tga"))
with open(os.path.join(out, "broken.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + bytes(rng.integers(0, 256, 300, dtype=np.uint8)))
