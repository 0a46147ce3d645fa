#!/usr/bin/env bash
# Builds what the Windows build links, for x86_64-w64-mingw32, statically:
# SDL2, libopenmpt and FreeType from Debian's own source packages of the
# versions the desktop build uses, zlib and libpng (for the PNG files) from
# Debian's current ones (apt's source entry is made from the machine's own
# when it has none). Built once into a cache outside
# the checkout, in a folder named by the versions, the compiler and this
# script; prints that folder (include/ and lib/). Needs
# g++-mingw-w64-x86-64-posix and dpkg-dev (scripts/windows.sh installs them).
#   PQN_WINDOWS_CACHE=~/.cache/pqn-windows   where the builds are kept
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
source scripts/lib/library_builds.sh
cxx=x86_64-w64-mingw32-g++-posix
# The source entry first: the key names the zlib and libpng sources apt serves.
source scripts/lib/sources.sh
source scripts/lib/newest_source.sh
enable_source_packages
key="$( { echo "$sdl_version $openmpt_version $freetype_version"; apt-cache showsrc zlib libpng1.6 | grep '^Version' ; $cxx --version | head -n 1
          cat "$0" scripts/lib/sources.sh scripts/lib/newest_source.sh scripts/lib/library_builds.sh cmake/mingw-w64-x86_64.cmake; } |
        sha256sum | cut -c1-16)"
cache="${PQN_WINDOWS_CACHE:-$HOME/.cache/pqn-windows}/deps-$key"
start_cache
fetch_library_sources
newest_source zlib
newest_source libpng1.6
jobs="$(nproc)"
toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
           -DCMAKE_INSTALL_PREFIX="$cache" -DCMAKE_FIND_ROOT_PATH="$cache")
build() {  # name source-folder cmake-options...
  local name="$1" source="$2"
  shift 2
  cmake -S "$source" -B "$work/$name" "${toolchain[@]}" "$@" > "$work/$name.log" 2>&1 || { tail -30 "$work/$name.log" >&2; exit 1; }
  cmake --build "$work/$name" -j"$jobs" --target install > "$work/$name-build.log" 2>&1 ||
    { tail -30 "$work/$name-build.log" >&2; exit 1; }
}

build sdl "$(echo "$work"/libsdl2-*/)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
# zlib's static library alone (Debian's source leaves out the DLL's resource file).
zlib="$(echo "$work"/zlib-*/)"
cmake -S "$zlib" -B "$work/zlib" "${toolchain[@]}" > "$work/zlib.log" 2>&1 || { tail -30 "$work/zlib.log" >&2; exit 1; }
cmake --build "$work/zlib" -j"$jobs" --target zlibstatic > "$work/zlib-build.log" 2>&1 ||
  { tail -30 "$work/zlib-build.log" >&2; exit 1; }
cp "$work/zlib/libzlibstatic.a" "$cache/lib/libz.a"
cp "$zlib/zlib.h" "$work/zlib/zconf.h" "$cache/include/"
# FreeType with that zlib (its own copy would clash with it in one program),
# and no PNG, bzip2, HarfBuzz or Brotli: the readout's font is a plain TrueType file.
build freetype "$(echo "$work"/freetype-*/)" -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
  -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
  -DZLIB_LIBRARY="$cache/lib/libz.a" -DZLIB_INCLUDE_DIR="$cache/include"
build png "$(echo "$work"/libpng1.6-*/)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY="$cache/lib/libz.a" -DZLIB_INCLUDE_DIR="$cache/include"

build_libopenmpt "$cxx" x86_64-w64-mingw32-ar -std=c++17 -O2 -DNDEBUG -DUNICODE -D_UNICODE

touch "$cache/done"
echo "$cache"
