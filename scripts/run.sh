#!/usr/bin/env bash
# Installs what is missing, builds Orlinde and opens it in the current X session on a bundled
# sample, or on the TGA file given as the only argument.
set -euo pipefail
image=$(realpath "${1:-$(dirname "$0")/../samples/testcard.tga}")
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh viewer
# The build folder keeps the options it was configured with, so a build that scripts/test.sh
# set up keeps its tests, and they are rebuilt here with the viewer rather than left stale.
cmake -S . -B build
cmake --build build -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  cat <<MSG
Orlinde opens a window and needs an X display, but none can be reached (DISPLAY='${DISPLAY:-}').
The viewer is built: to see it, run this command again from a terminal in a graphical desktop
session, or log in from such a desktop with ssh -X (or ssh -Y) and run it there:
  bash scripts/run.sh $image
MSG
  exit 1
fi
exec build/orlinde "$image"
