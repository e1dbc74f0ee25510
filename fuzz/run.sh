#!/bin/sh
# Fuzzes the TGA reader with libFuzzer, deterministically, on a copy of the seed corpus:
#
#   fuzz/run.sh BUILD_DIR
#
# Builds BUILD_DIR/tga_fuzzer with
#   clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
# copies fuzz/corpus to BUILD_DIR/corpus (new inputs go there, never into the checked-in seeds)
# and runs 300000 inputs from seed 1. Any crash, sanitizer report, leak or timeout makes the
# script exit non-zero and leaves the input as BUILD_DIR/crash-* (or leak-*, timeout-*).
# Needs clang and libFuzzer's runtime (Debian: clang, libclang-rt-dev).
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Wall -Wextra -Wpedantic -I"$here/../tga" \
    "$here/tga_fuzzer.cpp" "$here/../tga/TGAReadWrite.cpp" -o "$build/tga_fuzzer"

rm -rf "$build/corpus"
cp -R "$here/corpus" "$build/corpus"

"$build/tga_fuzzer" -seed=1 -runs=300000 -max_len=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/" "$build/corpus"
