"""The README's lines for turning a photograph into a TGA file that the viewer accepts, run
exactly as printed there, on a PNG, a 16-bit greyscale PNG and a JPEG whose top is known, and checked in the real window:
the bright top of the photograph shows at the top, its marker at the top left. The lines that
say they apply a camera's orientation tag also get a JPEG stored on its side with a tag that
turns it upright.

Each line reads photo.jpg and writes photo.tga in the folder it runs in; for the other inputs,
photo.jpg in the line is replaced by their names, as the README tells its reader."""

import os
import shutil
import subprocess
import tempfile
import unittest

import numpy as np
from PIL import Image

from project import PHOTO_IN, PHOTO_OUT, conversion_lines, tool

import harness
from harness import CORNER, N, bottom_up, picture_of

# A landscape photograph: a bright sky fading to dark ground, and a dark square near the top-left
# corner of the centred square that every line cuts out of it.
HEIGHT, WIDTH = 600, 800
MARKER = (slice(30, 120), slice(200, 320))          # rows from the top, columns
CUT = (WIDTH - HEIGHT) // 2                          # columns cut away on each side
SCALE = N / HEIGHT
# The marker's centre in the window, counted from the lower-left corner.
MARKER_X = CORNER + ((MARKER[1].start + MARKER[1].stop) / 2 - CUT) * SCALE
MARKER_Y = CORNER + N - (MARKER[0].start + MARKER[0].stop) / 2 * SCALE

TOOLS = {"With Pillow": ("python3", "python3-pil"), "With netpbm": ("anytopnm", "netpbm"),
         "With ImageMagick 6": ("convert", "imagemagick")}
FOLLOWS_ORIENTATION_TAG = ("With Pillow", "With ImageMagick 6")
EXIF_ORIENTATION = 0x0112
ROTATE_90_CLOCKWISE_TO_SHOW = 6


def photograph():
    sky = np.linspace(1.0, 0.0, HEIGHT)[:, None, None]
    rgb = np.array([60, 80, 40]) + np.array([180, 170, 215]) * sky
    rgb = np.broadcast_to(rgb, (HEIGHT, WIDTH, 3)).copy()
    rgb[MARKER] = 0
    return Image.fromarray(rgb.astype(np.uint8), "RGB")


class OwnPicture(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lines = conversion_lines()
        cls.tmp = tempfile.mkdtemp(prefix="orlinde-photo-")
        photo = photograph()
        photo.save(os.path.join(cls.tmp, "photo.png"))
        # The same photograph as a 16-bit greyscale PNG, its levels spread over 0 … 65535.
        grey16 = np.asarray(photo.convert("L"), dtype=np.uint16) * 257
        Image.fromarray(grey16).save(os.path.join(cls.tmp, "grey16.png"))
        photo.save(os.path.join(cls.tmp, "photo.jpg"), quality=90)
        exif = Image.Exif()
        exif[EXIF_ORIENTATION] = ROTATE_90_CLOCKWISE_TO_SHOW
        photo.transpose(Image.Transpose.ROTATE_90).save(os.path.join(cls.tmp, "camera.jpg"),
                                                        quality=90, exif=exif)
        tool("file", "file")
        cls.server = harness.XServer()

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.tmp)

    def test_readme_names_each_tool_once(self):
        self.assertEqual(sorted(self.lines), sorted(TOOLS))
        for line in self.lines.values():
            self.assertEqual(line.count(PHOTO_IN), 1, line)
            self.assertEqual(line.count(PHOTO_OUT), 1, line)

    def test_each_line_turns_png_and_jpeg_into_an_upright_picture(self):
        # The lines call python3 by name; it must be the interpreter that has Pillow.
        python_dir = os.path.dirname(os.environ.get("ORLINDE_PYTHON", "/usr/bin/python3"))
        env = dict(os.environ, PATH=python_dir + os.pathsep + os.environ["PATH"])
        for heading, line in sorted(self.lines.items()):
            tool(*TOOLS[heading])
            sources = ["photo.png", "photo.jpg", "grey16.png"]
            if heading in FOLLOWS_ORIENTATION_TAG:
                sources.append("camera.jpg")
            for source in sources:
                with self.subTest(heading, source=source):
                    work = tempfile.mkdtemp(dir=self.tmp)
                    shutil.copy(os.path.join(self.tmp, source), work)
                    done = subprocess.run(["bash", "-c", line.replace(PHOTO_IN, source)],
                                          cwd=work, env=env, stdout=subprocess.PIPE,
                                          stderr=subprocess.PIPE, check=False)
                    self.assertEqual(done.returncode, 0, done.stderr.decode())
                    self.assert_upright_in_the_window(os.path.join(work, PHOTO_OUT))

    def assert_upright_in_the_window(self, path):
        with open(path, "rb") as f:
            header = f.read(18)
        self.assertEqual((header[1], header[2], header[16]), (0, 3, 8),
                         "not an uncompressed 8-bit greyscale TGA file")
        picture = bottom_up(path)
        self.assertEqual(picture.shape, (N, N))
        with harness.Viewer(self.server, path) as viewer:
            p = viewer.wait_for_layout(picture, what=f"{path} in the window")
        shown = picture_of(p).astype(int)   # row 0 at the bottom
        top, bottom = shown[-8:, N // 2:].mean(), shown[:8, N // 2:].mean()
        self.assertGreater(top, 200, "the top of the window is not the bright sky")
        self.assertLess(bottom, 90, "the bottom of the window is not the dark ground")
        dark = np.argwhere(shown < 30)
        self.assertGreater(len(dark), 5000, "the marker is missing")
        y, x = dark.mean(axis=0) + CORNER
        self.assertLess(abs(x - MARKER_X), 4, f"marker centre at x = {x}, not {MARKER_X}")
        self.assertLess(abs(y - MARKER_Y), 4, f"marker centre at y = {y}, not {MARKER_Y}")


if __name__ == "__main__":
    unittest.main()
