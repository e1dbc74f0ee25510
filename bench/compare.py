#!/usr/bin/env python3
"""Times a full Haar decomposition plus reconstruction by orlinde_bench and by PyWavelets.

Usage: PYTHONPATH=tests/app compare.py PATH_TO_orlinde_bench [--repetitions R] [--min-time SECONDS]

Both sides work on N x N float32 grey pictures as the viewer loads them (bytes times the reader's
factor; the tests' generators: makeImage in tests/TestSupport.h for ours, harness.noise here).
The Haar passes have no branches on the values and grey values make no subnormal coefficients,
so the time depends on N alone. Both are timed in the same run, as CPU time of the process (so that other load on the machine, which stalls both
alike, does not count as our time or theirs). Non-standard: pywt.wavedec2 then pywt.waverec2. Standard: pywt.wavedec along the rows,
then along the columns, and pywt.waverec back in the reverse order. Prints our time over theirs per
N and arrangement, and how our time per coefficient grows from the smallest to the largest N.
"""

import argparse
import json
import statistics
import subprocess
import time

import numpy as np
import pywt

from harness import K, noise

SIZES = (512, 1024, 2048, 4096)


def levels(n):
    return n.bit_length() - 1


def non_standard(x):
    coefficients = pywt.wavedec2(x, "haar", mode="periodization", level=levels(x.shape[0]))
    return pywt.waverec2(coefficients, "haar", mode="periodization")


def standard(x):
    level = levels(x.shape[0])
    rows = np.concatenate(pywt.wavedec(x, "haar", mode="periodization", level=level, axis=1), axis=1)
    columns = pywt.wavedec(rows, "haar", mode="periodization", level=level, axis=0)
    rows = pywt.waverec(columns, "haar", mode="periodization", axis=0)
    bands = np.split(rows, [1] + [1 << k for k in range(1, level)], axis=1)
    return pywt.waverec(bands, "haar", mode="periodization", axis=1)


def time_pywt(function, x, repetitions, min_time):
    """Median over repetitions of the mean CPU time of one call, each repetition at least min_time."""
    function(x)
    means = []
    for _ in range(repetitions):
        calls = 0
        start = time.process_time()
        while True:
            function(x)
            calls += 1
            elapsed = time.process_time() - start
            if elapsed >= min_time:
                break
        means.append(elapsed / calls)
    return statistics.median(means)


def time_ours(bench, repetitions, min_time):
    """Median CPU time in seconds of fullPair, plain, per (arrangement, N)."""
    output = subprocess.run(
        [bench, "--benchmark_filter=^fullPair/(non)?standard_plain/", "--benchmark_format=json",
         f"--benchmark_repetitions={repetitions}", f"--benchmark_min_time={min_time}",
         "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True).stdout
    units = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    times = {}
    for entry in json.loads(output)["benchmarks"]:
        if entry.get("aggregate_name") != "median":
            continue
        _, arrangement, n = entry["run_name"].split("/")
        times[(arrangement.split("_")[0], int(n))] = entry["cpu_time"] * units[entry["time_unit"]]
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bench", help="path of orlinde_bench")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.5)
    args = parser.parse_args()

    ours = time_ours(args.bench, args.repetitions, args.min_time)
    print(f"{'arrangement':<12} {'N':>5} {'ours ms':>10} {'pywt ms':>10} {'ratio':>7} {'ns/coef':>8}")
    for arrangement, function in (("nonstandard", non_standard), ("standard", standard)):
        for n in SIZES:
            theirs = time_pywt(function, noise(n, n).astype(np.float32) * K, args.repetitions, args.min_time)
            mine = ours[(arrangement, n)]
            print(f"{arrangement:<12} {n:>5} {mine * 1e3:>10.3f} {theirs * 1e3:>10.3f} "
                  f"{mine / theirs:>7.3f} {mine / (n * n) * 1e9:>8.3f}")
        growth = (ours[(arrangement, SIZES[-1])] / SIZES[-1] ** 2) / (ours[(arrangement, SIZES[0])] / SIZES[0] ** 2)
        print(f"{arrangement:<12} time per coefficient {SIZES[0]} -> {SIZES[-1]}: x{growth:.2f}")


if __name__ == "__main__":
    main()
