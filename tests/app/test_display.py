"""What a user sees in the window: background, frame, picture and status line, before and after
the window changes size (that a click redraws, the sessions check). Pixels are read back from the
real window."""

import glob
import os
import unittest

from PIL import Image

from harness import SAMPLES, Viewer, WindowTest, bottom_up, noise


class Layout(WindowTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        picture = noise(seed=7)                   # row 0 at the bottom
        picture[:8, :8], picture[-8:, -8:] = 0, 255   # a dark bottom-left and a bright top-right
        # Which row of a file is the bottom is the reader's business, tested with its unit tests.
        cls.images = {"bottom-up": cls.path("bottom_up.tga")}
        Image.fromarray(picture[::-1].copy()).save(cls.images["bottom-up"])
        for sample in sorted(glob.glob(os.path.join(SAMPLES, "*.tga"))):
            cls.images[os.path.basename(sample)] = sample

    def test_layout_matches_the_screen_table_for_every_image(self):
        for name, path in self.images.items():
            with self.subTest(name), Viewer(self.server, path) as v:
                v.wait_for_layout(bottom_up(path), what=f"the layout around {name}")

    def test_window_title_place_and_resizes_that_keep_everything_at_the_lower_left(self):
        path = self.images["bottom-up"]
        picture = bottom_up(path)
        with Viewer(self.server, path) as v:
            self.assertEqual((v.window.get_wm_name(), v.geometry()),
                             ("Orlinde", (100, 100, 600, 600)))
            for width, height in ((800, 700), (600, 600), (400, 300), (620, 565), (900, 900)):
                with self.subTest(size=(width, height)):
                    v.resize(width, height)
                    v.wait_for_layout(picture, width, height)


if __name__ == "__main__":
    unittest.main()
