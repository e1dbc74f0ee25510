"""The transform of a small matrix, modelled apart from the page's own code on the transform's
model (haar_model.py), for the page's tests.

  lab_model.py KEYS < MATRIX
      the matrix (rows on lines, numbers between blanks) after each key, as 32-bit floats, one
      array after another
"""

import sys

import numpy as np

from haar_model import Model


def main():
    keys = sys.argv[1]
    rows = [line.split() for line in sys.stdin.read().splitlines() if line.strip()]
    model = Model(np.array(rows, dtype=np.float64).astype(np.float32))
    for key in keys:
        model.key(key)
        sys.stdout.buffer.write(model.x.astype("<f4").tobytes())


if __name__ == "__main__":
    main()
