#!/usr/bin/env bash
# The player's sound as a listener hears it: the show in a real window on an
# X server (Xvfb), its sound through a real PulseAudio server into a null
# sink whose monitor is recorded, its keys pressed by xdotool.
#  - pause: Space silences the sound while paused, and Space again resumes it
#    where it stopped (the sound on both sides of the gap is the module's,
#    one stretch of it);
#  - loop: --loop-range plays its stretch's sound again from its start each
#    time round;
#  - volume: --volume 50, then - and M twice: the module is heard at a quarter
#    of its level, then at 45's, silenced, and again at 45's, all in one
#    stretch of time: the volume never moves the sound.
# The recording is set against the sound of a headless capture of the same
# stretch (tests/sound_check.py).
# Usage: sound_test.sh PQN DATA WORK_DIR
set -u
pqn=$(realpath "$1")
data=$(realpath "$2")
work=$3
here=$(dirname "$(realpath "$0")")
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    wait 2> /dev/null || true
}
trap cleanup EXIT

export PULSE_RUNTIME_PATH="$work/pulse" PULSE_STATE_PATH="$work/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    -L "module-null-sink sink_name=show rate=44100" -L module-native-protocol-unix > "$work/pulse.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink show || { echo "no PulseAudio server:"; cat "$work/pulse.out"; exit 1; }

# The whole run's sound from 5:0 to 7:0.
if ! "$pqn" --headless --data "$data" --fps 30 --at 5:0 --to 7:0 --capture "$work/reference" > "$work/reference.out" 2>&1; then
    echo "the reference capture failed:"; cat "$work/reference.out"; exit 1
fi

cat > "$work/session.sh" << 'EOF'
# Runs inside xvfb-run: $1 pqn, $2 data, $3 work folder, $4 mode, $5 tests folder.
pqn=$1 data=$2 work=$3 mode=$4 here=$5
trace=$work/$mode.jsonl
sound=$work/$mode.raw
frames() { local n; n=$(grep -c '"type":"frame"' "$trace" 2> /dev/null); echo "${n:-0}"; }
source "$here/session_waits.sh"
more_frames_than() { [ "$(frames)" -gt "$1" ]; }
wait_frames() { wait_until 1200 more_frames_than "$1"; }
# Waits until the recording's last $1 seconds are silent ("silent") or not ("sound").
wait_sound() { wait_until 600 /usr/bin/python3 "$here/sound_check.py" tail "$sound" "$2" "$1"; }
parec --device=show.monitor --format=s16le --rate=44100 --channels=1 --raw > "$sound" & recorder=$!
# Waits until the recording has $1 seconds more than now, the last of them $2.
wait_more() {
    local until=$(( $(stat -c %s "$sound") + ${1%.*} * 88200 ))
    grown_to() { [ "$(stat -c %s "$sound")" -ge "$until" ] && /usr/bin/python3 "$here/sound_check.py" tail "$sound" "$1" 0.5; }
    wait_until 600 grown_to "$2"
}
if [ "$mode" = pause ]; then
    "$pqn" --window --player --at 5:0 --fps 30 --data "$data" --trace "$trace" > "$work/$mode.out" 2>&1 &
elif [ "$mode" = volume ]; then
    "$pqn" --window --player --volume 50 --at 5:0 --fps 30 --data "$data" --trace "$trace" > "$work/$mode.out" 2>&1 &
else
    "$pqn" --window --loop-range 5:0-5:12 --fps 30 --data "$data" --trace "$trace" > "$work/$mode.out" 2>&1 &
fi
pid=$!
wait_frames 0 || echo "the show never drew a frame" >> "$work/$mode.problems"
wait_sound 0.5 sound || echo "no sound was heard" >> "$work/$mode.problems"
if [ "$mode" = pause ]; then
    xdotool key space
    wait_sound 1.0 silent || echo "the sound went on while paused" >> "$work/$mode.problems"
    xdotool key space
    wait_sound 1.0 sound || echo "the sound did not resume" >> "$work/$mode.problems"
elif [ "$mode" = volume ]; then
    wait_more 1 sound || echo "the sound stopped at volume 50" >> "$work/$mode.problems"
    xdotool key minus
    wait_more 1 sound || echo "the sound stopped at volume 45" >> "$work/$mode.problems"
    xdotool key m
    wait_more 1 silent || echo "M did not mute the sound" >> "$work/$mode.problems"
    xdotool key m
    wait_more 1 sound || echo "M did not bring the sound back" >> "$work/$mode.problems"
else
    # The frames' positions follow the sound heard: once they have gone back
    # to 5:0 three times, three times round have been heard whole.
    returns() { grep '"type":"frame"' "$trace" | sed 's/.*"order":\([0-9]*\),"row":\([0-9]*\).*/\1 \2/' |
                awk '{ p = $1 * 256 + $2; if (p < last) n++; last = p } END { print n + 0 }'; }
    for i in $(seq 600); do
        [ "$(returns)" -ge 3 ] && break
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.1
    done
    [ "$(returns)" -ge 3 ] || echo "the stretch was not played three times" >> "$work/$mode.problems"
fi
xdotool key Escape
wait "$pid"
echo "$?" > "$work/$mode.status"
kill "$recorder"
EOF

for mode in pause loop volume; do
    xvfb-run -a -s "-screen 0 640x480x24" bash "$work/session.sh" "$pqn" "$data" "$work" "$mode" "$here"
    status=$(cat "$work/$mode.status" 2> /dev/null || echo none)
    if [ "$status" != 0 ] || [ -s "$work/$mode.problems" ]; then
        fail "$mode run: exit status $status"
        cat "$work/$mode.problems" 2> /dev/null
        echo "its output:"; cat "$work/$mode.out"
        continue
    fi
    gains=()
    [ "$mode" = volume ] && gains=(0.25,0.2025,0,0.2025)
    /usr/bin/python3 "$here/sound_check.py" "$mode" "$work/$mode.raw" "$work/reference/audio.wav" "${gains[@]}" ||
        fail "$mode: the sound heard (kept in $work/$mode.raw)"
done

[ "$failures" = 0 ] && echo "sound: all checks passed"
exit $((failures > 0))
