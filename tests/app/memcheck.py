"""Runs the binary under valgrind's memcheck and judges the report.

A run must leave no unsuppressed error at all: no invalid read or write, no use of uninitialised
values, no block definitely lost. The suppressions in valgrind.supp cover only the loader and
Mesa. Beyond that, no block that orlinde's own code allocated may be left at exit, not even
reachable (the program ends through exit(), which destroys the globals, and they free their
arrays), and orlinde's own code allocates only while it starts: the blocks it allocates,
counted by valgrind's allocation tree, are as many after a whole session as after a start.
"""

import os
import re
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
SUPPRESSIONS = os.path.join(HERE, "valgrind.supp")
# Software rendering without a JIT: softpipe interprets its shaders, so memcheck sees plain
# code, and runs several times faster under it than llvmpipe.
GL_ENV = {"LIBGL_ALWAYS_SOFTWARE": "1", "GALLIUM_DRIVER": "softpipe"}
ERROR_EXIT = 99
# Leak kinds that are not errors by themselves; every other kind in the report is one.
LEAK_KINDS_REPORTED_ONLY = {"Leak_StillReachable", "Leak_IndirectlyLost", "Leak_PossiblyLost"}
# The object that holds the allocators memcheck puts in place of malloc, new and friends.
ALLOCATOR_OBJECT = "vgpreload_memcheck"
ALLOCATOR = re.compile(r"(malloc|calloc|realloc|operator new(\[\])?)\b")


# Where an uninitialised value came from: it adds a sixth to a third to memcheck's time and finds
# no error more, so only the rerun of a failed test asks for it (ORLINDE_MEMCHECK_ORIGINS=1, see
# tests/app/CMakeLists.txt).
ORIGINS = os.environ.get("ORLINDE_MEMCHECK_ORIGINS") == "1"


def command(prefix):
    """The valgrind command line that writes its report to prefix.xml and its allocation tree
    to prefix.kcg."""
    return ["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=all",
            "--errors-for-leak-kinds=definite", f"--error-exitcode={ERROR_EXIT}",
            f"--track-origins={'yes' if ORIGINS else 'no'}", "--keep-debuginfo=yes",
            "--num-callers=40",
            f"--suppressions={SUPPRESSIONS}", "--xml=yes", f"--xml-file={prefix}.xml",
            "--xtree-memory=full", f"--xtree-memory-file={prefix}.kcg"]


class Record:
    def __init__(self, node):
        self.kind = node.findtext("kind")
        self.what = node.findtext("what") or node.findtext("xwhat/text")
        self.frames = [(f.findtext("fn") or "???", f.findtext("obj") or "",
                        f.findtext("file") or "", f.findtext("line") or "")
                       for f in node.findall("stack[1]/frame")]

    def __str__(self):
        return "\n".join([f"{self.kind}: {self.what}"] + [
            f"    {fn} ({f'{file}:{line}' if file else os.path.basename(obj) or '?'})"
            for fn, obj, file, line in self.frames])


def problems(prefix, binary):
    """What is wrong in the report prefix.xml of a run of binary, as text; "" when nothing."""
    records = [Record(e) for e in ET.parse(prefix + ".xml").getroot().findall("error")]
    errors = [r for r in records if r.kind not in LEAK_KINDS_REPORTED_ONLY]

    def kept_by_us(record):
        depth = 0
        while depth < len(record.frames) and ALLOCATOR_OBJECT in record.frames[depth][1]:
            depth += 1
        return any(obj == binary for _, obj, _, _ in record.frames[:depth + 1])

    kept = [r for r in records if r.kind.startswith("Leak_") and kept_by_us(r)]
    found = [(title, rs) for title, rs in (("memcheck errors", errors),
                                           ("blocks orlinde allocated and did not free", kept))
             if rs]
    return "\n".join(f"{title} ({prefix}.xml):\n" + "\n".join(map(str, rs))
                     for title, rs in found)


def own_allocations(prefix, source):
    """How many blocks functions compiled from the source folder asked an allocator for, by the
    allocation tree prefix.kcg. In its callgrind format the allocator's own frames are left
    out: a block counts as the self cost of the function that called the allocator, on a cost
    line of its fn= block (position, then curB curBk totB totBk …), where a line that follows
    calls= is instead a callee's inclusive cost."""
    files = {}
    current_file, count, after_call = "", 0, False
    with open(prefix + ".kcg") as f:
        for line in f:
            if line.startswith(("fl=", "fi=", "fe=", "cfi=", "cfl=")):
                key, _, value = line.rstrip("\n").partition("=")
                m = re.match(r"(\(\d+\))(?: (.*))?$", value)
                if m and m.group(2):
                    files[m.group(1)] = m.group(2)
                name = files.get(m.group(1), "") if m else value
                if not key.startswith("c"):
                    current_file = name
            elif line.startswith("calls="):
                after_call = True
            elif line[:1].isdigit():
                fields = line.split()
                if not after_call and len(fields) > 4 and \
                        current_file.startswith(source + os.sep):
                    count += int(fields[4])
                after_call = False
    return count
