"""Runs the real orlinde binary the way a user does, in a private X server, and holds what the
Python tests share: the window's layout constants, the byte factor, the test pictures.

Each XServer is an Xvfb of its own on a free display number (asked for with -displayfd), so the
tests need no display of the developer's. Viewer starts the program in it, waits for its window,
sends real key and mouse events through the XTEST extension, resizes the window and reads its
pixels back with GetImage. Every wait polls with a deadline; nothing sleeps for a fixed time. A
wait for pixels ends early, and fails, once the window has settled on something else: the program
idle and the pixels unchanged for SETTLE seconds.

With ORLINDE_MEMCHECK=1 every run of the binary goes through valgrind's memcheck (see
memcheck.py), and a viewer that is stopped is ended with ESC so that the report is complete.
"""

import atexit
import collections
import os
import select
import shutil
import subprocess
import tempfile
import time
import unittest

import numpy as np
from PIL import Image
from Xlib import X, XK, display as xdisplay, protocol
from Xlib.ext import xtest

import memcheck

BINARY = os.environ.get("ORLINDE_BINARY", "build/orlinde")
DEADLINE = float(os.environ.get("ORLINDE_E2E_DEADLINE", "30"))
SETTLE = 1.5   # seconds of an idle program and an unchanged window before a wait gives up
SOURCE = os.path.abspath(os.environ.get("ORLINDE_SOURCE_DIR",
                                        os.path.join(os.path.dirname(__file__), "..", "..")))
SAMPLES = os.path.join(SOURCE, "samples")
MEMCHECK = os.environ.get("ORLINDE_MEMCHECK") == "1"

N = 512              # the picture's side
CORNER = 43          # the window pixel of the picture's lower-left corner
BACKGROUND = 102     # grey 0.4 of 255
LINE = 178           # grey 0.7 of 255, rounded to nearest: 178.49…
# The status text's first column and top row: the "T" of "Time" stands on the baseline at
# (47, 560), 5 pixels right of and above the frame's corner, and is 9 rows high in Helvetica 12.
TEXT_LEFT, TEXT_TOP = 47, 568
# What the program prints when it cannot start, and the status line it starts with.
NO_IMAGE = "Orlinde: no image given."
CANNOT_READ = "TGAReadWrite: Unable to read file"
CANNOT_USE = "TGAReadWrite: Unable to read file."
IMPROPER = "Orlinde: improper image format."
FIRST_STATUS_LINE = \
    "Time/Wavelet Domain      Transform: Un-Normalized / Non-Standard      Scale (1.000000)"
# The float nearest to 1/255, from its bit pattern: a byte b is shown as float32(b) × K.
K = np.array([0x3B808081], dtype=np.uint32).view(np.float32)[0]


def picture_of(p):
    """The picture's grey levels in window pixels p, row 0 at the bottom."""
    return p[CORNER:CORNER + N, CORNER:CORNER + N, 0]


def status_band(p):
    """The rows of window pixels p above the frame, where the status line is drawn."""
    return p[556:600, :, 0]


def bottom_up(path):
    """The file's picture as Pillow reads it, rows turned so that row 0 is the bottom."""
    return np.asarray(Image.open(path).convert("L"))[::-1]


def grey_values(path):
    """The picture's floats as the viewer holds them."""
    return bottom_up(path).astype(np.float32) * K


def noise(width=N, height=N, seed=1):
    """Random bytes, top row first."""
    return np.random.default_rng(seed).integers(0, 256, (height, width), dtype=np.uint8)


def smooth_picture():
    """N × N bytes, row 0 at the bottom: smooth shapes with texture, so that every level of the
    transform has details of both signs."""
    y, x = np.mgrid[0:N, 0:N]
    smooth = 128 + 60 * np.sin(x / 37.0) * np.cos(y / 23.0) + 0.1 * (x - y)
    texture = np.random.default_rng(11).integers(-20, 21, (N, N))
    return np.clip(smooth + texture, 0, 255).astype(np.uint8)


def layout_errors(p, picture, width=600, height=600):
    """Every way in which window pixels p differ from the layout around picture (bottom-up) in a
    window of width x height."""
    if p.shape[:2] != (height, width):
        return [f"the window is {p.shape[1]} x {p.shape[0]}"]
    coloured = (p[..., 0] != p[..., 1]) | (p[..., 1] != p[..., 2])
    if coloured.any():
        return [f"{coloured.sum()} pixels are not grey"]
    errors = []
    g = p[..., 0]
    top, right = min(height, CORNER + N), min(width, CORNER + N)
    shown = g[CORNER:top, CORNER:right]
    if not np.array_equal(shown, picture[:top - CORNER, :right - CORNER]):
        bad = np.argwhere(shown != picture[:top - CORNER, :right - CORNER])
        y, x = bad[0]
        errors.append(f"{len(bad)} picture pixels differ, first at (x, y) = ({x + CORNER}, "
                      f"{y + CORNER}): grey {shown[y, x]} where {picture[y, x]} belongs")
    # Masks are laid out on a canvas large enough for the whole layout, then cut to the window.
    canvas = (max(height, 600), max(width, 600))
    frame = np.zeros(canvas, dtype=bool)
    frame[42:556, [42, 555]] = True
    frame[[42, 555], 42:556] = True
    frame = frame[:height, :width]
    if not (g[frame] == LINE).all():
        errors.append(f"frame line values {sorted(set(g[frame].tolist()))}")
    inside = np.zeros(canvas, dtype=bool)
    inside[42:556, 42:556] = True
    outside = ~inside[:height, :width]
    band = np.zeros(canvas, dtype=bool)
    band[556:, 42:] = True
    band = band[:height, :width]
    if not (g[outside & ~band] == BACKGROUND).all():
        errors.append("background outside the frame is not grey 0.4 everywhere")
    text = g[band & (g != BACKGROUND)]
    if height > 560 + 12 and not (len(text) > 200 and (text == LINE).sum() > 50):
        errors.append(f"no status line above the frame ({len(text)} text pixels)")
    if height <= 560 and len(text):
        errors.append("status text drawn although its starting point is outside the window")
    rows, columns = np.nonzero(band & (g != BACKGROUND))
    if height > TEXT_TOP and len(rows) and (columns.min(), rows.max()) != (TEXT_LEFT, TEXT_TOP):
        errors.append(f"status text from column {columns.min()} up to row {rows.max()}")
    return errors


def wait_until(predicate, timeout=DEADLINE, what="condition"):
    """Polls predicate until it returns a truthy value, which is returned; fails at the deadline."""
    end = time.monotonic() + timeout
    delay = 0.005
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(delay)
        delay = min(delay * 2, 0.1)


class Activity:
    """How long a process has been idle, polled: none of its threads running, no CPU time used,
    and what is passed to idle_for (the window's pixels) unchanged."""

    def __init__(self, pid):
        self.pid, self.last, self.since = pid, None, time.monotonic()

    def _state(self):
        ticks, running = 0, False
        for task in os.listdir(f"/proc/{self.pid}/task"):
            try:
                with open(f"/proc/{self.pid}/task/{task}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except FileNotFoundError:     # a thread that has just ended
                continue
            running |= fields[0] in "RD"
            ticks += int(fields[11]) + int(fields[12])   # user and system time
        return ticks, running

    def idle_for(self, extra=None):
        ticks, running = self._state()
        now = time.monotonic()
        changed = self.last is None or ticks != self.last[0] or not (
            extra is None or np.array_equal(extra, self.last[1]))
        if running or changed:
            self.since = now
        self.last = (ticks, extra)
        return now - self.since


class XServer:
    """A private Xvfb, 24-bit TrueColor, with GLX from Mesa's software renderer."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        end = time.monotonic() + DEADLINE
        while not number.endswith(b"\n"):
            if not select.select([read_end], [], [], max(0.0, end - time.monotonic()))[0]:
                self.close()
                raise AssertionError("Xvfb did not report a display number")
            chunk = os.read(read_end, 16)
            if not chunk:
                self.close()
                raise AssertionError("Xvfb exited before it was ready")
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()
        self.display = xdisplay.Display(self.name)

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        return env

    def close(self):
        if getattr(self, "display", None) is not None:
            self.display.close()
            self.display = None
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# One key of the server's keyboard: its keycode, whether Shift is held for it, and the keysym that
# the two give together.
Key = collections.namedtuple("Key", "keycode shift keysym")


ISO_LOCK, ISO_LEVEL5_LOCK = 0xFE01, 0xFE13   # XKB keysyms that python-xlib does not load


def typeable_keys(display):
    """Every key the server's keyboard can type alone or with Shift, read from its keyboard
    mapping: neither NoSymbol nor a modifier, and not on a keycode that the modifier mapping
    names. Escape is left to the caller."""
    first = display.display.info.min_keycode
    count = display.display.info.max_keycode - first + 1
    modifier_codes = {code for codes in display.get_modifier_mapping() for code in codes}
    keys = []
    for keycode, syms in enumerate(display.get_keyboard_mapping(first, count), start=first):
        if keycode in modifier_codes:
            continue
        plain = syms[0]
        # A keycode that lists one keysym gives it with Shift too (the core protocol's rule).
        shifted = syms[1] or plain
        for shift, keysym in ((False, plain), (True, shifted)):
            # Xlib's IsModifierKey: the keysyms that shift, latch or lock rather than type.
            modifier = (XK.XK_Shift_L <= keysym <= XK.XK_Hyper_R or ISO_LOCK <= keysym <=
                        ISO_LEVEL5_LOCK or keysym in (XK.XK_Mode_switch, XK.XK_Num_Lock))
            if keysym and not modifier:
                keys.append(Key(keycode, shift, keysym))
    return keys


class WindowTest(unittest.TestCase):
    """Tests that share one private X server and one scratch folder per class."""

    @classmethod
    def setUpClass(cls):
        cls.server = XServer()
        cls.tmp = tempfile.mkdtemp(prefix=f"orlinde-{cls.__name__.lower()}-")

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.tmp)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.tmp, name)


_memcheck_runs = []


def _memcheck_prefix():
    """A fresh report prefix in a folder that every user may write to (a test may run the binary
    as nobody), or None when the binary does not run under memcheck."""
    if not MEMCHECK:
        return None
    if not _memcheck_runs:
        folder = tempfile.mkdtemp(prefix="orlinde-memcheck-")
        os.chmod(folder, 0o1777)
        atexit.register(shutil.rmtree, folder, True)
        _memcheck_runs.append(folder)
    _memcheck_runs.append(os.path.join(_memcheck_runs[0], f"run{len(_memcheck_runs)}"))
    return _memcheck_runs[-1]


def _under_memcheck(prefix, env):
    environment = dict(env)
    if prefix is not None:
        environment.update(memcheck.GL_ENV)
    return (memcheck.command(prefix) if prefix else []), environment


def _check_memcheck(prefix, binary):
    if prefix is not None:
        found = memcheck.problems(prefix, os.path.realpath(binary))
        if found:
            raise AssertionError(found)


def run_to_end(server, args):
    """Runs orlinde with args to its end, under server's display or with none when server is
    None; returns (exit status, stdout bytes, stderr bytes). Under memcheck, stderr is
    valgrind's and the run fails on any problem in its report."""
    environment = server.env() if server is not None else {k: v for k, v in os.environ.items()
                                                           if k != "DISPLAY"}
    prefix = _memcheck_prefix()
    wrapper, environment = _under_memcheck(prefix, environment)
    done = subprocess.run(wrapper + [BINARY] + list(args), env=environment,
                          capture_output=True, timeout=DEADLINE)
    _check_memcheck(prefix, BINARY)
    return done.returncode, done.stdout, b"" if prefix else done.stderr


class Viewer:
    """A running orlinde with its window mapped, driven through the X server like a user."""

    def __init__(self, server, image_path):
        self.server = server
        self.d = server.display
        self.memcheck = _memcheck_prefix()
        wrapper, environment = _under_memcheck(self.memcheck, server.env())
        # A window of a viewer that was just ended may linger in the server: only a new one counts.
        self.before = {child.id for child in self.d.screen().root.query_tree().children}
        self.process = subprocess.Popen(wrapper + [BINARY, image_path], env=environment,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            self.window = wait_until(self._find_window, what="the Orlinde window to be mapped")
        except AssertionError:
            self.memcheck = None
            out, err = self.stop()
            raise AssertionError(f"no window; stdout={out!r} stderr={err!r}")
        self._focus()

    def _find_window(self):
        if self.process.poll() is not None:
            raise AssertionError(f"orlinde exited early with status {self.process.returncode}")
        root = self.d.screen().root
        for child in root.query_tree().children:
            if child.id in self.before:
                continue
            try:
                if child.get_wm_name() == "Orlinde" and \
                        child.get_attributes().map_state == X.IsViewable:
                    return child
            except Exception:
                continue
        return None

    def _focus(self):
        # Xvfb runs no window manager: give the window the input focus and put the pointer in
        # it, so that key events go to it whatever the server's focus policy.
        self.window.set_input_focus(X.RevertToParent, X.CurrentTime)
        self.move_pointer(300, 300)
        self.d.sync()

    def geometry(self):
        g = self.window.get_geometry()
        origin = self.window.translate_coords(self.d.screen().root, 0, 0)
        return -origin.x, -origin.y, g.width, g.height

    def move_pointer(self, x, y):
        """Moves the pointer to window pixel (x, y), counted from the top-left corner."""
        root_x, root_y, _, _ = self.geometry()
        xtest.fake_input(self.d, X.MotionNotify, x=root_x + x, y=root_y + y)
        self.d.sync()

    def key(self, char):
        """Types one printable ASCII character, or ESC given as "\x1b"."""
        keysym = XK.XK_Escape if char == "\x1b" else ord(char)
        keycode = self.d.keysym_to_keycode(keysym)
        if keycode == 0:
            raise ValueError(f"no key for {char!r}")
        self._type(keycode, self.d.keycode_to_keysym(keycode, 0) != keysym)
        self.d.sync()

    def keys(self, text):
        for char in text:
            self.key(char)

    def click(self, button=1, x=300, y=300):
        self.move_pointer(x, y)
        self._click(button)
        self.d.sync()

    def flood(self, events):
        """Sends events as fast as the X server takes them: no round trip after each, only a
        flush every 64 events, and one sync at the end. Each event is a tuple:
        ("key", Key), ("click", button, x, y) with (x, y) in the window, counted from its
        top-left corner, or ("resize", width, height). Keys go to the window through the input
        focus, wherever the pointer is."""
        root_x, root_y, _, _ = self.geometry()
        for i, event in enumerate(events, start=1):
            kind = event[0]
            if kind == "key":
                self._type(event[1].keycode, event[1].shift)
            elif kind == "click":
                _, button, x, y = event
                xtest.fake_input(self.d, X.MotionNotify, x=root_x + x, y=root_y + y)
                self._click(button)
            elif kind == "resize":
                self.window.configure(width=event[1], height=event[2])
            else:
                raise ValueError(f"unknown event {event!r}")
            if i % 64 == 0:
                self.d.flush()
        self.d.sync()

    def _type(self, keycode, shift):
        shift_code = self.d.keysym_to_keycode(XK.XK_Shift_L)
        if shift:
            xtest.fake_input(self.d, X.KeyPress, shift_code)
        xtest.fake_input(self.d, X.KeyPress, keycode)
        xtest.fake_input(self.d, X.KeyRelease, keycode)
        if shift:
            xtest.fake_input(self.d, X.KeyRelease, shift_code)

    def _click(self, button):
        xtest.fake_input(self.d, X.ButtonPress, button)
        xtest.fake_input(self.d, X.ButtonRelease, button)

    def close_window(self):
        """Asks the window to close as a window manager's close button does."""
        protocols = self.d.intern_atom("WM_PROTOCOLS")
        delete = self.d.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=self.window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        self.window.send_event(event, event_mask=0)
        self.d.sync()

    def resize(self, width, height):
        self.window.configure(width=width, height=height)
        self.d.sync()
        wait_until(lambda: self.geometry()[2:] == (width, height),
                   what=f"the window to become {width} x {height}")

    def paint_over(self):
        """Paints the window red behind the program's back (which raises no Expose), so that
        only a redraw the program makes by itself can restore it. Paints again should a redraw
        already under way cover the paint before it is seen."""

        def painted():
            gc = self.window.create_gc(foreground=0xFF0000)
            self.window.fill_rectangle(gc, 0, 0, 600, 600)
            gc.free()
            self.d.sync()
            return (self.pixels()[300, 300] == (255, 0, 0)).all()

        wait_until(painted, what="the window painted red")

    def pixels(self):
        """The window's contents as an RGB array indexed [y][x] with y upward from the bottom,
        so that array positions are the program's own window coordinates."""
        _, _, w, h = self.geometry()
        image = self.window.get_image(0, 0, w, h, X.ZPixmap, 0xFFFFFFFF)
        raw = np.frombuffer(image.data, dtype=np.uint8).reshape(h, w, 4)
        return raw[::-1, :, 2::-1].copy()

    def wait_for_pixels(self, predicate, what="the expected picture", seen=None):
        """Polls the window until predicate(pixels) holds; returns those pixels. Fails once the
        window has settled on other pixels, saying what seen(pixels) says of them."""
        activity, last = Activity(self.process.pid), {}

        def check():
            if self.process.poll() is not None:
                raise AssertionError(f"orlinde exited with status {self.process.returncode} "
                                     f"while the window was to show {what}")
            last["p"] = p = self.pixels()
            if predicate(p):
                return True
            if activity.idle_for(p) >= SETTLE:
                raise AssertionError(f"the window settled without showing {what}"
                                     + (f": {seen(p)}" if seen else ""))
            return False

        wait_until(check, what=what)
        return last["p"]

    def wait_for_layout(self, picture, width=600, height=600, what=None):
        """Waits until the window is width x height and shows the layout around picture."""

        def errors(p):
            return layout_errors(p, picture, width, height)

        return self.wait_for_pixels(lambda p: not errors(p), seen=errors,
                                    what=what or f"the layout in {width} x {height}")

    def wait_idle(self):
        """Waits until the program has worked through its queue of events and sleeps in the
        main loop."""
        activity = Activity(self.process.pid)
        wait_until(lambda: activity.idle_for() >= 0.3, what="the program to become idle")

    def wait_exit(self, timeout=DEADLINE):
        return self.process.wait(timeout=timeout)

    def stop(self):
        """Ends the program, by ESC under memcheck so that the report is complete, and returns
        its (stdout, stderr); under memcheck stderr is valgrind's and not returned."""
        if self.process.poll() is None:
            if self.memcheck:
                self.key("\x1b")
                self.wait_exit()
            else:
                self.process.kill()
        out, err = self.process.communicate(timeout=DEADLINE)
        if self.memcheck:
            prefix, self.memcheck = self.memcheck, None
            _check_memcheck(prefix, BINARY)
            self.own_allocations = memcheck.own_allocations(prefix, SOURCE)
            return out, b""
        return out, err

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
