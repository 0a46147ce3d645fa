#!/usr/bin/env bash
# A sound device that goes away under a running show, on a real PulseAudio
# server with two null sinks, the show in a real window on Xvfb:
#  - the default sink is switched to the other and back: the sound follows it;
#  - the sink the show plays to is unloaded in the middle of scene 2: the
#    server moves the show's sound to the other sink, which then hears it;
#  - the server is killed: the show goes on silent, says so in one line, and
#    its readout keeps moving;
#  - a server is started again: the show's sound comes back on it by itself.
# Through all of it the frames keep coming and the positions advance; the
# show ends on Escape with exit status 0.
# Usage: device_test.sh PQN DATA WORK_DIR
set -u
pqn=$(realpath "$1")
data=$(realpath "$2")
work=$3
here=$(dirname "$(realpath "$0")")
rm -rf "$work"
mkdir -p "$work"

export PULSE_RUNTIME_PATH="$work/pulse" PULSE_STATE_PATH="$work/pulse"
start_server() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
        -L "module-null-sink sink_name=first rate=44100" -L "module-null-sink sink_name=second rate=44100" \
        -L module-native-protocol-unix >> "$work/pulse.out" 2>&1 &
    server=$!
    for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink first
}
start_server || { echo "no PulseAudio server:"; cat "$work/pulse.out"; exit 1; }

cat > "$work/session.sh" << 'EOF'
# Runs inside xvfb-run: $1 pqn, $2 data, $3 work folder, $4 tests folder.
pqn=$1 data=$2 work=$3 here=$4
trace=$work/show.jsonl
problem() { echo "$*" >> "$work/problems"; }
frames() { local n; n=$(grep -c '"type":"frame"' "$trace" 2> /dev/null); echo "${n:-0}"; }
# The position of the last frame traced, as order * 256 + row.
position() { grep '"type":"frame"' "$trace" 2> /dev/null | tail -1 | sed 's/.*"order":\([0-9]*\),"row":\([0-9]*\).*/\1 \2/' |
             awk '{ p = $1 * 256 + $2 } END { print p + 0 }'; }
source "$here/session_waits.sh"
# Waits for $1 more frames, and the position past where it stood.
wait_going_on() {
    local until=$(( $(frames) + $1 )) from=$(position)
    going_on() { [ "$(frames)" -ge "$until" ] && [ "$(position)" -gt "$from" ]; }
    wait_until 600 going_on
}
# Waits until the show's sound is heard on the monitor of sink $1.
heard_on() {
    timeout 1 parec --device="$1.monitor" --format=s16le --rate=44100 --channels=1 --raw > "$work/heard.raw" 2> /dev/null
    /usr/bin/python3 "$here/sound_check.py" tail "$work/heard.raw" sound 0.3
}
wait_heard_on() { wait_until 30 heard_on "$1"; }
wait_said() { wait_until 400 grep -q "$1" "$work/show.out"; }

"$pqn" --window --scene 2 --fps 30 --data "$data" --trace "$trace" > "$work/show.out" 2>&1 &
pid=$!
wait_going_on 30 || problem "the show never drew its frames"
wait_heard_on first || problem "the show was not heard on the first sink"
pactl set-default-sink second
wait_heard_on second || problem "the show did not follow the default sink to the second"
pactl set-default-sink first
wait_heard_on first || problem "the show did not follow the default sink back to the first"
pactl unload-module "$(pactl list short modules | awk '/sink_name=first/ { print $1 }')"
wait_going_on 60 || problem "the frames stopped when the first sink went away"
wait_heard_on second || problem "the show was not heard on the second sink after the first went away"
echo "kill" > "$work/server.control"
wait_said "the sound device went away" || problem "the show did not say that its sound device went away"
wait_going_on 90 || problem "the frames stopped or the readout stood still while there was no sound server"
echo "start" > "$work/server.control"
wait_said "the sound plays again" || problem "the sound did not come back when a server did"
wait_heard_on first || problem "the show was not heard on the new server"
wait_going_on 30 || problem "the frames stopped after the sound came back"
xdotool key Escape
wait "$pid"
echo "$?" > "$work/status"
echo "done" > "$work/server.control"
EOF

# The session asks for the server to be killed and started again.
xvfb-run -a -s "-screen 0 640x480x24" bash "$work/session.sh" "$pqn" "$data" "$work" "$here" &
session=$!
handled=""
while kill -0 "$session" 2> /dev/null; do
    asked=$(cat "$work/server.control" 2> /dev/null)
    if [ -n "$asked" ] && [ "$asked" != "$handled" ]; then
        handled=$asked
        case "$asked" in
            kill) kill "$server"; wait "$server" 2> /dev/null ;;
            start) start_server ;;
        esac
    fi
    sleep 0.1
done
wait "$session"
kill "$server" 2> /dev/null
wait 2> /dev/null

status=$(cat "$work/status" 2> /dev/null || echo none)
if [ "$status" != 0 ] || [ -s "$work/problems" ]; then
    echo "FAIL: the show through a sound device that went away: exit status $status"
    cat "$work/problems" 2> /dev/null
    echo "its output:"; cat "$work/show.out"
    exit 1
fi
echo "device: all checks passed"
cat "$work/show.out"
