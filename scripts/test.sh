#!/usr/bin/env bash
# Installs what is missing, builds Orlinde with warnings as errors, and runs every test:
# all but the window tests once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# a fixed fuzzing run of the TGA reader (built with clang through CMake), then the whole suite
# (unit, reference, package, window and memcheck tests, the window tests in private Xvfb servers,
# and the web page in headless chromium).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh

cmake -S . -B build-sanitize -DORLINDE_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize -LE window --output-on-failure -j"$jobs"

bash fuzz/run.sh build-fuzz

page=$(bash scripts/web.sh)

cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DORLINDE_BUILD_TESTS=ON -DORLINDE_BUILD_BENCH=ON \
  -DORLINDE_WEB_PAGE="$page"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
