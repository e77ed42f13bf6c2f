#!/usr/bin/env bash
# The game in a browser: installs what the web build needs (Debian 12),
# builds it into build/web (index.html with the .js, .wasm and worker files:
# static files any web server can host), then serves them on
# http://127.0.0.1:8000/ with the headers WebAssembly threads need.
#   scripts/web.sh          build and serve
#   scripts/web.sh build    only build
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh emscripten cmake ninja-build python3 || { echo "could not install the web build's packages"; exit 1; }
# Emscripten's JavaScript optimiser finds Debian's acorn only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
mkdir -p build
cmake --preset web >build/web-configure.log 2>&1 || { cat build/web-configure.log; exit 1; }
cmake --build --preset web -j2
[ "${1:-}" = build ] && exit 0
echo "serving the game (Ctrl+C ends):"
exec scripts/web-server.py --port "${PORT:-8000}"
