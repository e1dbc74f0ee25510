"""The page's canvas against the desktop window's picture area, for the same file and keys, in
every mode."""

import os
import subprocess
import tempfile
import unittest

import numpy as np

from harness import N, SAMPLES, SOURCE, Viewer, XServer, picture_of

# Typed in turn into both; each group leaves a picture of its own: as opened, then un-normalized
# non-standard, un-normalized standard, normalized non-standard, normalized standard.
GROUPS = ["", "ffBBB", "RsFbb", "RNSfffBB", "RsF"]


class CanvasIsTheWindow(unittest.TestCase):
    def test_same_bytes_in_every_mode(self):
        with tempfile.TemporaryDirectory() as work:
            out = os.path.join(work, "canvases")
            subprocess.run(["node", os.path.join(SOURCE, "web", "driver.js"),
                            os.environ["ORLINDE_WEB_PAGE"], out, *GROUPS], check=True, timeout=120)
            canvases = np.fromfile(out, dtype=np.uint8).reshape(len(GROUPS), N, N)
        self.assertTrue(all(len(np.unique(c)) > 16 for c in canvases), "varied pictures")
        with XServer() as server, Viewer(server, os.path.join(SAMPLES, "testcard.tga")) as viewer:
            for keys, canvas in zip(GROUPS, canvases):
                viewer.keys(keys)
                # The window's rows count upward; the canvas's downward.
                viewer.wait_for_pixels(lambda p, c=canvas[::-1]: np.array_equal(picture_of(p), c),
                                       what=f"the window after {keys!r} to show the page's canvas")


if __name__ == "__main__":
    unittest.main()
