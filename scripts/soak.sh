#!/usr/bin/env bash
# Runs the show many times and tallies how the runs ended (after
# scripts/setup.sh): RUNS whole shows headless at FPS frames a second, two at
# a time (default 40 at 60); WINDOWED real-time runs of the last scene in a
# window under Xvfb (default 4); CAPTURES captures of the last two scenes to a
# video (default 4). Any run that does not exit 0, or whose output holds a
# crash report, is listed with its log kept in the soak folder. Exits non-zero
# if any run failed.
set -uo pipefail
cd "$(dirname "$0")/.."
runs="${RUNS:-40}"; windowed="${WINDOWED:-4}"; captures="${CAPTURES:-4}"; fps="${FPS:-60}"
dir="$(mktemp -d /tmp/pqn-soak-XXXXXX)"
pqn="$PWD/build/pqn"

one() {  # kind, index, command...
    local kind="$1" index="$2"; shift 2
    local log="$dir/$kind-$index.log"
    "$@" > "$log" 2>&1
    local code=$?
    if [ "$code" -ne 0 ] || grep -q "crashed with" "$log"; then echo "$kind $index: exit $code (log: $log)"; else rm -f "$log"; fi
    echo "$kind $code" >> "$dir/results"
}

for i in $(seq "$runs"); do
    one headless "$i" "$pqn" --headless --fps "$fps" &
    if (( i % 2 == 0 )); then wait; fi
done
wait
for i in $(seq "$windowed"); do
    one window "$i" xvfb-run -a -s "-screen 0 1280x720x24" "$pqn" --window --scene 9
done
for i in $(seq "$captures"); do
    one capture "$i" "$pqn" --capture "$dir/capture-$i.mp4" --scene 8 --fps 30
    rm -f "$dir/capture-$i.mp4"
done
echo "runs by kind and exit status:"
sort "$dir/results" | uniq -c
! grep -qv " 0$" "$dir/results"
