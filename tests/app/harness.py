"""Runs the real orlinde binary the way a user does, in a private X server.

Each XServer is an Xvfb of its own on a free display number (asked for with -displayfd), so the
tests need no display of the developer's. Viewer starts the program in it, waits for its window,
sends real key and mouse events through the XTEST extension, resizes the window and reads its
pixels back with GetImage. Every wait polls with a deadline; nothing sleeps for a fixed time.
"""

import collections
import os
import select
import subprocess
import time

import numpy as np
from Xlib import X, XK, display as xdisplay, protocol
from Xlib.ext import xtest

BINARY = os.environ.get("ORLINDE_BINARY", "build/orlinde")
DEADLINE = float(os.environ.get("ORLINDE_E2E_DEADLINE", "30"))


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


class XServer:
    """A private Xvfb, 24-bit TrueColor, with GLX from Mesa's software renderer."""

    def __init__(self, width=1280, height=1024):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
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


def is_modifier_keysym(keysym):
    """Xlib's IsModifierKey: the keysyms that shift, latch or lock rather than type."""
    return (XK.XK_Shift_L <= keysym <= XK.XK_Hyper_R or ISO_LOCK <= keysym <= ISO_LEVEL5_LOCK
            or keysym in (XK.XK_Mode_switch, XK.XK_Num_Lock))


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
            if keysym and not is_modifier_keysym(keysym):
                keys.append(Key(keycode, shift, keysym))
    return keys


def run_to_end(server, args, timeout=DEADLINE, stdout=subprocess.PIPE, binary=None, wrapper=(),
               env=None, **kwargs):
    """Runs orlinde with args to its end, under server's display or with none when server is
    None, through wrapper and with the extra environment env as for Viewer; returns (exit
    status, stdout bytes, stderr bytes)."""
    environment = server.env() if server is not None else {k: v for k, v in os.environ.items()
                                                           if k != "DISPLAY"}
    environment.update(env or {})
    done = subprocess.run(list(wrapper) + [binary or BINARY] + list(args), env=environment,
                          stdout=stdout, stderr=subprocess.PIPE, timeout=timeout, **kwargs)
    return done.returncode, done.stdout, done.stderr


class Viewer:
    """A running orlinde with its window mapped, driven through the X server like a user."""

    def __init__(self, server, image_path, extra_args=(), wrapper=(), env=None):
        """wrapper: a command that runs the binary (valgrind and its options, say); env: extra
        environment variables."""
        self.server = server
        self.d = server.display
        environment = server.env()
        environment.update(env or {})
        self.process = subprocess.Popen(list(wrapper) + [BINARY, image_path] + list(extra_args),
                                        env=environment, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        try:
            self.window = wait_until(self._find_window, what="the Orlinde window to be mapped")
        except AssertionError:
            out, err = self.stop()
            raise AssertionError(f"no window; stdout={out!r} stderr={err!r}")
        self._focus()

    def _find_window(self):
        if self.process.poll() is not None:
            raise AssertionError(f"orlinde exited early with status {self.process.returncode}")
        root = self.d.screen().root
        for child in root.query_tree().children:
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
        """Types one character, or a keysym name such as 'Escape' or 'Left'."""
        keysym = XK.string_to_keysym(char) if len(char) > 1 else ord(char)
        if len(char) == 1 and not (0x20 <= keysym <= 0x7e):
            keysym = {"\x1b": XK.XK_Escape, "\r": XK.XK_Return, "\t": XK.XK_Tab}[char]
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

    def flood(self, events, flush_every=64):
        """Sends events as fast as the X server takes them: no round trip after each, only a
        flush every flush_every events, and one sync at the end. Each event is a tuple:
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
            if i % flush_every == 0:
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

    def wait_for_pixels(self, predicate, what="the expected picture"):
        """Polls the window until predicate(pixels) holds; returns those pixels."""
        last = {}

        def check():
            p = self.pixels()
            last["p"] = p
            return predicate(p)

        try:
            wait_until(check, what=what)
        except AssertionError:
            raise AssertionError(f"timed out waiting for {what}") from None
        return last["p"]

    def rss_kib(self):
        """The program's resident set size in KiB."""
        with open(f"/proc/{self.process.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise AssertionError("no VmRSS in /proc")

    def cpu_ticks(self):
        """The program's user plus system CPU time in clock ticks."""
        with open(f"/proc/{self.process.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def wait_idle(self, quiet=0.3):
        """Waits until the program has used no CPU time for quiet seconds: it has worked
        through its queue of events and sleeps in the main loop."""
        last = {"ticks": None, "since": None}

        def idle():
            ticks, now = self.cpu_ticks(), time.monotonic()
            if ticks != last["ticks"]:
                last["ticks"], last["since"] = ticks, now
            return now - last["since"] >= quiet

        wait_until(idle, what="the program to become idle")

    def wait_exit(self, timeout=DEADLINE):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        out, err = self.process.communicate(timeout=DEADLINE)
        return out, err

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
