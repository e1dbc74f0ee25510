"""The manual page renders without a warning and says what the program does: every message
that the program can print, the status line it starts with, and the README's conversion lines,
character for character."""

import os
import re
import subprocess
import unittest

import harness
from project import MANUAL, SOURCE, conversion_lines, read, render_manual, tool

MESSAGES = (harness.NO_IMAGE, harness.CANNOT_READ, harness.CANNOT_USE, harness.IMPROPER)


def section(text, name):
    match = re.search(rf"^{name}\n(.*?)(?=^[A-Z][A-Z ]+\n|\Z)", text, re.M | re.S)
    return match.group(1) if match else ""


class Manual(unittest.TestCase):
    def test_renders_without_warnings_on_every_device(self):
        for device in ("ascii", "utf8"):
            with self.subTest(device=device):
                status, text, warnings = render_manual(device)
                self.assertEqual((status, warnings), (0, ""))
                self.assertGreater(len(text), 1000)
        lint = subprocess.run([tool("groff", "groff-base"), "-man", "-ww", "-z", MANUAL],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
        self.assertEqual((lint.returncode, lint.stderr.decode()), (0, ""))

    def test_has_the_sections_a_reader_looks_for(self):
        text = render_manual()[1]
        for name in ("NAME", "SYNOPSIS", "DESCRIPTION", "KEYS", "STATUS LINE", "DIAGNOSTICS",
                     "EXIT STATUS", "FILES", "EXAMPLES", "SEE ALSO"):
            with self.subTest(name):
                self.assertTrue(section(text, name).strip(), f"no section {name}")

    def test_every_message_is_explained_as_a_heading_of_its_own(self):
        diagnostics = section(render_manual()[1], "DIAGNOSTICS")
        for message in MESSAGES:
            with self.subTest(message):
                # The reader's two messages differ only in the final full stop, so only whole
                # lines count.
                self.assertIn("\n       " + message + "\n", diagnostics)

    def test_status_line_is_the_one_the_program_formats(self):
        first = harness.FIRST_STATUS_LINE
        self.assertIn("       " + first + "\n", section(render_manual()[1], "STATUS LINE"))
        self.assertIn("    " + first + "\n", read(os.path.join(SOURCE, "README.md")))

    def test_conversion_lines_are_the_readmes(self):
        examples = section(render_manual()[1], "EXAMPLES")
        lines = conversion_lines()
        self.assertEqual(len(lines), 3)
        for heading, line in lines.items():
            with self.subTest(heading):
                self.assertIn("       " + line + "\n", examples)


if __name__ == "__main__":
    unittest.main()
