#!/usr/bin/env bash
# The show in a web browser: sets up what the browser build needs (Debian's
# emscripten; SDL2, libopenmpt and FreeType built for WebAssembly once, see
# scripts/web_deps.sh; the default data set, from the desktop build), builds
# build-web/ (index.html, the page's script and style, pqn.js, pqn.wasm and
# pqn.data: a static folder any web server can host) and serves it on
# 127.0.0.1, printing the address.
#   bash scripts/web.sh [--build-only] [--port N]
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=0
port=8631
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) build_only=1 ;;
    --port) port="$2"; shift ;;
    *) echo "usage: bash scripts/web.sh [--build-only] [--port N]" >&2; exit 2 ;;
  esac
  shift
done
source scripts/lib/packages.sh
ensure_packages emscripten dpkg-dev python3
[ -f build/data/biisi.xm ] || bash scripts/setup.sh
export NODE_PATH=/usr/share/nodejs
deps="$(bash scripts/web_deps.sh)"
mkdir -p build-web-cmake
build/tools/pqn-data --icons build-web-cmake/icons
emcmake cmake -S web -B build-web-cmake -DCMAKE_BUILD_TYPE=Release -DPQN_WEB_DEPS="$deps" \
  -DPQN_DATA_DIR="$PWD/build/data" -DPQN_WEB_OUT="$PWD/build-web" -DPQN_ICON_DIR="$PWD/build-web-cmake/icons" > /dev/null
cmake --build build-web-cmake -j"$(nproc)"
echo "built build-web/ ($(du -sh build-web | cut -f1))"
[ "$build_only" -eq 1 ] && exit 0
echo "serving the show at http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web
