#!/usr/bin/python3
"""Takes the README's screenshots from the real orlinde window, in a private Xvfb.

Usage: PYTHONPATH=tests/app:tests/wavelet /usr/bin/python3 docs/screenshots.py PATH/TO/orlinde
       [IMAGE.tga [OUTPUT-FOLDER]]

It drives the window with the window tests' harness (tests/app/harness.py) and the transform's
model (tests/wavelet/haar_model.py), which PYTHONPATH names.

IMAGE defaults to samples/testcard.tga and OUTPUT-FOLDER to this script's folder. Each picture
starts a fresh viewer, types its keys, and is saved only once the window shows exactly what the
independent model haar_model.py expects for those keys, with the frame, the
background and the status line in place; so every run writes the same files.
"""

import os
import sys

import numpy as np
from PIL import Image

import harness
from haar_model import Model
from harness import bottom_up, grey_values

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# File name (without .png) and the keys typed after the picture is shown.
SHOTS = (
    ("loaded", ""),
    ("one-row-pass", "f"),
    ("non-standard", "F" + "B" * 7),
    ("standard", "S" + "F" + "B" * 7),
    ("normalized", "N" + "F" + "B" * 7),
)


def shoot(server, image, keys):
    model = Model(grey_values(image))
    for key in keys:
        model.key(key)
    expected = model.screen()
    with harness.Viewer(server, image) as viewer:
        viewer.wait_for_layout(bottom_up(image), what="the picture as loaded")
        viewer.keys(keys)
        pixels = viewer.wait_for_layout(expected, what=f"the picture after {keys!r}")
    return Image.fromarray(np.ascontiguousarray(pixels[::-1]), "RGB").convert("L")


def main(argv):
    if not 2 <= len(argv) <= 4:
        sys.exit(__doc__)
    harness.BINARY = os.path.abspath(argv[1])
    image = os.path.abspath(argv[2]) if len(argv) > 2 else os.path.join(ROOT, "samples",
                                                                         "testcard.tga")
    out = argv[3] if len(argv) > 3 else HERE
    with harness.XServer() as server:
        for name, keys in SHOTS:
            path = os.path.join(out, name + ".png")
            shoot(server, image, keys).save(path, optimize=True)
            print(path)


if __name__ == "__main__":
    main(sys.argv)
