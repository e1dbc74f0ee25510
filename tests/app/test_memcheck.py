"""The real binary under valgrind's memcheck: every way start-up can fail, and a short session in
a private X server with every command key, a click, a resize and ESC.

A failed start must end with status 1, a session with 0, and each must leave no unsuppressed error at all: no invalid read or
write, no use of uninitialised values, no block definitely lost. The suppressions in
valgrind.supp cover only the loader, X, Mesa and freeglut. Beyond that:
- no definitely lost block may have a frame of orlinde's own code on its allocation stack, and
- no block that orlinde's own code allocated may be left at all, not even reachable: the
  program ends through exit(), which destroys the globals, and they free their arrays.
"""

import fnmatch
import os
import shutil
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET

import numpy as np
from PIL import Image

import harness
from haar_model import Model
from harness import Viewer, XServer, run_to_end

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.environ.get("ORLINDE_SAMPLES", os.path.join(HERE, "..", "..", "samples"))
SUPPRESSIONS = os.path.join(HERE, "valgrind.supp")
# Software rendering without a JIT: softpipe interprets its shaders, so memcheck sees plain
# code, and runs several times faster under it than llvmpipe.
GL_ENV = {"LIBGL_ALWAYS_SOFTWARE": "1", "GALLIUM_DRIVER": "softpipe"}
ERROR_EXIT = 99
# Leak kinds that are not errors by themselves; every other kind in the report is one.
LEAK_KINDS_REPORTED_ONLY = {"Leak_StillReachable", "Leak_IndirectlyLost", "Leak_PossiblyLost"}
# The object that holds the allocators memcheck puts in place of malloc, new and friends.
ALLOCATOR_OBJECT = "vgpreload_memcheck"

N = 512
CORNER = 43


def memcheck(xml_path):
    return ["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=all",
            "--errors-for-leak-kinds=definite", f"--error-exitcode={ERROR_EXIT}",
            "--track-origins=yes", "--keep-debuginfo=yes", "--num-callers=40",
            f"--suppressions={SUPPRESSIONS}", "--xml=yes", f"--xml-file={xml_path}"]


class Frame:
    def __init__(self, node):
        self.fn = node.findtext("fn") or "???"
        self.obj = node.findtext("obj") or ""
        self.file = node.findtext("file") or ""
        self.line = node.findtext("line") or ""

    def __str__(self):
        where = f"{self.file}:{self.line}" if self.file else os.path.basename(self.obj) or "?"
        return f"{self.fn} ({where})"


class Record:
    def __init__(self, node):
        self.kind = node.findtext("kind")
        self.what = node.findtext("what") or node.findtext("xwhat/text")
        self.frames = [Frame(f) for f in node.findall("stack[1]/frame")]

    def __str__(self):
        return "\n".join([f"{self.kind}: {self.what}"] + [f"    {f}" for f in self.frames])


def read_report(path):
    root = ET.parse(path).getroot()
    records = [Record(e) for e in root.findall("error")]
    used = {p.findtext("name"): int(p.findtext("count")) for p in root.findall("suppcounts/pair")}
    return records, used


class Memcheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if shutil.which("valgrind") is None:
            raise AssertionError("valgrind is not installed (Debian package valgrind)")
        cls.binary = os.path.realpath(harness.BINARY)
        cls.server = XServer()
        cls.tmp = tempfile.mkdtemp(prefix="orlinde-memcheck-")

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.tmp)

    def ours(self, frame):
        return frame.obj == self.binary

    @staticmethod
    def allocator_depth(record):
        """How many frames at the top of an allocation stack are memcheck's allocators."""
        depth = 0
        while depth < len(record.frames) and ALLOCATOR_OBJECT in record.frames[depth].obj:
            depth += 1
        return depth

    def check_report(self, path):
        records, used = read_report(path)
        errors = [r for r in records if r.kind not in LEAK_KINDS_REPORTED_ONLY]
        lost_from_ours = [r for r in errors if r.kind == "Leak_DefinitelyLost"
                          and any(self.ours(f) for f in r.frames)]
        kept = [r for r in records if r.kind.startswith("Leak_")
                and any(self.ours(f) for f in r.frames[:1 + self.allocator_depth(r)])]
        for title, found in (("definitely lost with orlinde's code on the stack", lost_from_ours),
                             ("memcheck errors", errors),
                             ("blocks orlinde allocated and did not free by exit", kept)):
            if found:
                self.fail(f"{title} ({path}):\n" + "\n".join(map(str, found)))
        print(f"{os.path.basename(path)}: suppressed {used or 'nothing'}")

    def run_failure(self, name, args, line, server):
        xml = os.path.join(self.tmp, name + ".xml")
        status, out, err = run_to_end(server, args, timeout=harness.DEADLINE,
                                      wrapper=memcheck(xml), env=GL_ENV)
        self.assertEqual(out, line)
        self.check_report(xml)
        self.assertEqual(status, 1, f"status {status}; stderr {err.decode(errors='replace')}")

    def test_suppressions_name_no_code_of_orlinde(self):
        symbols = subprocess.run(["nm", "--defined-only", "--demangle", self.binary], check=True,
                                 capture_output=True, text=True).stdout.splitlines()
        functions = {line.split(" ", 2)[2] for line in symbols if line.split(" ")[1] in "TtWw"}
        self.assertIn("main", functions)
        with open(SUPPRESSIONS) as f:
            frames = [line.strip() for line in f if line.strip().startswith(("fun:", "obj:"))]
        for frame in frames:
            kind, pattern = frame.split(":", 1)
            with self.subTest(frame):
                if kind == "obj":
                    self.assertFalse(fnmatch.fnmatchcase(self.binary, pattern))
                else:
                    self.assertEqual([f for f in functions if fnmatch.fnmatchcase(f, pattern)], [])

    def test_start_up_failures(self):
        refused = os.path.join(self.tmp, "colour_mapped.tga")
        grey = np.random.default_rng(5).integers(0, 256, (N, N), dtype=np.uint8)
        Image.fromarray(grey).convert("P").save(refused)
        small = os.path.join(self.tmp, "small.tga")
        Image.fromarray(grey[:256, :256].copy()).save(small)
        cases = (
            ("no_argument", [], b"Orlinde: no image given.\n", None),
            ("missing_file", [os.path.join(self.tmp, "missing.tga")],
             b"TGAReadWrite: Unable to read file\n", self.server),
            ("refused_header", [refused], b"TGAReadWrite: Unable to read file.\n", self.server),
            ("improper_format", [small], b"Orlinde: improper image format.\n", self.server),
        )
        for name, args, line, server in cases:
            with self.subTest(name):
                self.run_failure(name, args, line, server)

    def test_a_session_with_every_command_ended_by_escape(self):
        path = os.path.join(SAMPLES, "scene.tga")
        k = np.array([0x3B808081], dtype=np.uint32).view(np.float32)[0]
        model = Model(np.asarray(Image.open(path).convert("L"))[::-1].astype(np.float32) * k)
        xml = os.path.join(self.tmp, "session.xml")
        viewer = Viewer(self.server, path, wrapper=memcheck(xml), env=GL_ENV)
        try:
            def shows_model(p):
                return np.array_equal(p[CORNER:CORNER + N, CORNER:CORNER + N, 0], model.screen())

            viewer.wait_for_pixels(shows_model, what="the first picture")
            for char in "fFrRSNfFrRBbns":
                viewer.key(char)
                model.key(char)
                viewer.wait_for_pixels(shows_model, what=f"the picture after {char!r}")
            viewer.click(2, 300, 300)
            viewer.resize(700, 650)
            viewer.wait_for_pixels(lambda p: p.shape[:2] == (650, 700) and shows_model(p),
                                   what="the picture in the larger window")
            viewer.key("\x1b")
            status = viewer.wait_exit(timeout=harness.DEADLINE)
        finally:
            out, err = viewer.stop()
        self.assertEqual(out, b"")
        self.check_report(xml)
        self.assertEqual(status, 0, f"status {status}; stderr {err.decode(errors='replace')}")


if __name__ == "__main__":
    unittest.main()
