#!/usr/bin/env bash
# Installs what is missing (Debian packages only), builds the web edition with emscripten and
# prints the path of its one self-contained page, build-web/orlinde.html: open it in a browser,
# from disk or from any static web server.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh web >&2
# Debian's emscripten finds its JavaScript optimizer's parser (node-acorn) only through NODE_PATH.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DORLINDE_BUILD_APP=OFF \
  -DORLINDE_BUILD_TESTS=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >&2
# Only the page and the libraries it links, not every library of the tree.
cmake --build build-web -j2 --target page >&2
echo "$PWD/build-web/orlinde.html"
