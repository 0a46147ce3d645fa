#!/usr/bin/env bash
# Frame pacing of the browser build in real time, per scene (a benchmark, not
# a test; web/tests/pacing.mjs): the whole show in headless Chromium with its
# sound, about four minutes. Run scripts/web_test.sh first (it builds and
# installs what this needs); PQN_WEB_SITE names another built folder.
set -euo pipefail
cd "$(dirname "$0")/../web/tests"
node pacing.mjs
