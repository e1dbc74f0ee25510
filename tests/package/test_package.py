"""What `cmake --install` and `cpack -G DEB` give a user: the binary, the manual page, the
samples, the desktop entry and the licence in their places, and a lintian-clean Debian package
with computed dependencies whose unpacked binary shows its unpacked sample in a real window."""

import filecmp
import gzip
import os
import re
import shutil
import stat
import subprocess
import tempfile
import unittest

from project import BUILD, MANUAL, SAMPLES, SOURCE, tool

import harness
from harness import bottom_up


def files_under(root):
    return sorted(os.path.relpath(os.path.join(d, f), root)
                  for d, _, names in os.walk(root) for f in names)


def installed_version(package):
    run = subprocess.run(["dpkg-query", "-W", "-f", "${Status} ${Version}", package],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    fields = run.stdout.decode().split()
    return fields[3] if run.returncode == 0 and fields[:3] == ["install", "ok", "installed"] \
        else None


def satisfied_here(clause):
    """Whether one Depends clause ("a (>= 1) | b") is met by a package installed here."""
    for alternative in clause.split("|"):
        m = re.fullmatch(r"\s*([a-z0-9][a-z0-9+.-]*)(?::\S+)?\s*(?:\((\S+)\s+(\S+)\))?\s*",
                         alternative)
        if m is None:
            raise AssertionError(f"malformed dependency {alternative!r}")
        version = installed_version(m.group(1))
        if version is None:
            continue
        if m.group(2) is None or subprocess.run(
                ["dpkg", "--compare-versions", version, m.group(2), m.group(3)]).returncode == 0:
            return True
    return False


# What both `cmake --install` and the package put below their prefix.
INSTALLED = ["bin/orlinde", "share/applications/orlinde.desktop", "share/doc/orlinde/changelog.gz",
             "share/doc/orlinde/copyright", "share/icons/hicolor/scalable/apps/orlinde.svg",
             "share/man/man1/orlinde.1.gz", "share/orlinde/scene.tga", "share/orlinde/testcard.tga"]


class Install(unittest.TestCase):
    def test_install_honours_prefix_and_destdir(self):
        with tempfile.TemporaryDirectory(prefix="orlinde-install-") as destdir:
            env = dict(os.environ, DESTDIR=destdir)
            subprocess.run([os.environ.get("ORLINDE_CMAKE", "cmake"), "--install", BUILD,
                            "--prefix", "/opt/orlinde"], env=env, check=True,
                           stdout=subprocess.DEVNULL)
            root = os.path.join(destdir, "opt", "orlinde")
            self.assertEqual(files_under(destdir),
                             [os.path.join("opt", "orlinde", f) for f in INSTALLED])
            self.assertTrue(os.stat(os.path.join(root, "bin", "orlinde")).st_mode & stat.S_IXOTH)
            with gzip.open(os.path.join(root, "share/man/man1/orlinde.1.gz"), "rb") as f, \
                    open(MANUAL, "rb") as g:
                self.assertEqual(f.read(), g.read())
            for sample in SAMPLES:
                self.assertTrue(filecmp.cmp(os.path.join(root, "share/orlinde", sample),
                                            os.path.join(SOURCE, "samples", sample),
                                            shallow=False), sample)
            entry = os.path.join(root, "share/applications/orlinde.desktop")
            check = subprocess.run([tool("desktop-file-validate", "desktop-file-utils"), entry],
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=False)
            self.assertEqual((check.returncode, check.stdout.decode()), (0, ""))


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="orlinde-deb-")
        out = os.path.join(cls.tmp, "out")
        subprocess.run([os.environ.get("ORLINDE_CPACK", "cpack"), "-G", "DEB",
                        "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out],
                       check=True, stdout=subprocess.PIPE)
        debs = [f for f in os.listdir(out) if f.endswith(".deb")]
        if len(debs) != 1:
            raise AssertionError(f"expected one .deb, got {debs}")
        cls.deb = os.path.join(out, debs[0])
        cls.dpkg_deb = tool("dpkg-deb", "dpkg")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def field(self, name):
        return subprocess.run([self.dpkg_deb, "-f", self.deb, name], stdout=subprocess.PIPE,
                              check=True).stdout.decode().strip()

    def test_dependencies_are_computed_and_met_on_this_machine(self):
        depends = self.field("Depends")
        self.assertTrue(depends)
        clauses = [c.strip() for c in depends.split(",")]
        names = " ".join(clauses)
        # What dpkg-shlibdeps finds for the binary's libraries; a hand-written list would not
        # carry the version bounds. OpenGL comes as libGL (libgl1) or, where CMake links the
        # vendor-neutral libraries, as libOpenGL (libopengl0) with libGLX (libglx0).
        for library in (r"\b(libglut|freeglut)\S*", r"\b(libgl1|libopengl0)\b",
                        r"\blibglu1", r"\blibc6 \(>="):
            with self.subTest(library):
                self.assertRegex(names, library)
        for clause in clauses:
            with self.subTest(clause):
                self.assertTrue(satisfied_here(clause), f"{clause} is not installed here")

    def test_contents(self):
        listing = subprocess.run([self.dpkg_deb, "-c", self.deb], stdout=subprocess.PIPE,
                                 check=True).stdout.decode()
        files = sorted(line.split()[-1] for line in listing.splitlines()
                       if not line.startswith("d"))
        self.assertEqual(files, ["./usr/" + f for f in INSTALLED])

    def test_lintian_finds_nothing_to_fix(self):
        # Errors and warnings are what a packager is asked to fix; informational tags
        # (hardening hints for a plain CMake build) are not.
        run = subprocess.run([tool("lintian", "lintian"), "--fail-on", "error,warning",
                              self.deb], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             check=False)
        report = run.stdout.decode()
        self.assertEqual(run.returncode, 0, report)
        self.assertNotRegex(report, r"(?m)^[EW]: ")

    def test_unpacked_binary_shows_the_unpacked_sample(self):
        root = os.path.join(self.tmp, "root")
        subprocess.run([self.dpkg_deb, "-x", self.deb, root], check=True)
        sample = os.path.join(root, "usr", "share", "orlinde", "testcard.tga")
        self.assertTrue(filecmp.cmp(sample, os.path.join(SOURCE, "samples", "testcard.tga"),
                                    shallow=False))
        harness.BINARY = os.path.join(root, "usr", "bin", "orlinde")
        picture = bottom_up(sample)
        with harness.XServer() as server, harness.Viewer(server, sample) as viewer:
            viewer.wait_for_layout(picture, what="the packaged sample in the packaged viewer")


if __name__ == "__main__":
    unittest.main()
