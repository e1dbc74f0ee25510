"""An independent numpy model of the viewer's transform and keys, for checking the screen.

Arithmetic: every intermediate is float64 computed from float32 operands, rounded to float32
only when stored. Forward pass over the first L entries of a line, half = L / 2:
    a = (e + o) * 0.5,  x[k] = f32(a),  x[half + k] = f32(a - o)      [normalized: f32((a - o) / s)]
Inverse pass over the first M entries, half = M / 2:
    d = x[half + k]                                                   [normalized: d = f32(s * d)]
    x[2k + 1] = f32(a - d),  x[2k] = f32(d + a)
with s = f32(sqrt(half)). Orthonormal, with H = 1 / sqrt 2 as a float64:
    x[k] = f32((e + o) * H),  x[half + k] = f32((e - o) * H)
    x[2k] = f32((a + d) * H),  x[2k + 1] = f32((a - d) * H)
The array is indexed [row][column], row 0 at the bottom.
"""

import numpy as np

F32 = np.float32
H = 0.7071067811865476


def level_factor(half):
    return float(F32(np.sqrt(float(half))))


class Model:
    def __init__(self, image):
        self.x = np.array(image, dtype=F32)
        self.n = self.x.shape[0]
        self.row_length = self.column_length = self.n
        self.standard = False
        self.normalization = "plain"
        self.scale = F32(1.0)

    @property
    def normalized(self):
        return self.normalization == "normalized"

    @normalized.setter
    def normalized(self, on):
        self.normalization = "normalized" if on else "plain"

    # One pass over lines 0 … count − 1; `lines` views the array so that a line is a row.
    def _forward(self, lines, length, count):
        if length < 2:
            return False
        half = length // 2
        block = lines[:count, :length].astype(np.float64)
        e, o = block[:, 0::2], block[:, 1::2]
        if self.normalization == "orthonormal":
            a, d = (e + o) * H, (e - o) * H
        else:
            a = (e + o) * 0.5
            d = (a - o) / level_factor(half) if self.normalized else a - o
        lines[:count, :half] = a.astype(F32)
        lines[:count, half:length] = d.astype(F32)
        return True

    def _inverse(self, lines, length, count):
        m = 2 * length
        if m > self.n:
            return False
        half = m // 2
        a = lines[:count, :half].astype(np.float64)
        d = lines[:count, half:m]
        if self.normalized:
            d = (level_factor(half) * d.astype(np.float64)).astype(F32)
        d = d.astype(np.float64)
        factor = H if self.normalization == "orthonormal" else 1.0
        lines[:count, 1:m:2] = ((a - d) * factor).astype(F32)
        lines[:count, 0:m:2] = ((d + a) * factor).astype(F32)
        return True

    def forward_rows(self, count):
        if self._forward(self.x, self.row_length, count):
            self.row_length //= 2

    def forward_columns(self, count):
        if self._forward(self.x.T, self.column_length, count):
            self.column_length //= 2

    def inverse_rows(self, count):
        if self._inverse(self.x, self.row_length, count):
            self.row_length *= 2

    def inverse_columns(self, count):
        if self._inverse(self.x.T, self.column_length, count):
            self.column_length *= 2

    # The drivers, with lengths L (forward) and inverse lengths 2L.
    def decompose(self):
        n = self.n
        if self.standard:
            while self.row_length >= 2:
                self.forward_rows(n)
            while self.column_length >= 2:
                self.forward_columns(n)
        else:
            while self.row_length >= 2 and self.column_length >= 2:
                self.forward_rows(self.row_length)
                self.forward_columns(self.column_length)

    def reconstruct(self):
        n = self.n
        if self.standard:
            while 2 * self.column_length <= n:
                self.inverse_columns(n)
            while 2 * self.row_length <= n:
                self.inverse_rows(n)
        else:
            while 2 * self.row_length <= n and 2 * self.column_length <= n:
                self.inverse_columns(2 * self.column_length)
                self.inverse_rows(2 * self.row_length)

    def decompose_step(self):
        n = self.n
        if self.standard:
            if self.row_length >= 2:
                self.forward_rows(n)
            else:
                self.forward_columns(n)
        elif self.row_length == self.column_length:
            self.forward_rows(self.row_length)
        else:
            self.forward_columns(self.column_length)

    def reconstruct_step(self):
        n = self.n
        if self.standard:
            if 2 * self.column_length <= n:
                self.inverse_columns(n)
            else:
                self.inverse_rows(n)
        elif self.column_length == self.row_length:
            self.inverse_columns(2 * self.column_length)
        else:
            self.inverse_rows(2 * self.row_length)

    def key(self, char):
        if char == "F":
            self.decompose()
        elif char == "f":
            self.decompose_step()
        elif char == "R":
            self.reconstruct()
        elif char == "r":
            self.reconstruct_step()
        elif char in "Nn":
            # Between plain and normalized; from orthonormal to plain.
            self.normalized = self.normalization == "plain"
        elif char == "O":
            self.normalization = "orthonormal"
        elif char in "Ss":
            self.standard = not self.standard
        elif char == "B":
            self.scale = F32(self.scale + F32(1.0))
        elif char == "b" and self.scale > 1.0:
            self.scale = F32(self.scale - F32(1.0))

    def screen(self):
        """The grey levels the picture shows: coefficient × scale in float, clamped to [0, 1],
        to the nearest of 256 levels."""
        shown = np.clip(self.x * self.scale, F32(0.0), F32(1.0))
        return np.rint(shown * F32(255.0)).astype(np.uint8)
