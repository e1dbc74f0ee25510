#!/usr/bin/env bash
# Installs what is missing, builds Orlinde and opens it in the current X session on a bundled
# sample, or on the TGA file given as the only argument.
set -euo pipefail
image=$(realpath "${1:-$(dirname "$0")/../samples/testcard.tga}")
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh viewer
cmake -S . -B build -DORLINDE_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  cat <<MSG
Orlinde opens a window and needs an X display, but none can be reached (DISPLAY='${DISPLAY:-}').
Run this from a graphical desktop session, or over ssh -X, or in a virtual display
(xvfb-run comes with the Debian package xvfb):
  xvfb-run -a -s '-screen 0 1024x768x24' bash scripts/run.sh $image
MSG
  exit 1
fi
exec build/orlinde "$image"
