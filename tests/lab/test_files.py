#!/usr/bin/env python3
"""The page's files against other programs, through lab_tool: the saved PNG decoded by Pillow and
zlib, the saved TGA read by Pillow and ImageMagick, and TGA pictures written by Pillow, netpbm and
ImageMagick taken as RGBA bytes.

Usage: test_files.py PATH/TO/lab_tool
"""

import os
import struct
import subprocess
import sys
import unittest
import zlib

import numpy as np
from PIL import Image

from harness import K, N, noise, smooth_picture
from test_interop import InItsOwnFolder, header, picture, tool

TOOL = None


def run(*args):
    return subprocess.run([TOOL, *args], stdout=subprocess.PIPE, check=False)


def chunks(data):
    """(type, payload) of every chunk after the signature, each CRC checked on the way."""
    at, found = 8, []
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        payload = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if crc != zlib.crc32(kind + payload):
            raise AssertionError(f"bad CRC in {kind}")
        found.append((kind, payload))
        at += 12 + length
    return found


def as_rgba(top_first):
    """Grey, RGB or RGBA pixels top row first as RGBA bytes, alpha 255 where there is none."""
    if top_first.ndim == 2:
        top_first = np.stack([top_first] * 3, axis=-1)
    if top_first.shape[2] == 3:
        opaque = np.full(top_first.shape[:2] + (1,), 255, np.uint8)
        top_first = np.concatenate([top_first, opaque], axis=-1)
    return top_first.astype(np.uint8).tobytes()


class Files(InItsOwnFolder):

    def rgba(self, path):
        """(width, height, bytes) from lab_tool, failing with its refusal."""
        out = run("rgba", path)
        first, _, rest = out.stdout.partition(b"\n")
        self.assertEqual(out.returncode, 0, first.decode())
        width, height = (int(v) for v in first.split())
        return width, height, rest

    def test_saved_png_is_the_grey_bytes(self):
        # One stored block, and the page's size: five, the last one short.
        for width, height in ((1, 1), (N, N)):
            with self.subTest(size=(width, height)):
                grey = noise(width, height, seed=width)
                grey.tofile(self.path("grey.raw"))
                self.assertEqual(run("png", str(width), str(height), self.path("grey.raw"),
                                     self.path("saved.png")).returncode, 0)
                with open(self.path("saved.png"), "rb") as f:
                    data = f.read()
                self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
                found = chunks(data)
                self.assertEqual([kind for kind, _ in found], [b"IHDR", b"IDAT", b"IEND"])
                self.assertEqual(found[0][1], struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
                # zlib checks the Adler-32; every row starts with filter 0.
                raw = np.frombuffer(zlib.decompress(found[1][1]), np.uint8).reshape(height, width + 1)
                self.assertTrue((raw[:, 0] == 0).all())
                with Image.open(self.path("saved.png")) as im:
                    self.assertEqual((im.mode, im.size), ("L", (width, height)))
                    self.assertTrue(np.array_equal(np.asarray(im), grey))

    def test_saved_tga_read_by_pillow_and_imagemagick(self):
        values = smooth_picture().astype(np.float32) * K * np.float32(1.2) - np.float32(0.1)
        bottom_up = np.rint(np.clip(values, 0, 1) * np.float32(255)).astype(np.uint8)
        self.assertTrue((bottom_up == 0).any() and (bottom_up == 255).any(), "clamping untested")
        values.tofile(self.path("values.raw"))
        self.assertEqual(run("tga", str(N), self.path("values.raw"), self.path("saved.tga")).returncode, 0)
        h = header(self.path("saved.tga"))
        self.assertEqual((h["image_type"], h["depth"], h["file_size"]), (3, 8, 18 + N * N))
        with Image.open(self.path("saved.tga")) as im:
            self.assertEqual((im.mode, im.size), ("L", (N, N)))
            self.assertTrue(np.array_equal(np.asarray(im), bottom_up[::-1]), "Pillow")
        # ImageMagick 6 hands out a bottom-left file's rows as stored until asked to orient them.
        magick = subprocess.run([tool("convert"), self.path("saved.tga"), "-auto-orient", "-depth",
                                 "8", "gray:-"], stdout=subprocess.PIPE, check=True).stdout
        self.assertEqual(magick, bottom_up[::-1].tobytes(), "ImageMagick")

    def test_tga_pictures_by_other_writers(self):
        made = []
        for mode in ("L", "RGB", "RGBA"):
            Image.fromarray(picture(mode), mode).save(self.path(f"pillow_{mode}.tga"))
            made.append((f"pillow_{mode}.tga", picture(mode)))
        for mode, option, source in (("L", "-mono", "g.pgm"), ("RGB", "-rgb", "c.ppm")):
            Image.fromarray(picture(mode), mode).save(self.path(source))
            with open(self.path(f"netpbm_{mode}.tga"), "wb") as out:
                subprocess.run([tool("pamtotga"), option, "-norle", self.path(source)], stdout=out,
                               stderr=subprocess.DEVNULL, check=True)
            made.append((f"netpbm_{mode}.tga", picture(mode)))
        # ImageMagick's 32-bit file: whichever way it lays out the rows, the header rules, as
        # Pillow reads it.
        Image.fromarray(picture("RGBA"), "RGBA").save(self.path("a.png"))
        subprocess.run([tool("convert"), self.path("a.png"), "-depth", "8", self.path("magick.tga")],
                       check=True)
        self.assertEqual(header(self.path("magick.tga"))["depth"], 32)
        with Image.open(self.path("magick.tga")) as im:
            made.append(("magick.tga", np.asarray(im.convert("RGBA"))))
        for name, top_first in made:
            with self.subTest(file=name):
                height, width = top_first.shape[:2]
                self.assertEqual(self.rgba(self.path(name)), (width, height, as_rgba(top_first)))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
