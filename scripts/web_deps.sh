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
version_of() { dpkg-query -W -f='${Version}' "$1"; }
sdl_version="$(version_of libsdl2-dev)"
openmpt_version="$(version_of libopenmpt-dev)"
freetype_version="$(version_of libfreetype-dev)"
key="$( { echo "$sdl_version $openmpt_version $freetype_version"; em++ --version | head -n 1; cat "$0" scripts/lib/sources.sh; } | sha256sum | cut -c1-16)"
cache="${PQN_WEB_CACHE:-$HOME/.cache/pqn-web}/deps-$key"
if [ -f "$cache/done" ]; then echo "$cache"; exit 0; fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rm -rf "$cache"
mkdir -p "$cache/include" "$cache/lib"
source scripts/lib/sources.sh
enable_source_packages
(cd "$work" && apt-get source -q libsdl2="$sdl_version" libopenmpt="$openmpt_version" freetype="$freetype_version" \
  > sources.log 2>&1) || { cat "$work/sources.log" >&2; exit 1; }
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

# libopenmpt from its own sources, with exceptions: without them a damaged
# module would abort the program instead of failing to load.
openmpt="$(echo "$work"/libopenmpt-*/)"
mkdir -p "$work/openmpt"
sources=("$openmpt"common/*.cpp "$openmpt"soundlib/*.cpp "$openmpt"soundlib/plugins/*.cpp "$openmpt"soundlib/plugins/dmo/*.cpp
         "$openmpt"sounddsp/*.cpp "$openmpt"libopenmpt/libopenmpt_{c,cxx,ext_impl,impl}.cpp)
printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} sh -c \
  'em++ -std=c++17 -O2 -fexceptions -fvisibility=hidden -DLIBOPENMPT_BUILD -I"$1" -I"$1/src" -I"$1/common" \
   -I"$1/build/svn_version" -c "$2" -o "$3/$(echo "$2" | md5sum | cut -c1-12).o"' _ "$openmpt" {} "$work/openmpt"
emar rcs "$cache/lib/libopenmpt.a" "$work"/openmpt/*.o
mkdir -p "$cache/include/libopenmpt"
cp "$openmpt"libopenmpt/libopenmpt*.h "$openmpt"libopenmpt/libopenmpt*.hpp "$cache/include/libopenmpt/"

touch "$cache/done"
echo "$cache"
