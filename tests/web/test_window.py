"""The page's canvas against the desktop window's picture area, for the same file and keys."""

import os
import subprocess
import sys
import tempfile
import unittest

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "app"))
from harness import Viewer, XServer  # noqa: E402

N = 512
CORNER = 43  # the picture's lower-left window pixel


class CanvasIsTheWindow(unittest.TestCase):
    def test_same_bytes_after_keys(self):
        keys = "NfffBBB"
        with tempfile.TemporaryDirectory() as work:
            out = os.path.join(work, "canvas.grey")
            subprocess.run(["node", os.path.join(os.path.dirname(__file__), "driver.js"),
                            os.environ["ORLINDE_WEB_PAGE"], keys, out], check=True, timeout=120)
            canvas = np.fromfile(out, dtype=np.uint8).reshape(N, N)
        # The window's rows count upward; the canvas's downward.
        expected = canvas[::-1]
        sample = os.path.join(os.environ["ORLINDE_SAMPLES"], "testcard.tga")
        with XServer() as server, Viewer(server, sample) as viewer:
            viewer.keys(keys)
            viewer.wait_for_pixels(
                lambda p: np.array_equal(p[CORNER:CORNER + N, CORNER:CORNER + N, 0], expected),
                what="the window's picture area to equal the page's canvas")
        self.assertGreater(len(np.unique(expected)), 16, "the sequence shows a varied picture")


if __name__ == "__main__":
    unittest.main()
