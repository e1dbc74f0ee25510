#!/usr/bin/env python3
"""Times fullPair (decomposition then reconstruction, plain) in two builds of orlinde_bench,
run alternately, and the memory bound in the second.

Usage: before_after.py OLD_orlinde_bench NEW_orlinde_bench [--rounds R] [--min-time SECONDS]

The two programs take turns, R rounds each, so that whatever else the machine does falls on both
alike; each figure is the median over the rounds of the CPU time of one pair. Prints, per
arrangement and N, the old and the new time, new over old, the kernel variant the new build chose,
and new over the streaming bound measured in the same rounds (as many in-place streaming passes
over the same array as the pair makes: see streamingBound in TransformBench.cpp); then the same
for every kernel variant of the new build that this processor runs.
"""

import argparse
import json
import statistics
import subprocess

FILTER = "^(fullPair/(non)?standard_plain|fullPairWith/[^/]*/(non)?standard|streamingBound/(non)?standard)/(512|4096)$"
UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def run(bench, min_time):
    """{run name: (CPU seconds, label)} for one run of the filtered benchmarks."""
    output = subprocess.run([bench, f"--benchmark_filter={FILTER}", "--benchmark_format=json",
                             f"--benchmark_min_time={min_time}"],
                            check=True, capture_output=True, text=True).stdout
    return {entry["run_name"]: (entry["cpu_time"] * UNITS[entry["time_unit"]], entry.get("label", ""))
            for entry in json.loads(output)["benchmarks"]}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.3)
    args = parser.parse_args()

    rounds = {"old": [], "new": []}
    for _ in range(args.rounds):
        rounds["old"].append(run(args.old, args.min_time))
        rounds["new"].append(run(args.new, args.min_time))

    def median(side, name):
        return statistics.median(r[name][0] for r in rounds[side])

    print(f"{'arrangement':<12} {'N':>5} {'old ms':>9} {'new ms':>9} {'new/old':>8} {'variant':>10} "
          f"{'bound ms':>9} {'new/bound':>9}")
    for arrangement in ("nonstandard", "standard"):
        for n in (512, 4096):
            pair = f"fullPair/{arrangement}_plain/{n}"
            bound = f"streamingBound/{arrangement}/{n}"
            old, new, floor = median("old", pair), median("new", pair), median("new", bound)
            variant = rounds["new"][0][pair][1]
            print(f"{arrangement:<12} {n:>5} {old * 1e3:>9.3f} {new * 1e3:>9.3f} {new / old:>8.3f} "
                  f"{variant:>10} {floor * 1e3:>9.3f} {new / floor:>9.2f}")
    print()
    variants = sorted({name.split("/")[1] for name in rounds["new"][0] if name.startswith("fullPairWith/")})
    print(f"{'variant':<10} {'arrangement':<12} {'N':>5} {'ms':>9} {'/old':>8} {'/bound':>8}")
    for variant in variants:
        for arrangement in ("nonstandard", "standard"):
            for n in (512, 4096):
                time = median("new", f"fullPairWith/{variant}/{arrangement}/{n}")
                old = median("old", f"fullPair/{arrangement}_plain/{n}")
                floor = median("new", f"streamingBound/{arrangement}/{n}")
                print(f"{variant:<10} {arrangement:<12} {n:>5} {time * 1e3:>9.3f} {time / old:>8.3f} "
                      f"{time / floor:>8.2f}")
    print(f"medians of {args.rounds} alternate rounds, CPU time per pair")


if __name__ == "__main__":
    main()
