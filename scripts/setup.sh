#!/usr/bin/env bash
# Installs what pqn needs on Debian 12 (as root, or with sudo) and builds it into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake pkg-config libsdl2-dev libopenmpt-dev libpulse-dev libgl-dev libglu1-mesa-dev libegl-dev libgles-dev
          libopengl-dev libgl1-mesa-dri libfreetype-dev libpng-dev fonts-dejavu-core libgtest-dev
          ffmpeg xvfb xauth openbox xdotool x11-utils help2man dpkg-dev desktop-file-utils man-db python3 python3-numpy
          pulseaudio pulseaudio-utils)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)"
