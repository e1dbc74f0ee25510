#!/usr/bin/env bash
# Installs what is missing, builds Orlinde with warnings as errors, and runs every test:
# the unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# fixed fuzzing runs of the TGA reader and the coder's decoder (built with clang through CMake),
# then the whole suite (unit, reference, package, window and memcheck tests, the window tests in
# private Xvfb servers, and the web page in headless chromium).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Each phase prints its wall time and its CPU time (user + system, children included); on a
# machine shared with other work the CPU seconds are the fairer figure.
phase() {
  local TIMEFORMAT="phase $1: %R s wall, %U s user, %S s system"
  shift
  time "$@"
}

phase deps bash scripts/install-deps.sh

# The sanitized build is for finding faults, not for speed: -O1 with line tables compiles in half
# the time of the optimized build with full debug information, and keeps assertions on.
phase sanitize-configure cmake -S . -B build-sanitize -DORLINDE_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
# Only the unit tests run there: the sanitizers watch the C++ they drive, while the reference,
# package and page tests hold the same code's bytes to other programs, which the plain build does.
phase sanitize-build cmake --build build-sanitize -j"$jobs" --target unit_tests
phase sanitize-test ctest --test-dir build-sanitize -L unit --output-on-failure -j"$jobs"

phase fuzz bash fuzz/run.sh build-fuzz

page=$(phase web bash scripts/web.sh)

phase configure cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DORLINDE_BUILD_TESTS=ON -DORLINDE_BUILD_BENCH=ON \
  -DORLINDE_WEB_PAGE="$page"
phase build cmake --build build -j"$jobs"
phase test ctest --test-dir build --output-on-failure -j"$jobs"
