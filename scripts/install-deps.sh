#!/usr/bin/env bash
# Installs the Debian packages Orlinde needs: `viewer` for building and running it, `web` for the
# web edition, `all` (the default) all of them and what every test needs. Runs apt-get as root,
# through sudo when started by another user.
set -euo pipefail

viewer=(g++ cmake make freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri x11-utils)
web=(cmake make emscripten node-acorn)
tests=(
  libgtest-dev libbenchmark-dev
  # a virtual X server for the window tests; memcheck for the binary's memory tests
  xvfb valgrind
  # independent references and TGA writers
  python3 python3-numpy python3-pil python3-pywt python3-xlib netpbm imagemagick
  # the package, manual page and picture conversion tests: dpkg-shlibdeps for cpack's
  # dependencies, lintian and desktop-file-validate to check what it packs, groff to lint
  # the manual page, file for netpbm's anytopnm
  dpkg-dev lintian desktop-file-utils groff-base file
  # the reader's fuzz target
  clang libclang-rt-dev
  # the web page's tests drive Debian's chromium through playwright-core from npm
  chromium
)

case "${1:-all}" in
  viewer) packages=("${viewer[@]}") ;;
  web) packages=("${web[@]}") ;;
  all) packages=("${viewer[@]}" "${web[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 [viewer|web|all]"; exit 2 ;;
esac

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi
# npm may come with a nodejs that is not Debian's; install Debian's only when there is none.
if [ "${1:-all}" = all ] && ! command -v npm >/dev/null; then
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y npm
fi
