#!/usr/bin/env bash
# Builds what the browser build links, for WebAssembly: SDL2, libopenmpt and
# FreeType from Debian's own source packages of the versions the desktop
# build uses (apt's source entry is made from the machine's own when it has
# none). Built once into a cache outside the checkout, in a folder named by
# the versions, the compiler and this script; prints that folder (include/
# and lib/). Needs emscripten and dpkg-dev (scripts/web.sh installs them).
#   PQN_WEB_CACHE=~/.cache/pqn-web   where the builds are kept
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=/usr/share/nodejs
source scripts/lib/library_builds.sh
key="$( { echo "$sdl_version $openmpt_version $freetype_version"; em++ --version | head -n 1
          cat "$0" scripts/lib/sources.sh scripts/lib/library_builds.sh; } | sha256sum | cut -c1-16)"
cache="${PQN_WEB_CACHE:-$HOME/.cache/pqn-web}/deps-$key"
start_cache
source scripts/lib/sources.sh
enable_source_packages
fetch_library_sources
jobs="$(nproc)"

# SDL2 without threads: threads in the browser need cross-origin isolation.
emcmake cmake -S "$work"/libsdl2-*/ -B "$work/sdl" -DCMAKE_BUILD_TYPE=Release -DSDL_SHARED=OFF -DSDL_STATIC=ON \
  -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY \
  -DCMAKE_INSTALL_PREFIX="$cache" > "$work/sdl.log" 2>&1 || { tail -30 "$work/sdl.log" >&2; exit 1; }
cmake --build "$work/sdl" -j"$jobs" --target install > "$work/sdl-build.log" 2>&1 || { tail -30 "$work/sdl-build.log" >&2; exit 1; }

# FreeType alone (no zlib, PNG, bzip2, HarfBuzz or Brotli: the readout's font is a plain TrueType file).
emcmake cmake -S "$work"/freetype-*/ -B "$work/freetype" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
  -DCMAKE_INSTALL_PREFIX="$cache" > "$work/freetype.log" 2>&1 || { tail -30 "$work/freetype.log" >&2; exit 1; }
cmake --build "$work/freetype" -j"$jobs" --target install > "$work/freetype-build.log" 2>&1 || { tail -30 "$work/freetype-build.log" >&2; exit 1; }

# libopenmpt with exceptions: without them a damaged module would abort the
# program instead of failing to load.
build_libopenmpt em++ emar -std=c++17 -O2 -fexceptions -fvisibility=hidden

touch "$cache/done"
echo "$cache"
