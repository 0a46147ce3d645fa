#!/usr/bin/env bash
# Figures of the browser build (a benchmark, not a test): download sizes,
# start click to first frame, and frames per second per scene in headless
# Chromium against the desktop program's --bench with the same shaders
# (--gl es3), with each one's draws per frame and the time of each step of
# a frame, and the time forty seeks take to their first frame, in each
# (web/tests/figures.mjs).
# Run scripts/web_test.sh first (it builds and installs what this needs).
set -euo pipefail
cd "$(dirname "$0")/../web/tests"
node figures.mjs
