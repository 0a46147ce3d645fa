#!/usr/bin/env bash
# Frames per second per scene with the driver's fixed function and with the
# program's OpenGL ES 3.0 shaders (--gl es3), in one run of this script (a
# benchmark, not a test): each is timed ROUNDS times by the show's own
# --bench at 640x480, the two in turn so that both meet the same load on the
# machine, and the median of each scene's rounds is printed with the ratio
# es3 / fixed.
#   PQN=build/pqn     the program to measure
#   ROUNDS=3          runs of each (a whole-show bench takes about 45 s here)
set -euo pipefail
cd "$(dirname "$0")/.."
pqn="$(realpath "${PQN:-build/pqn}")"
rounds="${ROUNDS:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for round in $(seq "$rounds"); do
  for gl in fixed es3; do
    "$pqn" --bench --json --scale 1 --gl "$gl" 2> /dev/null | tail -n 1 > "$work/$gl-$round.json"
  done
done
python3 - "$work" "$rounds" <<'PY'
import json, statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
def fps(gl):
    by_scene = {}
    for r in range(1, rounds + 1):
        with open(f"{work}/{gl}-{r}.json") as f:
            for scene in json.load(f)["scenes"]:
                by_scene.setdefault(scene["scene"], []).append(scene["fps"])
    return {scene: statistics.median(values) for scene, values in by_scene.items()}
fixed, es3 = fps("fixed"), fps("es3")
print(f"frames per second per scene, median of {rounds} runs each at 640x480")
print("scene   fixed     es3   es3/fixed")
for scene in sorted(fixed):
    print(f"{scene:5d} {fixed[scene]:7.1f} {es3[scene]:7.1f}   {es3[scene] / fixed[scene]:9.2f}")
worst = min(es3[s] / fixed[s] for s in fixed)
print(f"lowest ratio: {worst:.2f}")
PY
