#!/usr/bin/python3
"""Seeded mutation testing for Orlinde's C++: does the suite notice a small wrong change?

One mutant at a time: a single operator, literal or rounding call in one source file is changed,
the test targets are rebuilt in a build directory of their own (only the changed file recompiles),
the chosen tests run, and the file is put back (also on Ctrl-C, SIGTERM or any error). A mutant
is killed when a test fails, survives when all pass, and counts as killed on timeout; one that
does not compile is left out of the score, killed / (killed + survived).

    scripts/mutate.py -n 40 --seed 1 --targets tga_tests --tests '^tga\\.' tga/TGAReadWrite.cpp

What it changes (comments, string and character literals and preprocessor lines are left alone;
operators are only taken with a blank on each side, which keeps template brackets, shifts, unary
signs and ++/-- out):
    comparisons   <  <=  >  >=  ==  !=   each to its boundary twin or its negation
    logic         &&  ||                 each to the other
    arithmetic    +  -  +=  -=           each to the other
    off by one    a decimal integer literal k without suffix   to k + 1 and k - 1
    rounding      floor ceil round trunc lround llround lrint rint   to a neighbour
                  static_cast<float>(x) to (x) where it is an operand of an arithmetic or
                  comparison operator, so that the expression keeps double precision
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

OPERATORS = {"<": ["<=", ">="], "<=": ["<", ">"], ">": [">=", "<="], ">=": [">", "<"],
             "==": ["!="], "!=": ["=="], "&&": ["||"], "||": ["&&"],
             "+": ["-"], "-": ["+"], "+=": ["-="], "-=": ["+="]}
ROUNDING = {"floor": "ceil", "ceil": "floor", "round": "trunc", "trunc": "round",
            "lround": "lrint", "llround": "llrint", "lrint": "lround", "rint": "round"}

OPERATOR_RE = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||\+=|-=|<|>|\+|-)(?= )")
INTEGER_RE = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
ROUNDING_RE = re.compile(r"\b(" + "|".join(ROUNDING) + r")(?=\s*\()")
CAST = "static_cast<float>"


def code_only(text):
    """text with comments, string and character literals and preprocessor lines blanked out
    (newlines kept), so that offsets still match and nothing inside them looks like code."""
    out, i, n = list(text), 0, len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            end = i
            while end < n and (text[end] != "\n" or text[end - 1] == "\\"):
                end += 1
            blank(i, end)
            i = end
            continue
        if c == "\n":
            line_start, i = True, i + 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            delimiter = text[i + 2:text.find("(", i)]
            end = text.find(")" + delimiter + '"', i) + len(delimiter) + 2
        elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isdigit()):
            end = i + 1
            while end < n and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            end += 1
        else:
            i += 1
            continue
        blank(i, end)
        i = end
    return "".join(out)


def closing_paren(code, start):
    depth = 0
    for k in range(start, len(code)):
        depth += {"(": 1, ")": -1}.get(code[k], 0)
        if depth == 0:
            return k
    return -1


def mutants_of(path):
    """Every mutant of one file as (path, offset, old text, new text, description)."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    code = code_only(text)
    found = []
    for m in OPERATOR_RE.finditer(code):
        for new in OPERATORS[m.group(1)]:
            found.append((m.start(), m.group(1), new, f"{m.group(1)} -> {new}"))
    for m in INTEGER_RE.finditer(code):
        k = int(m.group(1))
        for new in (k + 1, k - 1) if k > 0 else (k + 1,):
            found.append((m.start(), m.group(1), str(new), f"{k} -> {new}"))
    for m in ROUNDING_RE.finditer(code):
        new = ROUNDING[m.group(1)]
        found.append((m.start(), m.group(1), new, f"{m.group(1)} -> {new}"))
    for m in re.finditer(re.escape(CAST) + r"\s*\(", code):
        close = closing_paren(code, m.end() - 1)
        before = code[:m.start()].rstrip()[-1:]
        after = code[close + 1:].lstrip()[:1]
        if close > 0 and (before and before in "+-*/<>" or after and after in "+-*/<>"):
            # Only the cast goes; its parentheses keep the operand one expression.
            found.append((m.start(), CAST, "", "static_cast<float> removed"))
    return [(path, offset, old, new, what) for offset, old, new, what in sorted(found)]


def where(mutant):
    """file:line:column of a mutant."""
    with open(mutant[0], encoding="utf-8") as f:
        before = f.read(mutant[1])
    line, column = before.count("\n") + 1, len(before) - before.rfind("\n")
    return f"{os.path.relpath(mutant[0])}:{line}:{column}"


class Mutated:
    """Writes one mutant into its file and always puts the original back."""

    def __init__(self, mutant):
        self.path, offset, old, new, _ = mutant
        with open(self.path, encoding="utf-8") as f:
            self.original = f.read()
        assert self.original[offset:offset + len(old)] == old, "the file changed under the run"
        self.text = self.original[:offset] + new + self.original[offset + len(old):]

    def __enter__(self):
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(self.text)
        return self

    def __exit__(self, *exc):
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(self.original)


def run(command, timeout=None, quiet=True):
    """Runs command in a session of its own, so that a timeout ends its whole process tree;
    returns its exit status, or None on timeout."""
    process = subprocess.Popen(command, start_new_session=True,
                               stdout=subprocess.DEVNULL if quiet else None,
                               stderr=subprocess.DEVNULL if quiet else None)
    try:
        return process.wait(timeout=timeout)
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        if isinstance(sys.exc_info()[1], subprocess.TimeoutExpired):
            return None
        raise


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("files", nargs="+", help="C++ sources to mutate")
    parser.add_argument("-n", "--count", default="40", help="how many mutants, or 'all'")
    parser.add_argument("--seed", type=int, default=1, help="chooses the sample of mutants")
    parser.add_argument("--tests", required=True, help="ctest -R regex of the tests to run")
    parser.add_argument("--exclude", help="ctest -E regex of tests to leave out")
    parser.add_argument("--targets", nargs="+", default=["all"], help="build targets")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--timeout", type=float,
                        help="seconds per mutant's tests (default: 3 x the unmutated run + 10)")
    parser.add_argument("--list", action="store_true", help="only list the chosen mutants")
    args = parser.parse_args()

    outside = [f for f in args.files if not os.path.abspath(f).startswith(ROOT + os.sep)]
    if outside:
        sys.exit(f"not in the source tree {ROOT}: {' '.join(outside)}")
    everything = [m for path in args.files for m in mutants_of(path)]
    chosen = everything if args.count == "all" else \
        random.Random(args.seed).sample(everything, min(int(args.count), len(everything)))
    # In file order, so that consecutive mutants mostly recompile the same file.
    chosen.sort(key=lambda m: (m[0], m[1], m[3]))
    print(f"{len(chosen)} of {len(everything)} mutants, seed {args.seed}", flush=True)
    if args.list:
        for m in chosen:
            print(f"{where(m)}  {m[4]}")
        return 0

    build_dir = args.build_dir
    cache = os.path.join(build_dir, "CMakeCache.txt")
    if os.path.exists(cache):
        with open(cache, encoding="utf-8") as f:
            if f"CMAKE_HOME_DIRECTORY:INTERNAL={ROOT}\n" not in f.read():
                sys.exit(f"{build_dir} builds another source tree than {ROOT}")
    else:
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        if run(["cmake", "-S", ROOT, "-B", build_dir, "-DORLINDE_BUILD_TESTS=ON"] + generator,
               quiet=False) != 0:
            return 2
    build = ["cmake", "--build", build_dir, "--target"] + args.targets
    test = ["ctest", "--test-dir", build_dir, "-R", args.tests, "--stop-on-failure"]
    if args.exclude:
        test += ["-E", args.exclude]

    # The unmutated code must build and pass, or every mutant would look killed.
    if run(build, quiet=False) != 0:
        return 2
    start = time.monotonic()
    if run(test + ["--output-on-failure"], quiet=False) != 0:
        print("the tests fail without any mutant", file=sys.stderr)
        return 2
    timeout = args.timeout or 3 * (time.monotonic() - start) + 10

    # SIGTERM and SIGHUP end the run as Ctrl-C does, through the file's restore.
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, signal.default_int_handler)
    counts = {"killed": 0, "survived": 0, "timeout": 0, "no-build": 0}
    width = max(len(where(m)) for m in chosen)
    print(f"{'where':<{width}}  {'mutation':<28} result", flush=True)
    for mutant in chosen:
        with Mutated(mutant):
            if run(build) != 0:
                result = "no-build"
            else:
                status = run(test, timeout=timeout)
                result = "timeout" if status is None else "survived" if status == 0 else "killed"
        counts[result] += 1
        print(f"{where(mutant):<{width}}  {mutant[4]:<28} {result}", flush=True)
    # Leave the build directory matching the restored sources.
    run(build)

    detected = counts["killed"] + counts["timeout"]
    scored = detected + counts["survived"]
    score = f"{100 * detected / scored:.0f} %" if scored else "n/a"
    print(f"score {score}: {detected} killed (of which {counts['timeout']} by timeout), "
          f"{counts['survived']} survived, {counts['no-build']} did not build")
    return 0


if __name__ == "__main__":
    sys.exit(main())
