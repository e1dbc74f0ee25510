"""The README's screenshots are what the window shows today: docs/screenshots.py, run into a
scratch folder, gives the committed pictures pixel for pixel."""

import os
import subprocess
import sys
import tempfile
import unittest

import numpy as np
from PIL import Image

from project import SOURCE

DOCS = os.path.join(SOURCE, "docs")


class Screenshots(unittest.TestCase):
    def test_committed_screenshots_are_current(self):
        committed = sorted(f for f in os.listdir(DOCS) if f.endswith(".png"))
        self.assertEqual(len(committed), 5)
        with tempfile.TemporaryDirectory(prefix="orlinde-shots-") as out:
            subprocess.run([sys.executable, os.path.join(DOCS, "screenshots.py"),
                            os.environ.get("ORLINDE_BINARY", "build/orlinde"),
                            os.path.join(SOURCE, "samples", "testcard.tga"), out],
                           check=True, stdout=subprocess.DEVNULL)
            self.assertEqual(sorted(os.listdir(out)), committed)
            for name in committed:
                with self.subTest(name), Image.open(os.path.join(DOCS, name)) as old, \
                        Image.open(os.path.join(out, name)) as new:
                    self.assertEqual((old.mode, old.size), (new.mode, new.size))
                    self.assertTrue(np.array_equal(np.asarray(old), np.asarray(new)),
                                    f"{name} is out of date: run docs/screenshots.py")
        for name in committed:
            self.assertIn(f'src="docs/{name}"', open(os.path.join(SOURCE, "README.md")).read())


if __name__ == "__main__":
    unittest.main()
