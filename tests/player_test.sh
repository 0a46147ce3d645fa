#!/usr/bin/env bash
# The player in a real window on an X server (Xvfb), driven by real key
# presses (xdotool), its screen grabbed as a viewer sees it:
#  - paused, every seek (by scene, by order, back and forth) shows the frame
#    a whole headless run draws at that moment, pixel for pixel;
#  - a frame step shows the next frame, and a step back the one before;
#  - while paused the frame holds: a key that seeks nothing draws nothing;
#  - without --player the same keys change nothing: the show goes on;
#  - --at opens on the whole run's frame at its moment;
#  - with --watch a picture changed on disk is shown at once, paused, and a
#    picture damaged then keeps the one shown, with its message;
#  - --loop-range plays its stretch again and again, the music (whose
#    position the frames read) back at its start each time.
# Usage: player_test.sh PQN DATA WORK_DIR (PQN may be a script that runs
# pqn.exe under wine; DATA is the data set, copied for --watch to change).
# PLAYER_MODES="player loop" runs only the modes named (all four by default).
set -u
pqn=$1
data=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
cp -r "$data" "$work/data"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cat > "$work/session.sh" << 'EOF'
# Runs inside xvfb-run: $1 pqn, $2 work folder, $3 "player" or "party".
pqn=$1 work=$2 mode=$3
trace=$work/$mode.jsonl
frames() { local n; n=$(grep -c '"type":"frame"' "$trace" 2> /dev/null); echo "${n:-0}"; }
# Waits until the trace has more than $1 frames (or the program has ended).
wait_frames() {
    for i in $(seq 1200); do
        [ "$(frames)" -gt "$1" ] && return 0
        kill -0 "$pid" 2> /dev/null || return 1
        sleep 0.05
    done
    return 1
}
grab() { ffmpeg -nostdin -loglevel error -y -f x11grab -draw_mouse 0 -video_size 640x480 -i "$DISPLAY" -frames:v 1 "$work/$1.png"; }
# The position of the frame shown last, as order:row.
shown() { grep '"type":"frame"' "$trace" | tail -1 | sed 's/.*"order":\([0-9]*\),"row":\([0-9]*\).*/\1 \2/'; }
# Right or Left (one order on or back, the same row): grabs the frame it
# lands on as $2.png and notes where it should be.
seek_order() {
    read -r order row <<< "$(shown)"
    seek "$1"
    grab "$2"
    echo "$2 $((order + $3)):$row" >> "$work/targets"
}
# Presses a key that seeks: one more frame is traced when the seek has landed.
seek() {
    local before; before=$(frames)
    xdotool key "$1"
    wait_frames "$before" || echo "no frame after $1" >> "$work/$mode.problems"
}
if [ "$mode" = player ]; then
    "$pqn" --window --paused --fps 30 --trace "$trace" > "$work/$mode.out" 2>&1 &
elif [ "$mode" = loop ]; then
    "$pqn" --window --loop-range 5:0-5:12 --fps 30 --trace "$trace" > "$work/$mode.out" 2>&1 &
elif [ "$mode" = watch ]; then
    "$pqn" --window --paused --watch --at 9:20 --fps 30 --data "$work/data" --trace "$trace" > "$work/$mode.out" 2>&1 &
else
    "$pqn" --window --fps 30 --trace "$trace" > "$work/$mode.out" 2>&1 &
fi
pid=$!
wait_frames 0 || echo "the show never drew a frame" >> "$work/$mode.problems"
if [ "$mode" = player ]; then
    grab start
    echo "start 0:0" >> "$work/targets"
    seek 5; seek_order Right on-in-scene-5 1
    seek 9; seek Home; seek 7; seek_order Right on-in-scene-7 1
    seek_order Right on-again 1
    seek_order Left back -1
    seek Prior; seek Next; seek_order Right on-after-scenes 1
    seek period; grab step-forward
    seek comma; grab step-back
    before=$(frames)
    xdotool key F1 F1
    grab held
    [ "$(frames)" = "$before" ] || echo "a paused show drew frames" >> "$work/$mode.problems"
elif [ "$mode" = loop ]; then
    # Three times round: the frames' positions go back to 5:0 twice.
    returns() { grep '"type":"frame"' "$trace" | sed 's/.*"order":\([0-9]*\),"row":\([0-9]*\).*/\1 \2/' |
                awk '{ p = $1 * 256 + $2; if (p < last) n++; last = p } END { print n + 0 }'; }
    outside() { grep -q -e '"order":[0-46-9][0-9]*,' -e '"order":5,"row":\(1[2-9]\|[2-9][0-9]\)' "$trace"; }
    for i in $(seq 300); do
        [ "$(returns)" -ge 2 ] && break
        outside && break
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.2
    done
    [ "$(returns)" -ge 2 ] || echo "the stretch did not play again twice" >> "$work/$mode.problems"
elif [ "$mode" = watch ]; then
    grab watch-before
    picture="$work/data/images/tausta2.raw"  # scene 4's backdrop, 512 x 256 x 3
    before=$(frames)
    head -c 393216 /dev/zero | tr '\0' '\377' > "$picture.new" && mv "$picture.new" "$picture"
    wait_frames "$before" || echo "no frame after the picture changed" >> "$work/$mode.problems"
    grep -q '"type":"reloaded","file":"images\\\\tausta2.raw"' "$trace" || echo "the picture was not said reloaded" >> "$work/$mode.problems"
    grab watch-changed
    head -c 1000 /dev/zero > "$picture"
    for i in $(seq 600); do grep -q '"type":"error"' "$trace" && break; sleep 0.05; done
    grep '"type":"error"' "$trace" > "$work/watch.errors" || echo "no message for the damaged picture" >> "$work/$mode.problems"
    # The message box is closed as a viewer closes it: focused, and Return
    # pressed. (xdotool's search misses the box's UTF-8 name; xwininfo reads it.)
    message_box() { xwininfo -root -tree | awk '/"Kestrel Error"/ { print $1; exit }'; }
    box=""
    for i in $(seq 200); do box=$(message_box); [ -n "$box" ] && break; sleep 0.05; done
    if [ -z "$box" ]; then
        echo "no message box for the damaged picture" >> "$work/$mode.problems"
    else
        xdotool windowfocus --sync "$box" key Return
        for i in $(seq 200); do [ -z "$(message_box)" ] && break; sleep 0.05; done
        [ -n "$(message_box)" ] && echo "the message box did not close" >> "$work/$mode.problems"
    fi
    grab watch-damaged
else
    wait_frames 30
    xdotool key space Right 5 Home period L
    after=$(frames)
    wait_frames $((after + 30)) || echo "the show stopped after the keys" >> "$work/$mode.problems"
fi
xdotool key Escape
wait "$pid"
echo "$?" > "$work/$mode.status"
EOF

# Whether two pictures have the same pixels (PNG files of either writer).
same_pixels() {
    cmp -s <(ffmpeg -nostdin -loglevel quiet -i "$1" -f rawvideo -pix_fmt rgb24 -) <(ffmpeg -nostdin -loglevel quiet -i "$2" -f rawvideo -pix_fmt rgb24 -)
}

for mode in ${PLAYER_MODES:-player party loop watch}; do
    rm -f "$work/$mode.problems"
    xvfb-run -a -s "-screen 0 640x480x24" bash "$work/session.sh" "$pqn" "$work" "$mode"
    status=$(cat "$work/$mode.status" 2> /dev/null || echo none)
    if [ "$status" != 0 ] || [ -s "$work/$mode.problems" ]; then
        fail "$mode run: exit status $status"
        cat "$work/$mode.problems" 2> /dev/null
        echo "its output:"; cat "$work/$mode.out"
    fi
done

modes=" ${PLAYER_MODES:-player party loop watch} "
ran() { [[ "$modes" == *" $1 "* ]]; }

if ran player; then
    # The whole run's frames at the moments the seeks landed on
    # (in an X session too, which pqn.exe under wine needs even headless).
    shots=$(cut -d' ' -f2 "$work/targets" | paste -sd,)
    if ! xvfb-run -a -s "-screen 0 640x480x24" "$pqn" --headless --fps 30 --shot "$shots" --out "$work/whole" > "$work/whole.out" 2>&1; then
        echo "the headless run failed:"; cat "$work/whole.out"; exit 1
    fi
    while read -r grabbed position; do
        shot=$(printf 'shot-%03d-%02d.png' "${position%%:*}" "${position##*:}")
        same_pixels "$work/$grabbed.png" "$work/whole/$shot" ||
            fail "$grabbed: the screen ($work/$grabbed.png) is not the whole run's frame at $position ($work/whole/$shot)"
    done < "$work/targets"
    same_pixels "$work/step-back.png" "$work/on-after-scenes.png" || fail "a frame forward and back is not the frame it started at"
    same_pixels "$work/step-forward.png" "$work/on-after-scenes.png" && fail "a frame step showed the same frame"
    same_pixels "$work/held.png" "$work/step-back.png" || fail "the paused frame changed without a seek"
    # The trace: one frame per step, each a frame of the virtual clock apart.
    ms=$(grep '"type":"frame"' "$work/player.jsonl" | tail -3 | sed 's/.*"ms":\([0-9]*\).*/\1/' | tr '\n' ' ')
    read -r landed forward back <<< "$ms"
    [ $((forward - landed)) -ge 33 ] && [ $((forward - landed)) -le 34 ] && [ "$back" = "$landed" ] ||
        fail "the steps' show times were $ms (ms): a step is one frame of 1000/30 ms"
fi

if ran watch; then
    # --at opens on the whole run's frame at its moment.
    if ! xvfb-run -a -s "-screen 0 640x480x24" "$pqn" --headless --fps 30 --shot 9:20 --out "$work/at" > "$work/at.out" 2>&1; then
        echo "the headless run failed:"; cat "$work/at.out"; exit 1
    fi
    same_pixels "$work/watch-before.png" "$work/at/shot-009-20.png" ||
        fail "--at 9:20 opened on $work/watch-before.png, not the whole run's frame there ($work/at/shot-009-20.png)"
    same_pixels "$work/watch-changed.png" "$work/watch-before.png" && fail "a changed picture was not shown"
    same_pixels "$work/watch-damaged.png" "$work/watch-changed.png" || fail "a damaged picture did not keep the one shown"
    grep -q 'images\\\\tausta2.raw is 1000 bytes, 393216 needed' "$work/watch.errors" 2> /dev/null ||
        fail "the damaged picture's message was: $(cat "$work/watch.errors" 2> /dev/null)"
fi

# A loop's frames stay in its stretch, and each time round starts at its start.
if ran loop; then
    grep '"type":"frame"' "$work/loop.jsonl" | sed 's/.*"order":\([0-9]*\),"row":\([0-9]*\).*/\1 \2/' |
        awk '{ p = $1 * 256 + $2; if ($1 != 5 || $2 >= 12) { print "a frame at " $1 ":" $2; exit 1 }
               if ((NR == 1 || p < last) && $2 != 0) { print "a time round started at " $1 ":" $2; exit 1 } last = p }' ||
        fail "--loop-range 5:0-5:12 drew a frame outside its stretch or started a time round elsewhere"
fi

# Without --player the positions only go forward.
if ran party; then
    grep '"type":"frame"' "$work/party.jsonl" | sed 's/.*"order":\([0-9]*\),"row":\([0-9]*\).*/\1 \2/' |
        awk 'BEGIN { last = -1 } { p = $1 * 256 + $2; if (p < last) { print "went back to " $1 ":" $2; exit 1 } last = p }' ||
        fail "without --player a key moved the show back"
fi

[ "$failures" = 0 ] && echo "player: all checks passed"
exit $((failures > 0))
