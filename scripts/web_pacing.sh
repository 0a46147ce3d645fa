#!/usr/bin/env bash
# Frame pacing of the browser build in real time, per scene (a benchmark, not
# a test; web/tests/pacing.mjs): the whole show, then each scene started with
# ?scene=N (its first ten seconds, and the time from the click to its first
# and to steady frames), in headless Chromium with its sound, then in Firefox
# ESR on Xvfb (silent where there is no sound server), about six minutes
# each. Run scripts/web_test.sh first (it builds and installs what this
# needs); PQN_WEB_SITE names another built folder.
set -euo pipefail
cd "$(dirname "$0")/../web/tests"
echo "Chromium"
node pacing.mjs
echo "Firefox ESR"
PQN_BROWSER=firefox xvfb-run -a -s '-screen 0 1280x1024x24' node pacing.mjs
