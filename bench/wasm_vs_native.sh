#!/usr/bin/env bash
# F then R at N = 512 compiled to WebAssembly and run by node, against the same code built
# natively: builds orlinde_pair_timer both ways (build-wasm-bench with emscripten, as the page is
# built, and build-bench), runs the two alternately ROUNDS times (default 5) and prints, per
# arrangement, each side's median time per pair and WebAssembly's over native's. Fails when the two
# builds' arrays differ in a single byte (PairTimer's digest). BEFORE, another build's
# orlinde_pair_timer.js (an older commit's, say), runs in the same rounds and gets a column of its own.
#
#   bash bench/wasm_vs_native.sh [ROUNDS] [BEFORE]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
before=${2:-}

# Debian's emscripten finds its JavaScript optimizer's parser (node-acorn) only through NODE_PATH.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S . -B build-wasm-bench -DCMAKE_BUILD_TYPE=Release -DORLINDE_BUILD_APP=OFF \
  -DORLINDE_BUILD_TESTS=OFF -DORLINDE_BUILD_BENCH=ON >/dev/null
cmake --build build-wasm-bench -j2 --target orlinde_pair_timer >/dev/null
cmake -S . -B build-bench -DORLINDE_BUILD_APP=OFF -DORLINDE_BUILD_TESTS=OFF -DORLINDE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target orlinde_pair_timer >/dev/null

results=build-bench/wasm_vs_native.txt
for _ in $(seq "$rounds"); do
  build-bench/bench/orlinde_pair_timer | sed 's/^/native /'
  node build-wasm-bench/bench/orlinde_pair_timer.js | sed 's/^/wasm /'
  if [ -n "$before" ]; then node "$before" | sed 's/^/before /'; fi
done >"$results"
/usr/bin/python3 - "$rounds" "$results" <<'PY'
import statistics, sys
times, variants, digests = {}, {}, {}
for line in open(sys.argv[2]):
    side, arrangement, ms, variant, digest = line.split()
    times.setdefault((side, arrangement), []).append(float(ms))
    variants[side] = variant
    if side != "before":
        digests.setdefault(arrangement, set()).add(digest)
sides = [side for side in ("before", "wasm") if (side, "standard") in times]
print(f"{'arrangement':<12} {'native ms':>10}" + "".join(f" {side + ' ms':>10} {side + '/native':>14}" for side in sides))
for arrangement in ("nonstandard", "standard"):
    native = statistics.median(times[("native", arrangement)])
    row = f"{arrangement:<12} {native:>10.3f}"
    for side in sides:
        median = statistics.median(times[(side, arrangement)])
        row += f" {median:>10.3f} {median / native:>14.2f}"
    print(row)
print(f"medians of {sys.argv[1]} alternate rounds; native kernels {variants['native']}, "
      f"WebAssembly kernels {variants['wasm']}")
different = sorted(arrangement for arrangement, seen in digests.items() if len(seen) > 1)
if different:
    sys.exit(f"the WebAssembly kernels' bytes differ from native in the {', '.join(different)} arrangement")
PY
