#!/usr/bin/env bash
# Picture against sound as a viewer meets them (a benchmark, not a test):
# scene 2 full screen on Xvfb under openbox, its sound through a PulseAudio
# server into a null sink; ffmpeg grabs the screen 60 times a second and
# pqn-sync-bench records the sink's monitor, both stamped with the wall clock.
# pqn-sync-bench then reads both against a capture of the same stretch, which
# prints the median and spread of picture minus sound for the ring flashes and
# the readout's rows. Installs xvfb, openbox and pulseaudio when missing.
#   PQN=build/pqn               the program to measure
#   OFFSET=MS                   passed as --audio-offset
#   PULSE_LATENCY_MSEC=100      the latency the program's stream asks of the server (libpulse
#                               reads it; given to the program only, the recorder keeps its own)
#   KEEP=1                      keep the recording, the capture, the traces and events.txt (every
#                               event: kind, seconds into the recording, picture minus sound)
set -euo pipefail
program_latency="${PULSE_LATENCY_MSEC:-}"
unset PULSE_LATENCY_MSEC
cd "$(dirname "$0")/.."
pqn="$(realpath "${PQN:-build/pqn}")"
data="$(realpath build/data)"
source scripts/lib/packages.sh
ensure_packages xvfb openbox pulseaudio pulseaudio-utils ffmpeg
cmake --build build --target pqn-sync-bench > /dev/null

work="$(mktemp -d)"
display=":$((RANDOM % 400 + 300))"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  wait 2> /dev/null || true
  if [ "${KEEP:-0}" = 1 ]; then echo "kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

Xvfb "$display" -screen 0 640x480x24 -nolisten tcp > /dev/null 2>&1 & pids+=($!)
sleep 1
DISPLAY="$display" openbox > /dev/null 2>&1 & pids+=($!)
export PULSE_RUNTIME_PATH="$work/pulse" PULSE_STATE_PATH="$work/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
  -L "module-null-sink sink_name=bench rate=44100" -L module-native-protocol-unix > /dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink bench

echo "$(date +%T) capturing scene 2 for reference"
# PNG frames at 30 a second show every row (a row lasts 120 ms); once scene 2's
# 23 s are in, Ctrl+C ends the capture cleanly.
"$pqn" --headless --data "$data" --capture "$work/capture" --scene 2 --fps 30 --trace "$work/capture.jsonl" > /dev/null 2>&1 & capture=$!
until [ "$(find "$work/capture" -name 'frame-*.png' 2> /dev/null | wc -l)" -ge 720 ] || ! kill -0 "$capture" 2> /dev/null; do sleep 0.5; done
kill -INT "$capture" 2> /dev/null || true
wait "$capture" || true

echo "$(date +%T) recording scene 2 in real time${OFFSET:+ with --audio-offset $OFFSET}${program_latency:+, PULSE_LATENCY_MSEC=$program_latency}"
ffmpeg -v error -copyts -f x11grab -framerate 60 -video_size 640x480 -i "$display" \
  -c:v libx264rgb -preset ultrafast -qp 0 "$work/grabs.mkv" & grabber=$!
build/tools/pqn-sync-bench --record-sound bench.monitor 32 "$work/sound.raw" & recorder=$!
sleep 1
# Scene 2 lasts about 23 s; SIGTERM then ends the show as Escape does.
DISPLAY="$display" env ${program_latency:+PULSE_LATENCY_MSEC="$program_latency"} timeout -s TERM 27 "$pqn" --data "$data" --scene 2 --trace "$work/live.jsonl" ${OFFSET:+--audio-offset "$OFFSET"} > /dev/null 2>&1 || true
wait "$recorder"
kill -INT "$grabber"
wait "$grabber" || true
grep -h '"latency"' "$work/live.jsonl" | tail -n 1 | sed 's/^/last latency the server reported: /' || true
echo "$(date +%T) measuring"
build/tools/pqn-sync-bench "$work/grabs.mkv" "$work/sound.raw" "$work/capture" "$work/capture.jsonl" "$work/live.jsonl" "$data/biisi.xm" "$work/events.txt"
