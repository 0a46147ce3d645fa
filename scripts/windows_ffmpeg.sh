#!/usr/bin/env bash
# Builds the ffmpeg.exe the Windows tests encode captures with: Debian's own
# sources of ffmpeg and x264 cross-built with mingw-w64, statically, with
# only what a capture asks for (raw frames and sound in; H.264, AAC and FLAC
# out; MP4 and Matroska). Built once into a cache outside the checkout, in a
# folder named by the versions, the compiler and this script; prints the
# path of ffmpeg.exe. Needs what scripts/windows.sh installs.
#   PQN_WINDOWS_CACHE=~/.cache/pqn-windows   where the builds are kept
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/sources.sh
source scripts/lib/newest_source.sh
enable_source_packages
cc=x86_64-w64-mingw32-gcc-posix
key="$( { apt-cache showsrc ffmpeg x264 | grep '^Version'; $cc --version | head -n 1; cat "$0" scripts/lib/newest_source.sh; } | sha256sum | cut -c1-16)"
cache="${PQN_WINDOWS_CACHE:-$HOME/.cache/pqn-windows}/ffmpeg-$key"
if [ -f "$cache/done" ]; then echo "$cache/ffmpeg.exe"; exit 0; fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rm -rf "$cache"
mkdir -p "$cache"
newest_source x264
newest_source ffmpeg
jobs="$(nproc)"
run() {  # log-name command...: the command's output kept, shown when it fails
  local log="$work/$1.log"
  shift
  "$@" > "$log" 2>&1 || { tail -40 "$log" >&2; exit 1; }
}

prefix="$work/prefix"
cd "$work"/x264-*/
run x264-configure ./configure --host=x86_64-w64-mingw32 --cross-prefix=x86_64-w64-mingw32- --prefix="$prefix" \
  --enable-static --disable-cli --disable-asm --disable-opencl
run x264-build make -j"$jobs" install-lib-static
cd "$work"/ffmpeg-*/
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
run ffmpeg-configure ./configure --target-os=mingw32 --arch=x86_64 --cross-prefix=x86_64-w64-mingw32- \
  --cc="$cc" --cxx=x86_64-w64-mingw32-g++-posix --pkg-config=pkg-config --pkg-config-flags=--static \
  --extra-cflags="-I$prefix/include" --extra-ldflags="-L$prefix/lib -static" \
  --disable-everything --disable-doc --disable-network --disable-autodetect --disable-asm --disable-debug \
  --disable-ffplay --disable-ffprobe --enable-gpl --enable-libx264 \
  --enable-protocol=file,pipe --enable-demuxer=rawvideo,pcm_s16le --enable-decoder=rawvideo,pcm_s16le \
  --enable-encoder=libx264,aac,flac --enable-muxer=mp4,matroska --enable-parser=h264 \
  --enable-filter=buffer,buffersink,abuffer,abuffersink,null,anull,format,aformat,aresample,scale,setpts,asetpts,trim,atrim \
  --enable-swscale --enable-swresample
run ffmpeg-build make -j"$jobs" ffmpeg.exe
cp ffmpeg.exe "$cache/ffmpeg.exe"
touch "$cache/done"
echo "$cache/ffmpeg.exe"
