#!/usr/bin/env bash
# Figures of what a viewer sees, frame by frame, in the band of a 30 fps
# capture of the whole show (made here unless FRAMES names a folder of
# frame-NNNNNN.png): the frames most of whose band is pure white, the frames
# whose brightness leaves and comes back in one frame, the one-frame jumps
# (cuts and pops) and the stretches where nothing moves for three seconds.
#   bash scripts/look_figures.sh            # build/pqn on build/data
#   DATA=DIR FRAMES=DIR bash scripts/look_figures.sh
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frames=${FRAMES:-}
if [ -z "$frames" ]; then
    frames=$work/frames
    build/pqn ${DATA:+--data "$DATA"} --capture "$frames" --fps 30 > "$work/capture.log" 2>&1 ||
        { cat "$work/capture.log" >&2; exit 1; }
fi
[ -e "$frames/frame-000000.png" ] || { echo "look_figures: no frame-000000.png in $frames" >&2; exit 1; }

# Per frame of the band: mean luma, its difference to the frame before, and
# the share of pure white pixels (luma 235 of the video range, 20 or less once
# the picture is negated).
ffmpeg -loglevel error -framerate 30 -i "$frames/frame-%06d.png" \
    -vf "crop=640:256:0:112,signalstats,metadata=print:file=$work/luma.txt,negate,blackframe=amount=0:threshold=21,metadata=print:key=lavfi.blackframe.pblack:file=$work/white.txt" \
    -f null -
awk -F'[ =]+' '/lavfi.signalstats.YAVG/ {y[n] = $2} /lavfi.signalstats.YDIF/ {d[n] = $2; n++}
    END {for (i = 0; i < n; i++) print i, y[i], d[i]}' "$work/luma.txt" > "$work/frames.txt"
awk -F'[ :=]+' '/^frame/ {frame = $2} /pblack/ {print frame, $2}' "$work/white.txt" > "$work/whites.txt"

echo "frames: $(wc -l < "$work/frames.txt") ($(awk 'END {printf "%.1f", NR / 30}' "$work/frames.txt") s)"
echo "most white (share of the band pure white, frame, seconds):"
sort -k2,2nr "$work/whites.txt" | awk 'NR <= 5 {printf "  %d %%  frame %d  %.2f s\n", $2, $1, $1 / 30}'
awk '{y[NR] = $2; d[NR] = $3}
    END {
        print "brightness away for one frame only (frame, seconds, luma before, in, after):"
        for (i = 2; i < NR; i++)
            if ((y[i] - y[i-1] > 15 || y[i-1] - y[i] > 15) && (y[i] - y[i+1] > 15 || y[i+1] - y[i] > 15) &&
                y[i-1] - y[i+1] < 6 && y[i+1] - y[i-1] < 6)
                printf "  frame %d  %.2f s  %.0f %.0f %.0f\n", i - 1, (i - 1) / 30, y[i-1], y[i], y[i+1]
        print "one-frame jumps (luma difference over 8 and four times the frames around it):"
        for (i = 3; i < NR; i++) {
            around = d[i-1] > d[i+1] ? d[i-1] : d[i+1]
            if (d[i] > 8 && d[i] > 4 * (around > 0.5 ? around : 0.5)) printf "  frame %d  %.2f s  %.1f\n", i - 1, (i - 1) / 30, d[i]
        }
        print "still for three seconds or more (from, to, in seconds):"
        run = 0
        for (i = 2; i <= NR + 1; i++) {
            if (i <= NR && d[i] == 0) { run++; continue }
            if (run >= 90) printf "  %.1f to %.1f s\n", (i - 1 - run) / 30, (i - 1) / 30
            run = 0
        }
    }' "$work/frames.txt"
