"""Sessions at the real window: command keys one at a time, then floods of every key the
keyboard can type, with clicks and resizes, sent as fast as the X server takes them.

After a key, or at checkpoints of a flood, the window must show what haar_model computes for the
same keys, so no key was lost, doubled or reordered; a session ends with a redraw after a key and
after a click, and ESC, which ends the program with status 0 and no output, as closing the window
does; a flood also ends with the model's status line.

Only the short session, test_every_command_key_a_click_a_resize_and_escape, also runs under
memcheck (ORLINDE_MEMCHECK=1, see harness.py): its report must be clean, and orlinde's own code
must allocate no more blocks in it than in a start that is ended at once: nothing after the first
frame. The floods go through the same callbacks and would take valgrind minutes."""

import unittest

import numpy as np
from PIL import Image
from Xlib import XK

from haar_model import Model
from harness import (MEMCHECK, N, Viewer, WindowTest, grey_values, picture_of, smooth_picture,
                     status_band, typeable_keys)

COMMANDS = "FfRrNnSsBb"
# Weights of the command keys in the command flood. Single steps and the scale keys dominate,
# so that a lost key changes the level or the scale that the end shows; the scale drifts upward
# and rarely sits at 1, where b does nothing.
WEIGHTS = np.array([3, 22, 3, 22, 5, 5, 5, 5, 16, 14]) / 100
# Window sizes for the resizes: down to a single pixel, and beyond the initial 600 × 600.
SIZES = ((1, 1), (7, 5), (60, 40), (200, 150), (430, 610), (600, 600), (610, 590), (800, 700),
         (1024, 768), (1100, 900))
KEYS, CHECKPOINT, COMMAND_KEYS = 20000, 2000, 2000


def character(key):
    """The character the key types, as the program's keyboard callback gets it, or None for a
    key that types none of the printable ASCII characters (all commands are among them)."""
    return chr(key.keysym) if 0x20 <= key.keysym <= 0x7E else None


class Session(WindowTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.image_path = cls.path("image.tga")
        Image.fromarray(smooth_picture()[::-1].copy()).save(cls.image_path)
        cls.image = grey_values(cls.image_path)

    def setUp(self):
        self.viewer = Viewer(self.server, self.image_path)
        self.model = Model(self.image)
        self.first_band = status_band(self.show_model("the first picture"))

    def tearDown(self):
        self.viewer.stop()

    def show_model(self, what):
        """Waits until the window shows the model's picture; returns those pixels."""
        expected = self.model.screen()
        return self.viewer.wait_for_pixels(
            lambda p: p.shape[:2] == (600, 600) and np.array_equal(picture_of(p), expected),
            what=what, seen=lambda p: f"{(picture_of(p) != expected).sum()} pixels differ")

    def press(self, keys):
        for key in keys:
            self.viewer.key(key)
            self.model.key(key)
            self.show_model(f"the picture after {key!r} in {keys!r}")

    def catch_up(self, what):
        """Brings the window back to 600 × 600, waits until it shows the model's picture and
        the program has worked through everything sent; returns those pixels."""
        self.viewer.resize(600, 600)
        pixels = self.show_model(what)
        self.viewer.wait_idle()
        return pixels

    def assert_status_line(self, band):
        """Compares a status band with the one a fresh viewer shows after only the flag and
        scale keys that lead to the model's state: the status line is exactly the model's, and
        no longer the first one (which a window that never redrew it would show in both)."""
        keys = ("N" if self.model.normalized else "") + ("S" if self.model.standard else "")
        keys += "B" * (int(self.model.scale) - 1)
        self.assertEqual(np.array_equal(band, self.first_band), not keys)
        with Viewer(self.server, self.image_path) as reference:
            reference.keys(keys)
            reference.wait_for_pixels(lambda p: np.array_equal(status_band(p), band),
                                      what=f"the status line after {keys!r}")

    def end_session(self, pixels):
        """A key without a command and a click each redraw the window; ESC ends the program with
        status 0 and no output. Under memcheck, where the session has sent such a key and a click
        already, only the end counts: the session allocated nothing after the first frame."""
        redraws = (lambda: self.viewer.key("q"), lambda: self.viewer.click(3, 300, 300))
        for event in () if MEMCHECK else redraws:
            self.viewer.paint_over()
            event()
            self.viewer.wait_for_pixels(
                lambda p: np.array_equal(picture_of(p), picture_of(pixels))
                and (p[10, 10] == 102).all(), what="the redraw")
        self.viewer.key("\x1b")
        self.assertEqual(self.viewer.wait_exit(), 0)
        self.assertEqual(self.viewer.stop(), (b"", b""))
        if MEMCHECK:
            session = self.viewer.own_allocations
            start = Viewer(self.server, self.image_path)
            start.stop()
            self.assertEqual(session, start.own_allocations,
                             "orlinde's code allocated blocks after the first frame")

    def end_flood(self, pixels):
        self.end_session(pixels)
        # Only now: the reference's window would be hard to tell from this one's.
        self.assert_status_line(status_band(pixels))

    def test_closing_the_window_ends_the_program_with_status_zero(self):
        self.viewer.close_window()
        self.assertEqual(self.viewer.wait_exit(), 0)
        self.assertEqual(self.viewer.stop(), (b"", b""))

    def test_every_command_key_a_click_a_resize_and_escape(self):
        if MEMCHECK:
            # A frame takes valgrind seconds: every command key, a key without a command and a
            # click go at once, and only the end is compared.
            keys = "SNfffFBrrRbsnq"
            self.viewer.keys(keys)
            self.viewer.click(3, 300, 300)
            for key in keys:
                self.model.key(key)
        else:
            for on, off in ("", ""), ("S", "s"), ("N", "n"), ("SN", "sn"):
                with self.subTest(mode=on or "plain non-standard"):
                    self.press(on + "fff" + "F" + "B" + "rr" + "R" + "b" + off)
            self.viewer.click(1, 300, 300)
        self.viewer.resize(200, 150)
        self.end_session(self.catch_up("the picture after a click and a resize"))

    def test_every_key_with_clicks_and_resizes(self):
        keys = [key for key in typeable_keys(self.viewer.d) if key.keysym != XK.XK_Escape]
        syms = {key.keysym for key in keys}
        for name in ("a", "Z", "0", "exclam", "Return", "Tab", "BackSpace", "Delete", "space",
                     "F1", "F12", "Left", "Up", "Home", "KP_Enter", "Pause", "F", "f", "R", "r"):
            self.assertIn(XK.string_to_keysym(name), syms, name)

        rng = np.random.default_rng(20000)
        size = (600, 600)
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
            for key in drawn:
                char = character(key)
                if char is not None and char in COMMANDS:
                    self.model.key(char)
            # Flag keys in the middle of a decomposition let the values grow; the picture of a
            # non-finite value would be the renderer's choice, not the program's.
            self.assertTrue(np.isfinite(self.model.x).all(), "the drawn keys overflow")
            pixels = self.catch_up(f"the picture after {start + CHECKPOINT} keys")
            size = (600, 600)
        self.end_flood(pixels)

    def test_command_keys_under_load_match_the_transform(self):
        # A flag key is drawn only while nothing is decomposed, so that every level is undone
        # with the kernels that made it: a mismatch multiplies details by up to 16 a level, and
        # a few hundred keys of that overflow to inf and NaN, which no picture shows exactly.
        rng = np.random.default_rng(2000)
        chars = []
        while len(chars) < COMMAND_KEYS:
            char = rng.choice(list(COMMANDS), p=WEIGHTS)
            at_rest = self.model.row_length == self.model.column_length == N
            if char in "NnSs" and not at_rest:
                continue
            self.model.key(char)
            chars.append(char)
        by_char = {character(key): key for key in typeable_keys(self.viewer.d)}
        self.viewer.flood([("key", by_char[c]) for c in chars])
        self.end_flood(self.catch_up(f"the picture after {COMMAND_KEYS} command keys"))


if __name__ == "__main__":
    unittest.main()
