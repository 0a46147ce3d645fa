#!/usr/bin/env bash
# Installs what pqn needs on Debian 12 (as root, or with sudo) and builds it into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake pkg-config libsdl2-dev libopenmpt-dev libpulse-dev libgl-dev libglu1-mesa-dev libegl-dev
          libopengl-dev libgl1-mesa-dri libfreetype-dev libpng-dev fonts-dejavu-core libgtest-dev
          ffmpeg xvfb xauth openbox help2man dpkg-dev desktop-file-utils man-db)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)"
