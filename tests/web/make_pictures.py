"""Writes with Pillow, into the directory given, the pictures the page's tests open: grey.tga,
512 × 512 grey noise; colour.png, 600 × 512 colour noise, whose centred square needs no scaling;
blocks.png, 1280 × 1024 in blocks of 64 × 64 in random colours, whose centred square is halved;
portrait.png, 512 × 700 colour noise, cut from the middle of its height; colour.tga, blocks.tga
and portrait.tga, those squares (halved) in Pillow's "L", which inside the blocks any scaling
filter must give; small.tga, 256 × 256 grey, which the viewer refuses; palette.tga,
colour-mapped, which the reader refuses; broken.png, bytes no browser can decode."""

import os
import sys

import numpy as np
from PIL import Image

rng = np.random.default_rng(10)


def save(array, mode, name):
    Image.fromarray(array, mode).save(os.path.join(sys.argv[1], name))


def noise(*shape, top=256):
    return rng.integers(0, top, shape, dtype=np.uint8)


save(noise(512, 512), "L", "grey.tga")
colour = noise(512, 600, 3)
save(colour, "RGB", "colour.png")
blocks = noise(16, 20, 3)
save(blocks.repeat(64, 0).repeat(64, 1), "RGB", "blocks.png")
portrait = noise(700, 512, 3)
save(portrait, "RGB", "portrait.png")
for name, square in (("colour", colour[:, 44:556]),
                     ("blocks", blocks[:, 2:18].repeat(32, 0).repeat(32, 1)),
                     ("portrait", portrait[94:606])):
    save(np.asarray(Image.fromarray(square, "RGB").convert("L")), "L", f"{name}.tga")
save(noise(256, 256), "L", "small.tga")
save(noise(512, 512, top=4), "P", "palette.tga")
with open(os.path.join(sys.argv[1], "broken.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + noise(300).tobytes())
