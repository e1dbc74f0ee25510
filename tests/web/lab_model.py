"""The pass log the page keeps, modelled apart from the page's own code on the transform's model
(haar_model.py), and the transform of a small matrix, for the page's tests.

  lab_model.py levels KEYS
      one JSON list for a 512 × 512 array: after each key, [row levels, column levels, quiet],
      quiet being whether #warning should be empty
  lab_model.py numbers KEYS < MATRIX
      the matrix (rows on lines, numbers between blanks) after each key, as 32-bit floats, one
      array after another
"""

import copy
import json
import sys

import numpy as np

from haar_model import Model


class Logged(Model):
    """The model with the log of the passes in effect: a forward pass adds one, an inverse pass
    undoes the latest when it matches it in direction, length, count and normalization (which
    does not matter at length 2, where the factor is 1); any other inverse pass breaks the log."""

    def __init__(self, image):
        super().__init__(image)
        self.passes = []
        self.broken = False

    def _record(self, direction, length, count, forward):
        entry = (direction, length, count, self.normalized and length > 2)
        if forward:
            self.passes.append(entry)
        elif self.passes and self.passes[-1] == entry:
            self.passes.pop()
        else:
            self.broken = True

    def _logged(self, direction, count, forward, run):
        attribute = f"{direction}_length"
        before = getattr(self, attribute)
        run(count)
        if getattr(self, attribute) != before:
            self._record(direction, before if forward else 2 * before, count, forward)

    def forward_rows(self, count):
        self._logged("row", count, True, super().forward_rows)

    def forward_columns(self, count):
        self._logged("column", count, True, super().forward_columns)

    def inverse_rows(self, count):
        self._logged("row", count, False, super().inverse_rows)

    def inverse_columns(self, count):
        self._logged("column", count, False, super().inverse_columns)

    def harmless(self, key):
        trial = copy.deepcopy(self)
        trial.key(key)
        return not trial.broken

    def levels(self):
        return [int(np.log2(self.n // self.row_length)), int(np.log2(self.n // self.column_length)),
                not self.broken and self.harmless("r") and self.harmless("R")]


def main():
    what, keys = sys.argv[1:3]
    if what == "levels":
        model = Logged(np.zeros((512, 512), np.float32))
        after = []
        for key in keys:
            model.key(key)
            after.append(model.levels())
        print(json.dumps(after))
    else:
        rows = [line.split() for line in sys.stdin.read().splitlines() if line.strip()]
        model = Logged(np.array(rows, dtype=np.float64).astype(np.float32))
        for key in keys:
            model.key(key)
            sys.stdout.buffer.write(model.x.astype("<f4").tobytes())


if __name__ == "__main__":
    main()
