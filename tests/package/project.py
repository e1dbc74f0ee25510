"""Where the tests find the project, and the pieces of its README and manual page they check."""

import os
import re
import shutil
import subprocess

SOURCE = os.path.abspath(os.environ.get("ORLINDE_SOURCE_DIR",
                                        os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.path.abspath(os.environ.get("ORLINDE_BUILD_DIR", os.path.join(SOURCE, "build")))
README = os.path.join(SOURCE, "README.md")
MANUAL = os.path.join(SOURCE, "man", "orlinde.1")
SAMPLES = ("scene.tga", "testcard.tga")

# The README's conversion lines read `photo.jpg` and write `photo.tga`.
PHOTO_IN, PHOTO_OUT = "photo.jpg", "photo.tga"


def tool(name, package):
    path = shutil.which(name)
    if path is None:
        raise AssertionError(f"{name} is needed for this test: install the Debian package {package}")
    return path


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def conversion_lines():
    """{heading: command line} for every fenced sh block under the README's heading
    "## Your own picture", each block under a "### With ..." heading of its own."""
    text = read(README)
    section = re.search(r"^## Your own picture\n(.*?)(?=^## )", text, re.M | re.S)
    if section is None:
        raise AssertionError("README has no section '## Your own picture'")
    found = {}
    for heading, body in re.findall(r"^### ([^\n]+)\n(.*?)(?=^### |\Z)", section.group(1),
                                    re.M | re.S):
        blocks = re.findall(r"^```sh\n(.*?)^```$", body, re.M | re.S)
        if len(blocks) != 1 or blocks[0].count("\n") != 1:
            raise AssertionError(f"'{heading}' needs exactly one sh block of one line")
        found[heading] = blocks[0].strip()
    return found


def render_manual(device="ascii"):
    """(status, text, warnings) of the manual page as man shows it on a terminal device,
    without bold or underline."""
    run = subprocess.run([tool("groff", "groff-base"), "-man", "-ww", f"-T{device}",
                          "-P-cbu", MANUAL], stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, check=False)
    return run.returncode, run.stdout.decode(), run.stderr.decode()
