#!/usr/bin/env bash
# Sets up, builds and runs every test (headless: no display or sound card
# needed): the desktop program's, the browser build's in Chromium, then the
# Windows build's under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
bash scripts/web_test.sh
bash scripts/windows_test.sh
