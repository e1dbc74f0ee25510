"""What a user sees in the window: background, frame, picture and status line, before and after
the window changes size, and after mouse clicks. Pixels are read back from the real window."""

import glob
import os
import shutil
import tempfile
import unittest

import numpy as np
from PIL import Image
from Xlib import X

from harness import Viewer, XServer

SAMPLES = os.environ.get("ORLINDE_SAMPLES", os.path.join(os.path.dirname(__file__), "..", "..",
                                                         "samples"))
BACKGROUND = 102  # grey 0.4 of 255
LINE = 178        # grey 0.7 of 255, rounded to nearest: 178.49…
N = 512
CORNER = 43       # the picture's lower-left pixel


def bottom_up(path):
    """The file's picture as Pillow reads it, rows turned so that row 0 is the bottom."""
    return np.asarray(Image.open(path).convert("L"))[::-1]


def layout_errors(p, picture, width=600, height=600):
    """Every way in which window pixels p differ from the layout around picture (bottom-up)."""
    coloured = (p[..., 0] != p[..., 1]) | (p[..., 1] != p[..., 2])
    if coloured.any():
        return [f"{coloured.sum()} pixels are not grey"]
    errors = []
    g = p[..., 0]
    top, right = min(height, CORNER + N), min(width, CORNER + N)
    shown = g[CORNER:top, CORNER:right]
    if not np.array_equal(shown, picture[:top - CORNER, :right - CORNER]):
        bad = np.argwhere(shown != picture[:top - CORNER, :right - CORNER])
        errors.append(f"{len(bad)} picture pixels differ, first at (x, y) = "
                      f"({bad[0][1] + CORNER}, {bad[0][0] + CORNER})")
    # Masks are laid out on a canvas large enough for the whole layout, then cut to the window.
    canvas = (max(height, 600), max(width, 600))
    frame = np.zeros(canvas, dtype=bool)
    frame[42:556, [42, 555]] = True
    frame[[42, 555], 42:556] = True
    frame = frame[:height, :width]
    if not (g[frame] == LINE).all():
        errors.append(f"frame line values {sorted(set(g[frame].tolist()))}")
    inside = np.zeros(canvas, dtype=bool)
    inside[42:556, 42:556] = True
    outside = ~inside[:height, :width]
    band = np.zeros(canvas, dtype=bool)
    band[556:, 42:] = True
    band = band[:height, :width]
    if not (g[outside & ~band] == BACKGROUND).all():
        errors.append("background outside the frame is not grey 0.4 everywhere")
    text = g[band & (g != BACKGROUND)]
    if height > 560 + 12 and not (len(text) > 200 and (text == LINE).sum() > 50):
        errors.append(f"no status line above the frame ({len(text)} text pixels)")
    if height <= 560 and len(text):
        errors.append("status text drawn although its starting point is outside the window")
    return errors


class Layout(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer()
        cls.tmp = tempfile.mkdtemp(prefix="orlinde-display-")
        rng = np.random.default_rng(7)
        noise = rng.integers(0, 256, (N, N), dtype=np.uint8)
        noise[:8, :8], noise[-8:, -8:] = 0, 255   # a dark bottom-left and a bright top-right
        cls.images = {"bottom-up": os.path.join(cls.tmp, "bottom_up.tga"),
                      "top-down": os.path.join(cls.tmp, "top_down.tga")}
        image = Image.fromarray(noise[::-1].copy())
        image.save(cls.images["bottom-up"])
        image.save(cls.images["top-down"], orientation=1)
        for sample in sorted(glob.glob(os.path.join(SAMPLES, "*.tga"))):
            cls.images[os.path.basename(sample)] = sample

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.tmp)

    def test_window_title_size_and_place(self):
        with Viewer(self.server, self.images["bottom-up"]) as v:
            self.assertEqual(v.window.get_wm_name(), "Orlinde")
            self.assertEqual(v.geometry(), (100, 100, 600, 600))

    def test_layout_matches_the_screen_table_for_every_image(self):
        for name, path in self.images.items():
            with self.subTest(name), Viewer(self.server, path) as v:
                picture = bottom_up(path)
                p = v.wait_for_pixels(lambda p: not layout_errors(p, picture),
                                      what=f"the layout around {name}")
                self.assertEqual(layout_errors(p, picture), [])

    def test_window_resizes_keep_everything_at_the_lower_left(self):
        path = self.images["bottom-up"]
        picture = bottom_up(path)
        with Viewer(self.server, path) as v:
            for width, height in ((800, 700), (600, 600), (400, 300), (620, 565), (900, 900)):
                with self.subTest(size=(width, height)):
                    v.resize(width, height)
                    v.wait_for_pixels(lambda p: p.shape[:2] == (height, width)
                                      and not layout_errors(p, picture, width, height),
                                      what=f"the layout in {width} x {height}")

    def test_clicks_redraw_and_change_nothing(self):
        path = self.images["bottom-up"]
        picture = bottom_up(path)
        with Viewer(self.server, path) as v:
            v.wait_for_pixels(lambda p: not layout_errors(p, picture))
            for button in (1, 2, 3):
                with self.subTest(button=button):
                    v.paint_over()
                    v.click(button, 300, 300)
                    v.wait_for_pixels(lambda p: not layout_errors(p, picture),
                                      what=f"the redraw after a click of button {button}")
            self.assertIsNone(v.process.poll())


if __name__ == "__main__":
    unittest.main()
