#!/usr/bin/env python3
"""Holds the rate-distortion data to an independent model: haar_model.py for the transform (bit for
bit the viewer's), numpy for keep-the-largest and the PSNR, every budget computed from the share as
an exact decimal. Every share and mode must agree within 0.01 dB, infinity with infinity.

Usage: test_rate_distortion.py PATH_TO_lab_tool [unittest options]

The pictures: both bundled samples as the viewer opens them (the test card's flat areas make most
coefficients tie, so the tie rule decides which stay), and a smooth textured picture.
"""

import math
import os
import subprocess
import sys
import tempfile
import unittest
from fractions import Fraction

import numpy as np

from haar_model import Model
from harness import SAMPLES, grey_values, smooth_picture, K

TOOL = None
# (standard, normalization) in the chart's order.
MODES = ((False, "plain"), (False, "normalized"), (True, "plain"), (True, "normalized"),
         (False, "orthonormal"), (True, "orthonormal"))


def native(picture):
    """{share: [psnr per mode]} from lab_tool."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "picture.raw")
        picture.astype(np.float32).tofile(path)
        out = subprocess.run([TOOL, "rd", str(picture.shape[0]), path], check=True,
                             stdout=subprocess.PIPE, text=True).stdout
    rows = [[float(v) for v in line.split()] for line in out.splitlines()]
    return {row[0]: row[1:] for row in rows}


def budget(count, share):
    """ceil(share % of count) with the share read as the decimal it is written as."""
    return min(count, max(1, math.ceil(Fraction(repr(share)) * count / 100)))


def model_curve(picture, standard, normalization, shares):
    model = Model(picture)
    model.standard, model.normalization = standard, normalization
    model.decompose()
    coefficients = model.x.ravel().copy()
    # Larger magnitude first; a stable sort keeps the lower index first among equal ones.
    order = np.argsort(-np.abs(coefficients.astype(np.float64)), kind="stable")
    reference = picture.astype(np.float64).ravel()
    curve = []
    for share in shares:
        kept = order[:budget(coefficients.size, share)]
        model.x[...] = 0
        model.x.ravel()[kept] = coefficients[kept]
        model.reconstruct()
        error = np.sum((model.x.astype(np.float64).ravel() - reference) ** 2)
        curve.append(math.inf if error == 0 else 10 * math.log10(coefficients.size / error))
        model.row_length = model.column_length = 1
    return curve


class MatchesTheModel(unittest.TestCase):
    def check(self, picture):
        ours = native(picture)
        shares = sorted(ours)
        for mode, (standard, normalization) in enumerate(MODES):
            expected = model_curve(picture, standard, normalization, shares)
            for share, want in zip(shares, expected):
                got = ours[share][mode]
                with self.subTest(mode=mode, share=share):
                    if math.isinf(want):
                        self.assertEqual(got, want)
                    else:
                        self.assertLessEqual(abs(got - want), 0.01, f"{got} dB, model {want} dB")

    def test_samples(self):
        for name in ("testcard", "scene"):
            with self.subTest(sample=name):
                self.check(grey_values(os.path.join(SAMPLES, f"{name}.tga")))

    def test_smooth_picture(self):
        self.check(smooth_picture().astype(np.float32) * K)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
