"""Start-up failures of the real binary: each is one line on standard output, nothing on
standard error, exit status 1. Test files are written here by Pillow or byte by byte."""

import os
import shutil
import tempfile
import unittest

import numpy as np
from PIL import Image

import harness
from harness import XServer, run_to_end

NO_IMAGE = b"Orlinde: no image given.\n"
CANNOT_READ = b"TGAReadWrite: Unable to read file\n"
CANNOT_USE = b"TGAReadWrite: Unable to read file.\n"
IMPROPER = b"Orlinde: improper image format.\n"


def grey(width, height, seed=1):
    return np.random.default_rng(seed).integers(0, 256, (height, width), dtype=np.uint8)


class StartupFailures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer()
        cls.tmp = tempfile.mkdtemp(prefix="orlinde-startup-")
        cls.good = cls.path("good.tga")
        Image.fromarray(grey(512, 512)).save(cls.good)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.tmp)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.tmp, name)

    def assertReports(self, args, line, server="private"):
        server = self.server if server == "private" else server
        status, out, err = run_to_end(server, args)
        self.assertEqual(out, line)
        self.assertEqual(err, b"")
        self.assertEqual(status, 1)

    def test_argument_count_is_checked_before_any_display_is_needed(self):
        # No DISPLAY at all: had GLUT been initialised, it would have failed to open one.
        for args in ([], [self.good, self.good], ["a", "b", "c"]):
            with self.subTest(args=args):
                self.assertReports(args, NO_IMAGE, server=None)

    def test_an_argument_taken_by_glut_leaves_no_image(self):
        self.assertReports(["-iconic"], NO_IMAGE)

    def test_paths_that_cannot_be_read_as_a_file(self):
        fifo = self.path("fifo.tga")
        os.mkfifo(fifo)
        for path in (self.path("missing.tga"), self.tmp, fifo):
            with self.subTest(path=path):
                self.assertReports([path], CANNOT_READ)

    def test_a_file_without_read_permission(self):
        locked = self.path("locked.tga")
        shutil.copy(self.good, locked)
        os.chmod(locked, 0)
        if os.geteuid() == 0:
            # Root reads anything: run as an ordinary user, as a user would meet this, from a
            # copy of the binary that such a user can reach wherever the build folder lies.
            os.chmod(self.tmp, 0o755)
            binary = self.path("orlinde")
            shutil.copy(harness.BINARY, binary)
            status, out, err = run_to_end(self.server, [locked], binary=binary, user=65534,
                                          group=65534, extra_groups=[])
            self.assertEqual((status, out, err), (1, CANNOT_READ, b""))
        else:
            self.assertReports([locked], CANNOT_READ)

    def test_files_that_were_read_but_cannot_be_used(self):
        header = bytearray(18)
        header[2], header[12:14], header[14:16], header[16] = 3, b"\x00\x02", b"\x00\x02", 8
        cases = {
            "empty": b"",
            "short header": bytes(header[:17]),
            "pixels cut short": bytes(header) + bytes(512 * 512 - 1),
            "image id past the end": bytes([200]) + bytes(header[1:]) + bytes(100),
            "huge pixel block": bytes(header[:12]) + b"\xff\xff\xff\xff\x20\x00",
        }
        for name, content in cases.items():
            with self.subTest(name):
                path = self.path(name.replace(" ", "_") + ".tga")
                with open(path, "wb") as f:
                    f.write(content)
                self.assertReports([path], CANNOT_USE)

    def test_kinds_the_reader_refuses(self):
        pixels = grey(512, 512)
        images = {
            "rle": (Image.fromarray(pixels), {"compression": "tga_rle"}),
            "colour mapped": (Image.fromarray(pixels).convert("P"), {}),
            "grey with alpha": (Image.fromarray(pixels).convert("LA"), {}),
        }
        for name, (image, options) in images.items():
            with self.subTest(name):
                path = self.path(name.replace(" ", "_") + ".tga")
                image.save(path, **options)
                self.assertReports([path], CANNOT_USE)

    def test_images_that_are_not_512_by_512_grey(self):
        rgb = np.stack([grey(512, 512, s) for s in (1, 2, 3)], axis=-1)
        images = {
            "256 x 256": Image.fromarray(grey(256, 256)),
            "512 wide, 511 high": Image.fromarray(grey(512, 511)),
            "511 wide, 512 high": Image.fromarray(grey(511, 512)),
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
        for args, line in (([], NO_IMAGE), ([self.path("missing.tga")], CANNOT_READ)):
            with self.subTest(args=args), open(log, "wb") as f:
                status, _, err = run_to_end(self.server, args, stdout=f)
                self.assertEqual((status, err), (1, b""))
            with open(log, "rb") as f:
                self.assertEqual(f.read(), line)


if __name__ == "__main__":
    unittest.main()
