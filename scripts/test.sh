#!/usr/bin/env bash
# Installs what is missing, builds Orlinde with warnings as errors, and runs every test once: the
# unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, fixed fuzzing runs of the TGA
# reader and the coder's decoder (built with clang through CMake), and from a plain build the rest
# of the suite (reference, package, window and memcheck tests, the window tests in private Xvfb
# servers, and the web page in headless chromium).
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
# the time of the optimized build with full debug information, and keeps assertions on. Only the
# unit tests run there: the sanitizers watch the C++ they drive, while the reference, package and
# page tests hold the same code's bytes to other programs, which the plain build does.
sanitized() {
  phase sanitize-configure cmake -S . -B build-sanitize -DORLINDE_SANITIZE=ON -DORLINDE_BUILD_BENCH=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
  # The benchmarks run outside the suite; built here they are checked to compile, off the longer
  # chain of the run.
  phase sanitize-build cmake --build build-sanitize -j"$jobs" --target unit_tests orlinde_bench \
    orlinde_codec_bench orlinde_pair_timer
  phase sanitize-test ctest --test-dir build-sanitize -L unit --output-on-failure -j"$jobs"
  phase fuzz bash fuzz/run.sh build-fuzz
}

# The plain build leaves the unit tests out: they ran under the sanitizers. Line tables are all
# that memcheck's and a debugger's backtraces need, and compile in a quarter less time than full
# debug information.
# The browser, window and memcheck tests spend much of their time waiting for a window, a page or
# an X server, so CTest runs two more tests than there are cores.
whole() {
  local page
  page=$(phase web bash scripts/web.sh)
  phase configure cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DORLINDE_BUILD_TESTS=ON \
    -DORLINDE_UNIT_TESTS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DORLINDE_WEB_PAGE="$page"
  phase build cmake --build build -j"$jobs"
  phase test ctest --test-dir build --output-on-failure -j$((jobs + 2))
}

# The two run side by side, each on every core, so that the sanitized build fills the cores the
# page's build and the suite's waiting tests leave idle. The sanitized side writes to
# build-sanitize/ci.log, printed when both have ended; the script fails if either does.
mkdir -p build-sanitize
sanitized >build-sanitize/ci.log 2>&1 &
checks=$!
whole &
suite=$!
status=0
wait "$suite" || status=$?
wait "$checks" || status=$?
echo "--- the sanitized build, its unit tests and the fuzzing (build-sanitize/ci.log):"
cat build-sanitize/ci.log
exit "$status"
