#!/usr/bin/env bash
# Makes the pictures of docs/ anew from build/'s program and data set: the
# nine scenes' screenshots, the show's contact sheet (a frame every two
# seconds), the data set's pictures and the meshes. With --reference it also
# makes the test's reference frames (tests/reference/) anew, which is right
# only when the data set's pictures, meshes or module have changed on purpose.
set -euo pipefail
cd "$(dirname "$0")/.."

pqn=build/pqn
[ -x "$pqn" ] || { echo "docs_pictures: build the program first (bash scripts/setup.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One moment of each scene, as the README's table shows them.
moments=(1:40 4:20 6:60 11:20 14:40 17:56 19:20 22:8 24:10)
"$pqn" --headless --fps 30 --shot "$(IFS=,; echo "${moments[*]}")" --out "$work/shots" > "$work/shots.log" 2>&1 ||
    { cat "$work/shots.log" >&2; exit 1; }
for i in "${!moments[@]}"; do
    order=${moments[$i]%:*} row=${moments[$i]#*:}
    cp "$work/shots/$(printf 'shot-%03d-%02d.png' "$order" "$row")" "docs/scene$((i + 1)).png"
done

# The whole show at a frame a second, every second frame of it tiled: the
# band of each, 160 x 64, eight to a row.
"$pqn" --capture "$work/show" --fps 1 > "$work/show.log" 2>&1 || { cat "$work/show.log" >&2; exit 1; }
frames=$(ls "$work/show" | grep -c '^frame-')
rows=$(( (frames / 2 + 8) / 8 ))
ffmpeg -loglevel error -y -framerate 1 -i "$work/show/frame-%06d.png" \
    -vf "select=not(mod(n\,2)),crop=640:256:0:112,scale=160:64,pad=164:68:2:2,tile=8x${rows}" \
    -frames:v 1 -update 1 docs/show-contact-sheet.png

build/tools/pqn-data "$work/data" --sheet docs/contact-sheet.png
build/tools/pqn-meshes docs/meshes

if [ "${1:-}" = "--reference" ]; then
    shots=$(sed -n 's/^set(PQN_REFERENCE_SHOTS "\(.*\)")$/\1/p' tests/CMakeLists.txt)
    rm -f tests/reference/shot-*.png
    "$pqn" --headless --fps 30 --shot "$shots" --out tests/reference
fi
echo "docs_pictures: docs/ made anew$([ "${1:-}" = "--reference" ] && echo ", and tests/reference/")"
