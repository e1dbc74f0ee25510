"""Writes with Pillow, into the directory given, the pictures the page's tests open: grey.tga,
512 × 512 grey noise; colour.png, 600 × 512 colour noise, whose centred square needs no scaling;
blocks.png, 1280 × 1024 in blocks of 64 × 64 in random colours, whose centred square is halved;
portrait.png, 512 × 700 colour noise, cut from the middle of its height; colour.tga, blocks.tga
and portrait.tga, those squares (halved) in Pillow's "L", which inside the blocks any scaling
filter must give; small.tga, 256 × 256 grey, which the desktop refuses and the page scales;
palette.tga, colour-mapped, which the reader refuses; broken.png, bytes no browser can decode.

For opening by content: grey-alpha.png, grey.tga's noise with an alpha channel opaque everywhere;
logo.png, 512 × 512 grey in bands, transparent on the left, half transparent in the middle;
colour-png.tga, colour.png's
bytes under a TGA name; colour512.tga, colour.png's
centred square as a 24-bit TGA (its grey is colour.tga); drawing.svg, 800 × 400, black on its
left half, white on its right; sizeless.svg, a drawing with a view box but no size, its elements
with a namespace prefix."""

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

grey = np.asarray(Image.open(os.path.join(sys.argv[1], "grey.tga")))
save(np.dstack([grey, np.full_like(grey, 255)]), "LA", "grey-alpha.png")
bands = np.repeat(noise(1, 512), 512, 0)
alpha = np.full((512, 512), 255, np.uint8)
alpha[:, :128] = 0
alpha[:, 192:320] = 128
save(np.dstack([bands, alpha]), "LA", "logo.png")
with open(os.path.join(sys.argv[1], "colour.png"), "rb") as f, \
        open(os.path.join(sys.argv[1], "colour-png.tga"), "wb") as g:
    g.write(f.read())
save(colour[:, 44:556], "RGB", "colour512.tga")
# The sizeless one names its elements with a namespace prefix, as some tools write SVG.
for name, size, svg in (("drawing.svg", 'width="800" height="400" ', ""),
                        ("sizeless.svg", "", "svg:")):
    with open(os.path.join(sys.argv[1], name), "w") as f:
        f.write(f'<?xml version="1.0"?>\n<{svg}svg xmlns{svg and ":svg"}="http://www.w3.org/2000/svg" '
                f'{size}viewBox="0 0 800 400"><{svg}rect width="800" height="400" fill="#fff"/>'
                f'<{svg}rect width="400" height="400" fill="#000"/></{svg}svg>\n')
