"""Start-up failures of the real binary, one run per message: each is one line on standard
output, nothing on standard error, exit status 1. Which files the reader refuses, and why, is
its unit tests' business; here only the way a refusal reaches the user counts."""

import unittest

import numpy as np
from PIL import Image

import harness
from harness import WindowTest, noise, run_to_end

NO_IMAGE, CANNOT_READ, CANNOT_USE, IMPROPER = (
    (message + "\n").encode() for message in (harness.NO_IMAGE, harness.CANNOT_READ,
                                               harness.CANNOT_USE, harness.IMPROPER))


class StartupFailures(WindowTest):
    def assertReports(self, args, line, server="private"):
        server = self.server if server == "private" else server
        status, out, err = run_to_end(server, args)
        self.assertEqual(out, line)
        self.assertEqual(err, b"")
        self.assertEqual(status, 1)

    def test_argument_count_is_checked_before_any_display_is_needed(self):
        # No DISPLAY at all: had GLUT been initialised, it would have failed to open one.
        for args in ([], ["a.tga", "b.tga"]):
            with self.subTest(args=args):
                self.assertReports(args, NO_IMAGE, server=None)

    def test_an_argument_taken_by_glut_leaves_no_image(self):
        self.assertReports(["-iconic"], NO_IMAGE)

    def test_the_readers_two_messages(self):
        rle = self.path("rle.tga")
        Image.fromarray(noise()).save(rle, compression="tga_rle")
        self.assertReports([self.path("missing.tga")], CANNOT_READ)
        self.assertReports([rle], CANNOT_USE)

    def test_images_that_are_not_512_by_512_grey(self):
        rgb = np.stack([noise(seed=s) for s in (1, 2, 3)], axis=-1)
        images = {
            "256 x 256": Image.fromarray(noise(256, 256)),
            "512 wide, 511 high": Image.fromarray(noise(512, 511)),
            "511 wide, 512 high": Image.fromarray(noise(511, 512)),
            "true colour": Image.fromarray(rgb),
            "true colour with alpha": Image.fromarray(rgb).convert("RGBA"),
        }
        for name, image in images.items():
            with self.subTest(name):
                path = self.path(name.replace(" ", "_").replace(",", "") + ".tga")
                image.save(path)
                self.assertReports([path], IMPROPER)

    def test_a_redirected_standard_output_holds_exactly_one_line(self):
        log = self.path("out.log")
        with open(log, "wb") as f:
            status, _, err = run_to_end(self.server, [self.path("missing.tga")], stdout=f)
        self.assertEqual((status, err), (1, b""))
        with open(log, "rb") as f:
            self.assertEqual(f.read(), CANNOT_READ)


if __name__ == "__main__":
    unittest.main()
