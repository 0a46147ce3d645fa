#!/usr/bin/env bash
# What a build draws and plays, as checksums to compare between builds: the
# md5 of every frame and of audio.wav of a whole-show PNG capture at 5 fps,
# and of the test suite's reference moments at 30 fps, one "md5  name" line
# each, sorted. Two builds draw the same show when their outputs are equal:
#
#   scripts/frame_hashes.sh build/pqn DATA > after.md5
#   diff before.md5 after.md5 && echo identical
#
# PQN is the program to run (default build/pqn), DATA the data set (default:
# the one the program finds itself). Extra options (--gl es3) follow DATA.
# RUNNER runs the program through another (RUNNER=wine for pqn.exe).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
pqn="${1:-$root/build/pqn}"
data_option=()
[ $# -ge 2 ] && data_option=(--data "$2")
shift $(( $# < 2 ? $# : 2 ))
source "$root/scripts/lib/reference_moments.sh"
moments="$(reference_moments)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() {
  local log="$work/run.log"
  if ! ${RUNNER:-} "$pqn" "${data_option[@]}" "$@" > "$log" 2>&1; then
    echo "frame_hashes: $pqn $* failed (exit status $?):" >&2
    cat "$log" >&2
    exit 1
  fi
}

run --headless --fps 5 --capture "$work/capture" "$@"
run --headless --fps 30 --shot "$moments" --out "$work/moments" "$@"
(cd "$work" && md5sum capture/* moments/*) | sort -k2
