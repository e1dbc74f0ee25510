#!/usr/bin/env python3
"""Holds the transform to two independent references through wavelet_apply: bit for bit to
haar_model.py, the model the window tests also use, over random key sequences; and within float
rounding to PyWavelets' orthonormal Haar transform on an image-like 512 x 512 picture. That the
transform undoes itself is the unit tests' business; here only its coefficients count.

Usage: test_reference.py PATH_TO_wavelet_apply [unittest options]

Our Haar step stores a = (e + o) / 2 and d = (e - o) / 2 (the normalized kernels divide d further by
the level factor sqrt(half)); PyWavelets' 'haar' gives (e + o) / sqrt 2 and (e - o) / sqrt 2, as our
orthonormal step does. So every band equals PyWavelets' band times a known factor per level (1 when
orthonormal), and the expected arrays are built from PyWavelets' coefficients, computed in float64
from the same float32 picture, times those factors.
"""

import os
import subprocess
import sys
import tempfile
import unittest

import numpy as np
import pywt

from haar_model import Model
from harness import K, N, smooth_picture

LEVELS = 9
TOOL = None


def run_tool(image, commands):
    """The square float32 array image after wavelet_apply's commands."""
    n = image.shape[0]
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "in.raw")
        result = os.path.join(folder, "out.raw")
        image.astype(np.float32).tofile(source)
        subprocess.run([TOOL, str(n), source, commands, result], check=True)
        return np.fromfile(result, dtype=np.float32).reshape(n, n)


class MatchesModelBitForBit(unittest.TestCase):
    def test_random_key_sequences(self):
        """Sizes 8 to 128, values of both signs over forty binary orders of magnitude, so that
        any change to where the kernels round shows in the low bits; every prefix of each
        sequence is compared, so a difference cannot be undone by the keys after it."""
        rng = np.random.default_rng(9)
        for seed in range(12):
            n = 8 << int(rng.integers(0, 5))
            signs = rng.choice([-1.0, 1.0], (n, n))
            values = (signs * rng.uniform(1, 2, (n, n)) * 2.0 ** rng.integers(-20, 21, (n, n)))
            values = values.astype(np.float32)
            weights = [.1, .25, .1, .25, .05, .05, .05, .075, .075]
            keys = "".join(rng.choice(list("FfRrNnOSs"), 24, p=weights))
            model = Model(values)
            with self.subTest(seed=seed, n=n, keys=keys):
                for end in range(1, len(keys) + 1):
                    model.key(keys[end - 1])
                    self.assertTrue(np.isfinite(model.x).all(), keys[:end])
                    ours = run_tool(values, keys[:end])
                    self.assertTrue(np.array_equal(ours.view(np.uint32), model.x.view(np.uint32)),
                                    f"after {keys[:end]!r}")


def line_factors(normalization):
    """Our full 1-D Haar transform of a line is PyWavelets' wavedec, concatenated, times these.

    Level j (half = N / 2^j pairs) turns sums over 2^j entries into d = (sum_even - sum_odd) / 2^j,
    PyWavelets into (sum_even - sum_odd) / 2^(j/2), with the same sign; the final average likewise.
    """
    if normalization == "orthonormal":
        return np.ones(N)
    normalized = normalization == "normalized"
    factors = np.empty(N)
    factors[0] = 2.0 ** (-LEVELS / 2)
    for level in range(1, LEVELS + 1):
        half = N >> level
        factors[half:2 * half] = 2.0 ** (-level / 2) / (np.sqrt(half) if normalized else 1.0)
    return factors


def expected_standard(image, normalization):
    """Every row fully, then every column fully: wavedec along rows (axis 1), then along columns."""
    x = image.astype(np.float64)
    rows = np.concatenate(pywt.wavedec(x, "haar", mode="periodization", level=LEVELS, axis=1), axis=1)
    both = np.concatenate(pywt.wavedec(rows, "haar", mode="periodization", level=LEVELS, axis=0), axis=0)
    factors = line_factors(normalization)
    return both * factors[:, None] * factors[None, :]


def expected_non_standard(image, normalization):
    """wavedec2's bands placed as our levels leave them in the lower-left block of side 2 half.

    At level j both passes turn PyWavelets' (e +- o) / sqrt 2 into (e +- o) / 2, so each band is
    PyWavelets' over 2^j; a normalized pass further divides the detail of its own axis by sqrt(half),
    so the diagonal band is divided by half. The orthonormal passes give PyWavelets' bands as they are.
    PyWavelets' cH is the detail along axis 0 (our columns: rows half..2 half - 1, first half
    columns), cV the detail along axis 1 (our rows: first half rows, columns half..2 half - 1).
    """
    coefficients = pywt.wavedec2(image.astype(np.float64), "haar", mode="periodization", level=LEVELS)
    orthonormal, normalized = normalization == "orthonormal", normalization == "normalized"
    out = np.empty((N, N))
    out[0, 0] = coefficients[0][0, 0] / (1.0 if orthonormal else 2.0 ** LEVELS)
    for level in range(1, LEVELS + 1):
        horizontal, vertical, diagonal = coefficients[LEVELS + 1 - level]
        half = N >> level
        one_axis = 1.0 if orthonormal else 2.0 ** level * (np.sqrt(half) if normalized else 1.0)
        both_axes = 1.0 if orthonormal else 2.0 ** level * (half if normalized else 1.0)
        out[half:2 * half, 0:half] = horizontal / one_axis
        out[0:half, half:2 * half] = vertical / one_axis
        out[half:2 * half, half:2 * half] = diagonal / both_axes
    return out


class MatchesPyWavelets(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.image = smooth_picture().astype(np.float32) * K

    def assertClose(self, ours, expected):
        """Float rounding of 18 passes: about a millionth of the picture's range, or of the largest
        coefficient where that is larger (the orthonormal average grows to 512 times the mean)."""
        span = max(float(self.image.max() - self.image.min()), float(np.max(np.abs(expected))))
        error = np.max(np.abs(ours.astype(np.float64) - expected))
        self.assertLessEqual(error, 1e-6 * span, f"largest difference {error:.3g}")

    def test_full_decomposition_in_all_six_modes(self):
        letters = {"plain": "", "normalized": "N", "orthonormal": "O"}
        for standard in (False, True):
            for normalization, letter in letters.items():
                with self.subTest(standard=standard, normalization=normalization):
                    commands = ("S" if standard else "") + letter + "F"
                    ours = run_tool(self.image, commands)
                    build = expected_standard if standard else expected_non_standard
                    self.assertClose(ours, build(self.image, normalization))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    TOOL = sys.argv[1]
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:])
