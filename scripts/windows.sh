#!/usr/bin/env bash
# The show for Windows: sets up what the Windows build needs (Debian's
# mingw-w64 cross compiler; SDL2, libopenmpt, FreeType, libpng and zlib built
# for Windows once, see scripts/windows_deps.sh; the default data set, from
# the desktop build, and its icons, made into the exe's icon with icotool),
# cross-builds build-windows/pqn.exe and puts it with its
# data set, the readout's font and a README into
# build-windows/pqn-<version>-windows-x64.zip. --build-only stops after
# pqn.exe.
#   bash scripts/windows.sh [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=0
case "${1:-}" in
  --build-only) build_only=1 ;;
  "") ;;
  *) echo "usage: bash scripts/windows.sh [--build-only]" >&2; exit 2 ;;
esac
source scripts/lib/packages.sh
ensure_packages g++-mingw-w64-x86-64-posix dpkg-dev zip icoutils
[ -f build/data/biisi.xm ] || bash scripts/setup.sh
deps="$(bash scripts/windows_deps.sh)"
# The exe's icon: the robot the desktop's menu shows, at the sizes Explorer asks for.
mkdir -p build-windows-cmake
build/tools/pqn-data --icons build-windows-cmake/icons
icotool -c -o build-windows-cmake/pqn.ico build-windows-cmake/icons/{16x16,24x24,32x32,48x48,256x256}/apps/pqn.png
cmake -S windows -B build-windows-cmake -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPQN_WINDOWS_DEPS="$deps" -DPQN_ICON="$PWD/build-windows-cmake/pqn.ico" > /dev/null
cmake --build build-windows-cmake --target pqn -j"$(nproc)"
mkdir -p build-windows
cp build-windows-cmake/pqn.exe build-windows/pqn.exe
echo "built build-windows/pqn.exe"
[ "$build_only" -eq 1 ] && exit 0
version="$(sed -n 's/^set(PQN_VERSION \([0-9.]*\))/\1/p' cmake/Common.cmake)"
stage="build-windows/pqn-$version"
rm -rf "$stage" "$stage-windows-x64.zip"
mkdir -p "$stage"
cp build-windows/pqn.exe "$stage/"
cp -r build/data/images build/data/objects build/data/biisi.xm "$stage/"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$stage/"
cp windows/README.txt "$stage/README.txt"
# The licences of what pqn.exe is linked from, and of the font, as Debian ships them.
mkdir -p "$stage/licences"
for package in libsdl2-2.0-0 libopenmpt0 libfreetype6 libpng16-16 zlib1g fonts-dejavu-core gcc-mingw-w64-base \
               mingw-w64-x86-64-dev; do
  cp "/usr/share/doc/$package/copyright" "$stage/licences/$package.txt"
done
(cd build-windows && zip -qr "pqn-$version-windows-x64.zip" "pqn-$version")
echo "made build-windows/pqn-$version-windows-x64.zip ($(du -h "$stage-windows-x64.zip" | cut -f1))"
