#!/usr/bin/env bash
# Sets up, builds and runs every test (headless: no display or sound card
# needed): the desktop program's, the browser build's in Chromium, then the
# Windows build's under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/stages.sh
desktop() {
  bash scripts/setup.sh
  (cd build && ctest --output-on-failure -j"$(nproc)")
}
stage test "the desktop program's set-up, build and tests" desktop
stage test "the browser build and its tests" bash scripts/web_test.sh
stage test "the Windows build and its tests" bash scripts/windows_test.sh
