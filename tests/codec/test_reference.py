#!/usr/bin/env python3
"""Holds the coder's forward transforms to PyWavelets through codec_tool, on the image-like
512 x 512 picture the other reference tests use.

Usage: test_reference.py PATH_TO_codec_tool [unittest options]

Layout: each level leaves, in the top-left m x m corner of the previous low band, the bands of
pywt.dwtn with axes (rows, columns): 'aa' top-left, 'ad' top-right (columns high), 'da' bottom-left,
'dd' bottom-right.

Edges: ours extend by whole-sample symmetry (... x2 x1 | x0 x1 x2 ...), which is PyWavelets' mode
'reflect'; its 'symmetric' repeats the edge sample (... x1 x0 | x0 x1 ...) and differs from ours by
tens near the edges. In 'reflect' mode PyWavelets returns (m + taps - 1) // 2 coefficients per
line; ours are the m / 2 starting at OFFSET (bior4.4: 10 taps, offset 2; bior2.2: 6 taps, offset 1).

Scaling: our Haar is PyWavelets' 'haar', with no factor. PyWavelets' biorthogonal high filters have
the opposite sign to JPEG 2000's lifting, so a band of ours with b high directions is PyWavelets'
times (-1)^b: our 9/7 is 'bior4.4' so (both with low filters summing to sqrt 2). Our 5/3 also keeps
JPEG 2000's gains, low 1 and high 2 where 'bior2.2' has sqrt 2 and sqrt 2: a band with a low and b
high directions is PyWavelets' times (1/sqrt 2)^a * (-sqrt 2)^b.
"""

import os
import subprocess
import sys
import tempfile
import unittest

import numpy as np
import pywt

from harness import N, smooth_picture

TOOL = None
OFFSET = {"haar": 0, "bior2.2": 1, "bior4.4": 2}
SIGN = {"aa": 1.0, "ad": -1.0, "da": -1.0, "dd": 1.0}
SCALE_53 = {"aa": 0.5, "ad": -1.0, "da": -1.0, "dd": 2.0}


def forward(wavelet, picture, levels):
    n = picture.shape[0]
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "in.raw")
        result = os.path.join(folder, "out.raw")
        picture.astype(np.float64).tofile(source)
        subprocess.run([TOOL, wavelet, str(n), str(levels), source, result], check=True)
        return np.fromfile(result, dtype=np.float64).reshape(n, n)


def one_level(low, name):
    """PyWavelets' four bands of one level of `low`, cut to ours."""
    half = low.shape[0] // 2
    start = OFFSET[name]
    bands = pywt.dwtn(low, name, mode="reflect", axes=(0, 1))
    return {key: band[start:start + half, start:start + half] for key, band in bands.items()}


def ours_at(coefficients, m):
    """Our four bands of the level whose low band before it was the top-left m x m corner."""
    h = m // 2
    return {"aa": coefficients[:h, :h], "ad": coefficients[:h, h:m],
            "da": coefficients[h:m, :h], "dd": coefficients[h:m, h:m]}


class MatchesPyWavelets(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.picture = smooth_picture().astype(np.float64)

    def test_haar_and_9_7_through_every_level(self):
        """PyWavelets' own cascade, level after level on its own low band, against ours: the
        published 9/7 constants agree with bior4.4's taps to about 1e-12 of the values."""
        levels = 6
        for ours_name, name, sign in (("haar", "haar", {}), ("cdf97", "bior4.4", SIGN)):
            coefficients = forward(ours_name, self.picture, levels)
            low = self.picture
            for level in range(levels):
                m = N >> level
                expected = one_level(low, name)
                for key, band in ours_at(coefficients, m).items():
                    if key == "aa" and level + 1 < levels:
                        continue
                    with self.subTest(wavelet=ours_name, level=level + 1, band=key):
                        np.testing.assert_allclose(band, sign.get(key, 1.0) * expected[key], rtol=0, atol=1e-9 * 2.0 ** level * 256)
                low = expected["aa"]

    def test_5_3_level_by_level_within_its_rounding(self):
        """Each level of ours against one level of bior2.2 on our own low band of the level before
        (integers, so PyWavelets sees exactly what our lifting saw). The lifting rounds: in one
        direction the detail d = x_odd - floor(mean of neighbours) is up to 1/2 above the exact one,
        the low s = x_even + floor((d_left + d_right + 2) / 4) from 1/4 below to 3/4 above it. The
        second direction adds its own rounding to the first's carried through its filter (low taps
        summing to 1.5 in magnitude, high taps to 2): at most 3/4 + 1.5 x 3/4 = 1.875 in the low
        band, 3/4 + 1.5 x 1/2 = 1.5 and 1/2 + 2 x 3/4 = 2 in the mixed ones, 1/2 + 2 x 1/2 = 1.5 in
        the diagonal one. Any error in the extension or the filters is far above 2."""
        levels = 6
        worst = 0.0
        low = self.picture
        for level in range(levels):
            m = N >> level
            coefficients = forward("cdf53", self.picture, level + 1)
            expected = one_level(low, "bior2.2")
            for key, band in ours_at(coefficients, m).items():
                error = np.abs(band - SCALE_53[key] * expected[key]).max()
                worst = max(worst, error)
                with self.subTest(level=level + 1, band=key):
                    self.assertLessEqual(error, 2.0)
            low = coefficients[:m // 2, :m // 2]
        self.assertGreater(worst, 0.0, "no rounding at all: not the integer lifting")


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
