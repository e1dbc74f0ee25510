"""Keys pressed in the real window change the picture as the transform says.

The expected picture comes from haar_model, an independent numpy model of the arithmetic and of
the pass sequences; after every key the test waits until the window shows it."""

import os
import shutil
import tempfile
import unittest

import numpy as np
from PIL import Image

from haar_model import Model
from harness import Viewer, XServer

N = 512
CORNER = 43
BACKGROUND = 102


def picture_of(p):
    return p[CORNER:CORNER + N, CORNER:CORNER + N, 0]


def status_band(p):
    return p[556:600, :, 0]


class Keys(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer()
        cls.tmp = tempfile.mkdtemp(prefix="orlinde-keys-")
        # Smooth shapes with texture, so that every level has details of both signs.
        y, x = np.mgrid[0:N, 0:N]
        smooth = 128 + 60 * np.sin(x / 37.0) * np.cos(y / 23.0) + 0.1 * (x - y)
        noise = np.random.default_rng(11).integers(-20, 21, (N, N))
        cls.pixels = np.clip(smooth + noise, 0, 255).astype(np.uint8)   # row 0 at the bottom
        cls.path = os.path.join(cls.tmp, "image.tga")
        Image.fromarray(cls.pixels[::-1].copy()).save(cls.path)
        k = np.array([0x3B808081], dtype=np.uint32).view(np.float32)[0]
        cls.image = cls.pixels.astype(np.float32) * k

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.tmp)

    def setUp(self):
        self.viewer = Viewer(self.server, self.path)
        self.model = Model(self.image)
        self.show_model()

    def tearDown(self):
        self.viewer.stop()

    def show_model(self, what="the picture"):
        expected = self.model.screen()

        def matches(p):
            return np.array_equal(picture_of(p), expected)

        try:
            return self.viewer.wait_for_pixels(matches, what=what)
        except AssertionError:
            shown = picture_of(self.viewer.pixels()).astype(int)
            diff = np.abs(shown - expected)
            self.fail(f"{what}: {np.count_nonzero(diff)} pixels differ, by up to {diff.max()}")

    def press(self, keys):
        for key in keys:
            self.viewer.key(key)
            self.model.key(key)
            self.show_model(f"the picture after {key!r} in {keys!r}")

    def test_one_step_a_full_decomposition_and_back(self):
        self.press("f")
        self.press("f")
        self.press("R")
        self.press("F")
        self.press("BBBB")
        self.press("bb")
        self.press("R")
        restored = self.model.x
        self.assertLess(np.abs(restored - self.image).max(), 1e-6)

    def test_every_arrangement_and_normalization(self):
        for mode in ("", "S", "N", "SN"):
            with self.subTest(mode=mode or "plain non-standard"):
                self.press(mode + "fff" + "F" + "B" + "rr" + "R" + "b" + mode)

    def test_mixed_modes_and_a_drawn_key_sequence(self):
        rng = np.random.default_rng(2024)
        keys = "".join(rng.choice(list("FfRrNnSsBb"), size=60, p=[0.06, 0.2, 0.06, 0.2] + [0.08] * 6))
        self.press(keys)

    def test_flag_keys_change_the_status_line_but_not_the_picture(self):
        before = status_band(self.show_model())
        for key, again in (("S", "s"), ("N", "n")):
            with self.subTest(key=key):
                self.viewer.key(key)
                changed = self.viewer.wait_for_pixels(
                    lambda p: not np.array_equal(status_band(p), before),
                    what=f"the status line to change after {key}")
                self.model.key(key)
                self.assertTrue(np.array_equal(picture_of(changed), self.model.screen()))
                self.viewer.key(again)
                self.model.key(again)
                self.viewer.wait_for_pixels(lambda p: np.array_equal(status_band(p), before),
                                            what=f"the status line to return after {again}")

    def test_keys_without_a_command_only_redraw(self):
        self.press("ff")
        for key in ("q", "0", "7", " ", "\r", "x", "Q", "\t"):
            with self.subTest(key=key):
                self.viewer.paint_over()
                self.viewer.key(key)
                self.show_model(f"the unchanged picture after {key!r}")
        self.press("R")

    def test_escape_ends_the_program_with_status_zero(self):
        self.press("F")
        self.viewer.key("\x1b")
        self.assertEqual(self.viewer.wait_exit(), 0)
        out, err = self.viewer.stop()
        self.assertEqual((out, err), (b"", b""))

    def test_closing_the_window_ends_the_program_with_status_zero(self):
        # A server of its own, where this window is the only Orlinde window to find.
        with XServer() as server, Viewer(server, self.path) as viewer:
            viewer.close_window()
            self.assertEqual(viewer.wait_exit(), 0)
            self.assertEqual(viewer.stop(), (b"", b""))


if __name__ == "__main__":
    unittest.main()
