"""The manual page renders without a warning and says what the program does: every message
that the program can print, the status line as the program formats it, and the README's
conversion lines, character for character."""

import glob
import os
import re
import subprocess
import unittest

from project import MANUAL, SOURCE, conversion_lines, read, render_manual, tool


def program_messages():
    """Every message text that the viewer and the reader throw, from their sources."""
    messages = set()
    for path in glob.glob(os.path.join(SOURCE, "app", "*.cpp")) + \
            glob.glob(os.path.join(SOURCE, "tga", "*.cpp")):
        messages.update(re.findall(r'"((?:Orlinde|TGAReadWrite): [^"]*)"', read(path)))
    return messages


def status_line(normalization, arrangement, scale):
    source = read(os.path.join(SOURCE, "app", "Viewer.cpp"))
    fmt = re.search(r'"(Time/Wavelet Domain[^"]*)"', source).group(1)
    return fmt.replace("%s", "{}").replace("%f", "{:f}").format(normalization, arrangement, scale)


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
        messages = program_messages()
        self.assertEqual(len(messages), 4, messages)
        source = set(read(MANUAL).splitlines())
        diagnostics = section(render_manual()[1], "DIAGNOSTICS")
        for message in sorted(messages):
            with self.subTest(message):
                # The reader's two messages differ only in the final full stop, so only whole
                # lines count.
                self.assertTrue(".B " + message in source, f"no line '.B {message}'")
                self.assertIn("\n       " + message + "\n", diagnostics)

    def test_status_line_is_the_one_the_program_formats(self):
        first = status_line("Un-Normalized", "Non-Standard", 1.0)
        self.assertEqual(len(first), 86)
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
