#!/usr/bin/env python3
"""Disassembles the wavelet library and fails if an instruction beyond x86-64's baseline (AVX,
AVX-512 and its mask registers, the bit-manipulation instructions of x86-64-v3) lies outside the
wide kernel variants, the only functions compiled for the wider sets. Code shared between the
variants and built for a wider set (an inline helper instantiated inside a wide variant that the
linker then shares with the baseline, say) would take those instructions to processors that lack
them, where nothing else in the suite would notice.

Usage: test_baseline_code.py OBJDUMP LIBRARY
"""

import re
import subprocess
import sys
import unittest

OBJDUMP = LIBRARY = None

FUNCTION = re.compile(r"^[0-9a-f]+ <(.*)>:$")
WIDE_VARIANT = re.compile(r"V[34]\(")
BEYOND_BASELINE = re.compile(
    r"^\s*[0-9a-f]+:\s+(v\w+|k\w+|andn|bextr|blsi|blsmsk|blsr|bzhi|lzcnt|tzcnt|movbe|pdep|pext|rorx|sarx|shlx|"
    r"shrx|mulx)\b")


class BaselineCode(unittest.TestCase):
    def test_wide_instructions_only_in_wide_variants(self):
        listing = subprocess.run([OBJDUMP, "-d", "-C", "--no-show-raw-insn", LIBRARY],
                                 check=True, capture_output=True, text=True).stdout
        function, wide, strays = None, 0, []
        for line in listing.splitlines():
            header = FUNCTION.match(line)
            if header:
                function = header.group(1)
            elif BEYOND_BASELINE.match(line):
                if WIDE_VARIANT.search(function):
                    wide += 1
                else:
                    strays.append(f"{function}: {line.strip()}")
        self.assertGreater(wide, 0, "no wide variant found: the pattern no longer names them")
        self.assertEqual(strays, [])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    OBJDUMP, LIBRARY = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
