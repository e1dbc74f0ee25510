"""Start-up failures of the real binary: each is one line on standard output, nothing on standard
error, exit status 1. Which files the reader refuses, and why, is its unit tests' business; here
only the way a refusal reaches the user counts. test_one_run_per_message is the test that also
runs under memcheck."""

import unittest

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


if __name__ == "__main__":
    unittest.main()
