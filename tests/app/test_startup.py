"""Start-up failures of the real binary: each is one line on standard output, nothing on standard
error, exit status 1. Which files the reader refuses, and why, is its unit tests' business; here
only the way a refusal reaches the user counts. test_one_run_per_message is the test that also
runs under memcheck."""

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

    def save(self, name, image, **options):
        path = self.path(name.replace(" ", "_").replace(",", "") + ".tga")
        image.save(path, **options)
        return path

    def test_one_run_per_message(self):
        # No DISPLAY for the first: had GLUT been initialised, it would have failed to open one.
        # The last is a file the reader accepts and the viewer then refuses.
        runs = (([], None, NO_IMAGE),
                ([self.path("missing.tga")], self.server, CANNOT_READ),
                ([self.save("rle", Image.fromarray(noise()), compression="tga_rle")], self.server,
                 CANNOT_USE),
                ([self.save("256 x 256", Image.fromarray(noise(256, 256)))], self.server,
                 IMPROPER))
        for args, server, line in runs:
            with self.subTest(line=line):
                self.assertReports(args, line, server=server)

    def test_no_image_left_after_the_arguments(self):
        # Two paths, and an argument that glutInit takes for itself.
        self.assertReports(["a.tga", "b.tga"], NO_IMAGE, server=None)
        self.assertReports(["-iconic"], NO_IMAGE)

    def test_images_that_are_not_512_by_512_grey(self):
        rgb = np.stack([noise(seed=s) for s in (1, 2, 3)], axis=-1)
        images = {
            "512 wide, 511 high": Image.fromarray(noise(512, 511)),
            "511 wide, 512 high": Image.fromarray(noise(511, 512)),
            "true colour": Image.fromarray(rgb),
        }
        for name, image in images.items():
            with self.subTest(name):
                self.assertReports([self.save(name, image)], IMPROPER)

    def test_a_redirected_standard_output_holds_exactly_one_line(self):
        log = self.path("out.log")
        with open(log, "wb") as f:
            status, _, err = run_to_end(self.server, [self.path("missing.tga")], stdout=f)
        self.assertEqual((status, err), (1, b""))
        with open(log, "rb") as f:
            self.assertEqual(f.read(), CANNOT_READ)


if __name__ == "__main__":
    unittest.main()
