#!/bin/sh
# Builds the fuzz targets through CMake into BUILD_DIR (clang, ORLINDE_BUILD_FUZZ) and fuzzes the
# TGA reader and the wavelet coder's decoder with libFuzzer. Two modes:
#
#   fuzz/run.sh BUILD_DIR
#       The deterministic check that scripts/test.sh runs: CTest's fuzz.tga (100000 inputs) and
#       fuzz.codec (4000 inputs), each from seed 1 on a fresh copy of its seeds in
#       BUILD_DIR/fuzz/corpus and BUILD_DIR/fuzz/codec_corpus. Takes a few minutes.
#
#   fuzz/run.sh --long BUILD_DIR [SECONDS]
#       Open-ended search of the TGA reader, ten minutes unless SECONDS says otherwise, on both cores: one worker
#       mutates small inputs (up to 4 KiB, enough for any header with a small pixel block), the
#       other starts at full length on inputs up to 64 KiB, so large blocks, long image IDs and
#       colour maps are tried too. Both share the scratch corpus BUILD_DIR/long-corpus, which
#       keeps what earlier long runs learned; each worker logs to BUILD_DIR/long-N.log. To fold
#       what a run learned back into the seeds, merge it into a fresh copy of them; counters off
#       keeps only inputs that reach new edges, not merely new hit counts:
#         mkdir NEW && cp fuzz/corpus/* NEW
#         BUILD_DIR/fuzz/tga_fuzzer -merge=1 -use_counters=0 -max_len=65536 NEW BUILD_DIR/long-corpus
#
# Both modes use the dictionary fuzz/tga.dict. New inputs go to BUILD_DIR, never into the
# checked-in seeds. Any crash, sanitizer report, leak, timeout or out-of-memory makes the script
# exit non-zero and leaves the input as BUILD_DIR/fuzz/crash-* (or leak-*, timeout-*, oom-*; in
# long mode BUILD_DIR/long-crash-* and so on). Long mode also keeps any input that takes over
# 2 s as BUILD_DIR/long-slow-unit-*, without failing.
set -eu

long=0
if [ $# -ge 1 ] && [ "$1" = "--long" ]; then
    long=1
    shift
fi
if [ $# -lt 1 ] || [ $# -gt $((1 + long)) ]; then
    echo "usage: $0 BUILD_DIR | $0 --long BUILD_DIR [SECONDS]" >&2
    exit 2
fi
seconds=${2:-600}
case $seconds in
'' | *[!0-9]*)
    echo "$0: SECONDS must be a whole number" >&2
    exit 2
    ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)

cmake -S "$here/.." -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DORLINDE_BUILD_FUZZ=ON \
    -DORLINDE_BUILD_APP=OFF -DORLINDE_BUILD_TESTS=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target tga_fuzzer codec_fuzzer

if [ "$long" -eq 0 ]; then
    exec ctest --test-dir "$build" -L fuzz --output-on-failure -j2
fi

mkdir -p "$build/long-corpus"
cp "$here"/corpus/* "$build/long-corpus/"

# worker N MAX_LEN [EXTRA...]: one libFuzzer process for the whole time, in the background.
worker() {
    n=$1
    maxlen=$2
    shift 2
    "$build/fuzz/tga_fuzzer" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 \
        -rss_limit_mb=2048 -report_slow_units=2 -dict="$here/tga.dict" -print_final_stats=1 \
        -artifact_prefix="$build/long-" "$@" "$build/long-corpus" >"$build/long-$n.log" 2>&1 &
}
worker 1 4096
small=$!
worker 2 65536 -len_control=0
large=$!

status=0
wait "$small" || status=1
wait "$large" || status=1
for n in 1 2; do
    echo "worker $n ($build/long-$n.log):"
    grep -E '^(#[0-9]+.*(cov|DONE)|stat::|==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' \
        "$build/long-$n.log" | grep -v 'pulse' | tail -n 12
done
exit "$status"
