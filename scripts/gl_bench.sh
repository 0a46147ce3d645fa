#!/usr/bin/env bash
# Frames per second per scene with the driver's fixed function and with the
# program's OpenGL ES 3.0 shaders (--gl es3), in one run of this script (a
# benchmark, not a test): each is timed ROUNDS times by the show's own
# --bench at 640x480, in turn so that all meet the same load on the machine,
# and the median of each scene's rounds is printed: frames per second, the
# 99th-percentile frame, the ratio es3 / fixed, and the draws per frame each
# path hands the driver. With BEFORE set, a second build is timed in the
# same rounds, alternating with the first, and the two tables are printed
# one above the other.
#   PQN=build/pqn     the program to measure
#   BEFORE=           another build of it to compare with (an older commit's)
#   DATA=build/data   the data set both show
#   ROUNDS=3          runs of each (a whole-show bench takes about 45 s here)
set -euo pipefail
cd "$(dirname "$0")/.."
pqn="$(realpath "${PQN:-build/pqn}")"
before="${BEFORE:+$(realpath "$BEFORE")}"
data="$(realpath "${DATA:-build/data}")"
rounds="${ROUNDS:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
builds=(after)
[ -n "$before" ] && builds=(before after)
for round in $(seq "$rounds"); do
  for build in "${builds[@]}"; do
    program="$pqn"
    [ "$build" = before ] && program="$before"
    for gl in fixed es3; do
      if ! "$program" --bench --json --scale 1 --gl "$gl" --data "$data" > "$work/out" 2> "$work/errors"; then
        echo "gl_bench: $program --gl $gl failed:"; cat "$work/errors"; exit 1
      fi
      tail -n 1 "$work/out" > "$work/$build-$gl-$round.json"
    done
  done
done
python3 - "$work" "$rounds" "${builds[@]}" <<'PY'
import json, statistics, sys
work, rounds, builds = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
def medians(build, gl):
    by_scene = {}
    for r in range(1, rounds + 1):
        with open(f"{work}/{build}-{gl}-{r}.json") as f:
            for scene in json.load(f)["scenes"]:
                for key in ("fps", "p99_ms", "draws"):
                    if key in scene:
                        by_scene.setdefault(scene["scene"], {}).setdefault(key, []).append(scene[key])
    return {s: {k: statistics.median(v) for k, v in values.items()} for s, values in by_scene.items()}
def draws(figures):
    return f"{figures['draws']:7.1f}" if "draws" in figures else "      -"
for build in builds:
    fixed, es3 = medians(build, "fixed"), medians(build, "es3")
    title = {"before": "BEFORE", "after": "PQN"}[build]
    print(f"{title}: median of {rounds} runs each at 640x480")
    print("scene  fixed fps  es3 fps  es3/fixed  fixed p99 ms  es3 p99 ms  fixed draws  es3 draws")
    for scene in sorted(fixed):
        f, e = fixed[scene], es3[scene]
        print(f"{scene:5d} {f['fps']:10.1f} {e['fps']:8.1f} {e['fps'] / f['fps']:10.2f} {f['p99_ms']:13.1f}"
              f" {e['p99_ms']:11.1f}     {draws(f)}    {draws(e)}")
    worst = min(es3[s]["fps"] / fixed[s]["fps"] for s in fixed)
    print(f"lowest es3/fixed: {worst:.2f}; highest es3 p99: {max(es3[s]['p99_ms'] for s in es3):.1f} ms\n")
PY
