#!/usr/bin/env bash
# Sets up, builds and runs every test (headless: no display or sound card
# needed): the desktop program's, the browser build's in Chromium, then the
# Windows build's under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
took() { echo "test: $1 took $(( (SECONDS - $2) / 60 )) min $(( (SECONDS - $2) % 60 )) s"; }
from=$SECONDS
bash scripts/setup.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
took "the desktop program's set-up, build and tests" "$from"
from=$SECONDS
bash scripts/web_test.sh
took "the browser build and its tests" "$from"
from=$SECONDS
bash scripts/windows_test.sh
took "the Windows build and its tests" "$from"
