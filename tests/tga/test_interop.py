#!/usr/bin/env python3
"""Reads TGA files written at test time by Pillow, netpbm and ImageMagick through tga_dump.

Usage: test_interop.py PATH/TO/tga_dump

A file that loads must give exactly the floats its pixel bytes call for: each byte b becomes
float32(b) * float32(K), K the float nearest to 1/255 (harness.K), with row 0 at the bottom. The
pictures are asymmetric (a different value in every corner, odd sizes, width unlike height), so
any flip, transposition or channel swap shows.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import numpy as np
from PIL import Image

from harness import K

DUMP = None

HEIGHT, WIDTH = 5, 7
DEPTH = {"L": 8, "RGB": 24, "RGBA": 32}


def picture(mode):
    """Top row first, as the writers hold pictures; 0 and 255 included."""
    g = (np.arange(HEIGHT * WIDTH).reshape(HEIGHT, WIDTH) * 37 + 11) % 256
    g[0, 0], g[0, -1], g[-1, 0], g[-1, -1] = 0, 200, 100, 255
    if mode == "L":
        return g.astype(np.uint8)
    planes = [g, (g * 3 + 50) % 256, 255 - g, (g * 7 + 1) % 256][:DEPTH[mode] // 8]
    return np.stack(planes, axis=-1).astype(np.uint8)


def header(path):
    """The header fields the cases rely on, the image ID and the file's size."""
    with open(path, "rb") as f:
        data = f.read()
    id_length, _, image_type = data[:3]
    depth, descriptor = data[16:18]
    return {"image_type": image_type, "depth": depth, "descriptor": descriptor,
            "image_id": data[18:18 + id_length], "file_size": len(data)}


def dump(path):
    """(message, None) when the load throws, else ((width, height, depth, result), floats)."""
    run = subprocess.run([DUMP, path], stdout=subprocess.PIPE, check=False)
    first, _, rest = run.stdout.partition(b"\n")
    if run.returncode == 1:
        return first.decode(), None
    if run.returncode != 0:
        raise AssertionError(f"tga_dump exited with {run.returncode}")
    return tuple(int(v) for v in first.split()), np.frombuffer(rest, dtype=np.float32)


def tool(name):
    path = shutil.which(name)
    if path is None:
        raise AssertionError(f"{name} is needed for this test and is not installed")
    return path


class InItsOwnFolder(unittest.TestCase):
    """A test whose files live in a folder of its own, removed afterwards."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="orlinde_test.")
        self.addCleanup(shutil.rmtree, self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)


class WrittenByOtherTools(InItsOwnFolder):

    def sh(self, argv, stdout_name=None):
        with open(self.path(stdout_name), "wb") if stdout_name else open(os.devnull, "wb") as out:
            subprocess.run(argv, cwd=self.dir, stdout=out, stderr=subprocess.PIPE, check=True)

    def assert_loads_as(self, path, bottom_up):
        """Loads, and converts to exactly the floats of these bytes, row 0 at the bottom."""
        height, width = bottom_up.shape[:2]
        channels = bottom_up.size // (height * width)
        dims, got = dump(path)
        self.assertIsNotNone(got, f"refused: {dims}")
        self.assertEqual(dims, (width, height, 8 * channels, bottom_up.size))
        expected = (bottom_up.astype(np.float32) * K).ravel()
        self.assertTrue(np.array_equal(got.view(np.uint32), expected.view(np.uint32)),
                        f"floats differ from the file's pixels:\n{got}\n{expected}")

    def test_pillow_in_both_orientations_with_a_footer(self):
        for mode, image_type in (("L", 3), ("RGB", 2), ("RGBA", 2)):
            for orientation, descriptor in ((-1, 0x00), (1, 0x20)):
                with self.subTest(mode=mode, orientation=orientation):
                    p = self.path(f"{mode}{orientation}.tga")
                    Image.fromarray(picture(mode), mode).save(p, orientation=orientation)
                    h = header(p)
                    self.assertEqual((h["image_type"], h["depth"], h["descriptor"] & 0x30),
                                     (image_type, DEPTH[mode], descriptor))
                    self.assertGreater(h["file_size"], 18 + picture(mode).size,
                                       "expected a TGA 2.0 footer")
                    self.assert_loads_as(p, np.flipud(picture(mode)))

    def test_netpbm_with_the_file_name_as_image_id(self):
        for mode, option, name in (("L", "-mono", "g.pgm"), ("RGB", "-rgb", "c.ppm")):
            with self.subTest(mode=mode):
                Image.fromarray(picture(mode), mode).save(self.path(name))
                self.sh([tool("pamtotga"), option, "-norle", name], "nb.tga")
                h = header(self.path("nb.tga"))
                self.assertEqual((h["depth"], h["image_id"]), (DEPTH[mode], name[:1].encode()))
                self.assert_loads_as(self.path("nb.tga"), np.flipud(picture(mode)))

    def test_imagemagick_agrees_with_pillow(self):
        # ImageMagick 6 stores the rows top first under a bottom-left header; the header rules.
        for mode, name in (("L", "g.pgm"), ("RGB", "c.ppm")):
            with self.subTest(mode=mode):
                Image.fromarray(picture(mode), mode).save(self.path(name))
                self.sh([tool("convert"), name, "-depth", "8", "im.tga"])
                self.assertEqual(header(self.path("im.tga"))["depth"], DEPTH[mode])
                with Image.open(self.path("im.tga")) as im:
                    self.assertEqual(im.mode, mode)
                    seen = np.asarray(im)
                self.assertTrue(np.array_equal(seen, picture(mode)) or
                                np.array_equal(seen, np.flipud(picture(mode))))
                self.assert_loads_as(self.path("im.tga"), np.flipud(seen))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    DUMP = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
