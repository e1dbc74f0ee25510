"""The real window under a flood of input, sent as fast as the X server takes it.

Twenty thousand keys, drawn with a fixed seed from every key the server's keyboard can type but
ESC, mixed with clicks of buttons 1 to 3 and window resizes; then a flood of command keys only.
The program's event queue fills while F and R run. At checkpoints the window must show what
haar_model computes for the same keys, so that no key was lost, doubled or reordered; the
resident memory must not grow by more than 1 MiB from the end of the warm-up, when Mesa's and
GLUT's buffers and caches are in place, to the end; and the program must still redraw and end
with status 0 on ESC."""

import os
import unittest

import numpy as np
from PIL import Image
from Xlib import XK

from haar_model import Model
from harness import Viewer, XServer, typeable_keys

SAMPLES = os.environ.get("ORLINDE_SAMPLES", os.path.join(os.path.dirname(__file__), "..", "..",
                                                         "samples"))
N = 512
CORNER = 43
COMMANDS = "FfRrNnSsBb"
# Weights of the command keys in the command flood. Single steps and the scale keys dominate,
# so that a lost key changes the level or the scale that the end shows; the scale drifts upward
# and rarely sits at 1, where b does nothing.
WEIGHTS = np.array([3, 22, 3, 22, 5, 5, 5, 5, 16, 14]) / 100
# Window sizes for the resizes: down to a single pixel, and beyond the initial 600 × 600.
SIZES = ((1, 1), (7, 5), (60, 40), (200, 150), (430, 610), (600, 600), (610, 590), (800, 700),
         (1024, 768), (1100, 900))
KEYS = 20000
CHECKPOINT = 2000          # keys between two checkpoints; the first one ends the warm-up
RSS_GROWTH_LIMIT_KIB = 1024


def picture_of(p):
    return p[CORNER:CORNER + N, CORNER:CORNER + N, 0]


def status_band(p):
    return p[556:600, :, 0]


def character(key):
    """The character the key types, as the program's keyboard callback gets it, or None for a
    key that types none of the printable ASCII characters (all commands are among them)."""
    return chr(key.keysym) if 0x20 <= key.keysym <= 0x7E else None


class Soak(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer()
        cls.path = os.path.join(SAMPLES, "scene.tga")
        k = np.array([0x3B808081], dtype=np.uint32).view(np.float32)[0]
        grey = np.asarray(Image.open(cls.path).convert("L"))[::-1]      # row 0 at the bottom
        cls.image = grey.astype(np.float32) * k

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def setUp(self):
        # Large blocks are always mapped and unmapped, never carved from the heap: Mesa
        # replaces 1 MiB images at redraws, and glibc's sliding mmap threshold would otherwise
        # let the heap's high-water mark wander by megabytes, hiding or faking a leak.
        self.viewer = Viewer(self.server, self.path,
                             env={"GLIBC_TUNABLES": "glibc.malloc.mmap_threshold=131072"})
        self.model = Model(self.image)

    def tearDown(self):
        self.viewer.stop()

    def apply(self, keys):
        for key in keys:
            char = character(key)
            if char is not None and char in COMMANDS:
                self.model.key(char)

    def catch_up(self, what):
        """Brings the window back to 600 × 600, waits until it shows the model's picture and
        the program has worked through everything sent; returns those pixels."""
        self.viewer.resize(600, 600)
        expected = self.model.screen()
        try:
            self.viewer.wait_for_pixels(lambda p: np.array_equal(picture_of(p), expected),
                                        what=what)
        except AssertionError:
            shown = picture_of(self.viewer.pixels()).astype(int)
            diff = np.abs(shown - expected)
            self.fail(f"{what}: {np.count_nonzero(diff)} pixels differ, by up to {diff.max()}")
        self.viewer.wait_idle()
        return self.viewer.pixels()

    def warm_up(self):
        """Draws the window once at every size, each redraw waited for, then shows six
        different coefficient arrays, each waited for too: under the flood most sizes and
        arrays are replaced before the program draws them, while Mesa sizes its buffers by the
        window it draws and keeps the last four images given to glDrawPixels, with their
        textures. Ends at 600 × 600 with the program idle; returns its pixels."""
        gc = self.viewer.window.create_gc(foreground=0xFF0000)
        for width, height in SIZES:
            self.viewer.resize(width, height)
            # Only a redraw that comes after the red paint counts, so the program first has to
            # be done with the redraws the resize itself brings.
            self.viewer.wait_idle()
            self.viewer.window.fill_rectangle(gc, 0, 0, width, height)
            self.viewer.click(1, 0, 0)
            self.viewer.wait_for_pixels(lambda p: p.shape[:2] == (height, width)
                                        and (p[0, 0] == 102).all(),
                                        what=f"a redraw at {width} x {height}")
        gc.free()
        self.viewer.resize(600, 600)
        for char in "RffffR":
            self.viewer.key(char)
            self.model.key(char)
            expected = self.model.screen()
            pixels = self.viewer.wait_for_pixels(
                lambda p: np.array_equal(picture_of(p), expected), what=f"the picture after {char}")
        self.viewer.wait_idle()
        return pixels

    def assert_status_line(self, band):
        """Compares a status band with the one a fresh viewer shows after only the flag and
        scale keys that lead to the model's state: the status line is exactly the model's."""
        keys = ("N" if self.model.normalized else "") + ("S" if self.model.standard else "")
        keys += "B" * (int(self.model.scale) - 1)
        with Viewer(self.server, self.path) as reference:
            reference.keys(keys)
            reference.wait_for_pixels(lambda p: np.array_equal(status_band(p), band),
                                      what=f"the status line after {keys!r}")

    def redraws_and_ends_on_escape(self, expected_picture):
        self.viewer.paint_over()
        self.viewer.click(3, 300, 300)
        self.viewer.wait_for_pixels(
            lambda p: np.array_equal(picture_of(p), expected_picture)
            and (p[10, 10] == 102).all(), what="the redraw after a click")
        self.viewer.key("\x1b")
        self.assertEqual(self.viewer.wait_exit(), 0)
        self.assertEqual(self.viewer.stop(), (b"", b""))

    def test_every_key_with_clicks_and_resizes(self):
        keys = [key for key in typeable_keys(self.viewer.d) if key.keysym != XK.XK_Escape]
        syms = {key.keysym for key in keys}
        for name in ("a", "Z", "0", "exclam", "Return", "Tab", "BackSpace", "Delete", "space",
                     "F1", "F12", "Left", "Up", "Home", "KP_Enter", "Pause", "F", "f", "R", "r"):
            self.assertIn(XK.string_to_keysym(name), syms, name)

        rng = np.random.default_rng(20000)
        size = (600, 600)
        rss = []
        for start in range(0, KEYS, CHECKPOINT):
            drawn = [keys[i] for i in rng.integers(0, len(keys), CHECKPOINT)]
            events = []
            for key in drawn:
                events.append(("key", key))
                if rng.random() < 1 / 16:
                    events.append(("click", int(rng.integers(1, 4)),
                                   int(rng.integers(0, size[0])), int(rng.integers(0, size[1]))))
                if rng.random() < 1 / 100:
                    size = SIZES[rng.integers(0, len(SIZES))]
                    events.append(("resize",) + size)
            self.viewer.flood(events)
            self.apply(drawn)
            # Flag keys in the middle of a decomposition let the values grow; the picture of a
            # non-finite value would be the renderer's choice, not the program's.
            self.assertTrue(np.isfinite(self.model.x).all(), "the drawn keys overflow")
            pixels = self.catch_up(f"the picture after {start + CHECKPOINT} keys")
            size = (600, 600)
            if start == 0:
                pixels = self.warm_up()
            rss.append(self.viewer.rss_kib())

        print(f"VmRSS in KiB after the warm-up and after every further {CHECKPOINT} keys: {rss}")
        self.assertLessEqual(rss[-1] - rss[0], RSS_GROWTH_LIMIT_KIB,
                             f"resident memory grew from {rss[0]} KiB after the warm-up to "
                             f"{rss[-1]} KiB at the end")
        self.redraws_and_ends_on_escape(picture_of(pixels))
        self.assert_status_line(status_band(pixels))

    def test_command_keys_under_load_match_the_transform(self):
        # A flag key is drawn only while nothing is decomposed, so that every level is undone
        # with the kernels that made it: a mismatch multiplies details by up to 16 a level, and
        # a few hundred keys of that overflow to inf and NaN, which no picture shows exactly.
        rng = np.random.default_rng(2000)
        chars = []
        while len(chars) < 2000:
            char = rng.choice(list(COMMANDS), p=WEIGHTS)
            at_rest = self.model.row_length == self.model.column_length == N
            if char in "NnSs" and not at_rest:
                continue
            self.model.key(char)
            chars.append(char)
        by_char = {character(key): key for key in typeable_keys(self.viewer.d)}
        self.viewer.flood([("key", by_char[c]) for c in chars])
        pixels = self.catch_up("the picture after 2000 command keys")
        self.redraws_and_ends_on_escape(picture_of(pixels))
        self.assert_status_line(status_band(pixels))


if __name__ == "__main__":
    unittest.main()
