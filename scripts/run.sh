#!/usr/bin/env bash
# Sets up, builds and runs the show: full screen with sound where a display
# exists; otherwise renders the whole show with its sound to show.mp4.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/pqn "$@"
fi
echo "No display found: rendering the show to $(pwd)/show.mp4"
build/pqn --capture show.mp4 "$@"
echo "The show is in $(pwd)/show.mp4"
