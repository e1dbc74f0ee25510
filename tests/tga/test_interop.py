#!/usr/bin/env python3
"""Reads TGA files written at test time by Pillow, netpbm and ImageMagick through tga_dump.

Usage: test_interop.py PATH/TO/tga_dump

A file that loads must give exactly the floats its header and pixel bytes call for: each byte b
becomes float32(b) * float32(K), K the float nearest to 1/255 (harness.K), with row 0 at the
bottom. The pictures are asymmetric (a different value in every corner, odd sizes, width
unlike height), so any flip, transposition or channel swap shows.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import numpy as np
from PIL import Image

from harness import K

DUMP = None

HEIGHT, WIDTH = 5, 7


def grey_picture():
    """Top row first, as Pillow and netpbm hold pictures; 0 and 255 included."""
    a = (np.arange(HEIGHT * WIDTH).reshape(HEIGHT, WIDTH) * 37 + 11) % 256
    a[0, 0], a[0, -1], a[-1, 0], a[-1, -1] = 0, 200, 100, 255
    return a.astype(np.uint8)


def colour_picture(channels):
    g = grey_picture().astype(np.int32)
    planes = [g, (g * 3 + 50) % 256, 255 - g, (g * 7 + 1) % 256][:channels]
    return np.stack(planes, axis=-1).astype(np.uint8)


def as_floats(bytes_bottom_up):
    return (bytes_bottom_up.astype(np.float32) * K).ravel()


def header(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack("<BBBHHBHHHHBB", data[:18])
    names = ("id_length", "color_map_type", "image_type", "cmap_origin", "cmap_length",
             "cmap_depth", "x_origin", "y_origin", "width", "height", "depth", "descriptor")
    h = dict(zip(names, fields))
    h["image_id"] = data[18:18 + h["id_length"]]
    h["file_size"] = len(data)
    return h


def dump(path):
    """(message, None) when the load throws, else ((width, height, depth, result), floats)."""
    run = subprocess.run([DUMP, path], stdout=subprocess.PIPE, check=False)
    first, _, rest = run.stdout.partition(b"\n")
    if run.returncode == 1:
        return first.decode(), None
    if run.returncode != 0:
        raise AssertionError(f"tga_dump exited with {run.returncode}")
    dims = tuple(int(v) for v in first.split())
    return dims, np.frombuffer(rest, dtype=np.float32)


def tool(name):
    path = shutil.which(name)
    if path is None:
        raise AssertionError(f"{name} is needed for this test and is not installed")
    return path


class TgaTestCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tga_interop.")
        self.addCleanup(shutil.rmtree, self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def sh(self, argv, stdout_name=None):
        out = open(self.path(stdout_name), "wb") if stdout_name else subprocess.DEVNULL
        try:
            subprocess.run(argv, cwd=self.dir, stdout=out, stderr=subprocess.PIPE, check=True)
        finally:
            if stdout_name:
                out.close()

    def assert_loads_as(self, path, expected_bottom_up, depth):
        """Loads, and converts to exactly the floats of these bytes laid out bottom-up."""
        h = header(path)
        dims, got = dump(path)
        self.assertIsNotNone(got, f"refused: {dims}")
        n = depth // 8
        self.assertEqual(dims, (h["width"], h["height"], depth, h["width"] * h["height"] * n))
        self.assertEqual((h["height"], h["width"]), expected_bottom_up.shape[:2])
        expected = as_floats(expected_bottom_up)
        self.assertEqual(got.shape, expected.shape)
        self.assertTrue(np.array_equal(got.view(np.uint32), expected.view(np.uint32)),
                        f"floats differ from the file's pixels:\n{got}\n{expected}")

    def assert_agrees_with_pillow(self, path, depth):
        mode = {8: "L", 24: "RGB", 32: "RGBA"}[depth]
        with Image.open(path) as im:
            self.assertEqual(im.mode, mode)
            seen = np.flipud(np.asarray(im))
        self.assert_loads_as(path, seen, depth)


class GreyFiles(TgaTestCase):
    def test_pillow_bottom_left_with_footer(self):
        p = self.path("bl.tga")
        Image.fromarray(grey_picture(), "L").save(p)
        h = header(p)
        self.assertEqual((h["image_type"], h["depth"], h["descriptor"] & 0x30), (3, 8, 0x00))
        self.assertGreater(h["file_size"], 18 + WIDTH * HEIGHT, "expected a TGA 2.0 footer")
        self.assert_loads_as(p, np.flipud(grey_picture()), 8)
        self.assert_agrees_with_pillow(p, 8)

    def test_pillow_top_left(self):
        p = self.path("tl.tga")
        Image.fromarray(grey_picture(), "L").save(p, orientation=1)
        self.assertEqual(header(p)["descriptor"] & 0x30, 0x20)
        self.assert_loads_as(p, np.flipud(grey_picture()), 8)
        self.assert_agrees_with_pillow(p, 8)

    def test_netpbm_image_id_from_file_name(self):
        Image.fromarray(grey_picture(), "L").save(self.path("orlinde.pgm"))
        self.sh([tool("pamtotga"), "-mono", "-norle", "orlinde.pgm"], "nb.tga")
        h = header(self.path("nb.tga"))
        self.assertEqual((h["image_type"], h["depth"]), (3, 8))
        self.assertEqual(h["image_id"], b"orlinde")
        self.assert_loads_as(self.path("nb.tga"), np.flipud(grey_picture()), 8)
        self.assert_agrees_with_pillow(self.path("nb.tga"), 8)

    def test_imagemagick_agrees_with_pillow(self):
        # ImageMagick 6 stores the rows top first under a bottom-left header; the header rules.
        Image.fromarray(grey_picture(), "L").save(self.path("in.pgm"))
        self.sh([tool("convert"), "in.pgm", "-depth", "8", "im.tga"])
        h = header(self.path("im.tga"))
        self.assertEqual((h["image_type"], h["depth"]), (3, 8))
        self.assert_agrees_with_pillow(self.path("im.tga"), 8)
        with Image.open(self.path("im.tga")) as im:
            seen = np.asarray(im)
        self.assertTrue(np.array_equal(seen, grey_picture()) or
                        np.array_equal(seen, np.flipud(grey_picture())))


class ColourFiles(TgaTestCase):
    def test_pillow_rgb_and_rgba(self):
        for mode, depth in (("RGB", 24), ("RGBA", 32)):
            with self.subTest(mode=mode):
                picture = colour_picture(depth // 8)
                for orientation in (-1, 1):
                    p = self.path(f"{mode}{orientation}.tga")
                    Image.fromarray(picture, mode).save(p, orientation=orientation)
                    self.assertEqual((header(p)["image_type"], header(p)["depth"]), (2, depth))
                    self.assert_loads_as(p, np.flipud(picture), depth)
                    self.assert_agrees_with_pillow(p, depth)

    def test_netpbm_rgb(self):
        Image.fromarray(colour_picture(3), "RGB").save(self.path("c.ppm"))
        self.sh([tool("pamtotga"), "-rgb", "-norle", "c.ppm"], "c.tga")
        h = header(self.path("c.tga"))
        self.assertEqual((h["image_type"], h["depth"], h["image_id"]), (2, 24, b"c"))
        self.assert_loads_as(self.path("c.tga"), np.flipud(colour_picture(3)), 24)

    def test_imagemagick_rgb_agrees_with_pillow(self):
        Image.fromarray(colour_picture(3), "RGB").save(self.path("c.ppm"))
        self.sh([tool("convert"), "c.ppm", "-depth", "8", "c.tga"])
        self.assertEqual(header(self.path("c.tga"))["depth"], 24)
        self.assert_agrees_with_pillow(self.path("c.tga"), 24)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    DUMP = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
