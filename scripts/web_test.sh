#!/usr/bin/env bash
# The browser build's tests: builds build-web/ (scripts/web.sh --build-only),
# installs Debian's Chromium and Firefox ESR and the pinned puppeteer-core
# (web/tests' package-lock.json), and runs web/tests in headless Chromium,
# then in Firefox on Xvfb (it has WebGL 2 only with a display here) playing
# to a PulseAudio server's null sink, then Firefox's case of no sound output
# (no server at all), and the reference moments in Chromium's software WebGL
# (SwiftShader).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/web.sh --build-only
source scripts/lib/packages.sh
ensure_packages chromium firefox-esr xvfb xauth pulseaudio pulseaudio-utils
command -v npm > /dev/null || ensure_packages npm
cd web/tests
npm ci --no-audit --no-fund --loglevel=error
status=0
# Each run of the tests may take 20 minutes, so that a browser that stops
# answering fails its run, with the output so far, and the runs after it
# still come.
bounded() {  # command...
  local code=0
  timeout -k 30 1200 "$@" || code=$?
  if [ "$code" -eq 124 ] || [ "$code" -eq 137 ]; then echo "stopped after 20 minutes: $*"; fi
  return "$code"
}
tests=(node --test)
echo "browser tests in Chromium"
bounded "${tests[@]}" || status=1

# Firefox plays sound only through a sound server: one of its own, with a
# null sink, in a folder of its own.
pulse="$(mktemp -d)"
export XDG_RUNTIME_DIR="$pulse" PULSE_RUNTIME_PATH="$pulse/pulse" PULSE_STATE_PATH="$pulse/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
  -L "module-null-sink sink_name=pqn" -L module-native-protocol-unix > "$pulse/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2> /dev/null; rm -rf "$pulse"' EXIT
for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl info > /dev/null || { echo "the sound server did not start:"; cat "$pulse/server.log"; exit 1; }
in_firefox() { bounded env PQN_BROWSER=firefox xvfb-run -a -s '-screen 0 1280x1024x24' "${tests[@]}" "$@"; }
echo "browser tests in Firefox ESR"
in_firefox || status=1
echo "Firefox ESR with no sound server"
PULSE_SERVER=unix:/nonexistent PQN_SOUND=none in_firefox --test-name-pattern 'plays no sound' || status=1
# Chromium's software WebGL (SwiftShader, where the GPU is blocklisted) has
# arithmetic of its own: the reference moments hold there too.
echo "the reference moments in Chromium's SwiftShader"
PQN_WEBGL=swiftshader bounded "${tests[@]}" --test-name-pattern 'reference moments' || status=1
exit $status
