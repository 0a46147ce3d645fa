#!/usr/bin/env bash
# What each scene's pixels are spent on, on Mesa's llvmpipe (a benchmark, not
# a test). The show's own --bench at 640x480 times FRAMES frames from each
# scene's start, with llvmpipe's switches that each leave out one part of the
# work on pixels (LP_PERF: no_blend draws unblended, no_tex reads white for
# every texel, no_depth drops the depth test, no_rast_linear turns off the
# rasteriser's linear path; no_shade is left out, as it acts only where the
# linear path runs), each in turn, ROUNDS times, in an order that moves round
# by round so that a machine's drift falls on all alike. It prints per scene
# the median frame in ms with everything on, and what each switch takes off
# it: roughly what that part of the work costs a frame (differences under
# half a millisecond are the machine's noise here). The pictures drawn with a switch on are
# wrong; only their times are kept. A first round, not kept, fills a shader
# cache of each switch's own (the driver's cache does not tell the switches'
# shaders apart).
#   PQN=build/pqn     the program to measure
#   GL=es3            the path to measure (es3 or fixed)
#   DATA=build/data   the data set it shows
#   ROUNDS=5          runs of each
#   FRAMES=300        frames timed from each scene's start
set -euo pipefail
cd "$(dirname "$0")/.."
pqn="$(realpath "${PQN:-build/pqn}")"
data="$(realpath "${DATA:-build/data}")"
gl="${GL:-es3}"
rounds="${ROUNDS:-5}"
frames="${FRAMES:-300}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
switches=(all no_blend no_tex no_depth no_rast_linear)
for round in $(seq 0 "$rounds"); do
  for scene in $(seq 1 9); do
    for i in "${!switches[@]}"; do
      switch="${switches[$(( (i + round + scene) % ${#switches[@]} ))]}"
      perf=""
      [ "$switch" = all ] || perf="$switch"
      if ! LP_PERF="$perf" MESA_SHADER_CACHE_DIR="$work/cache-$switch" "$pqn" --bench --json --scale 1 --gl "$gl" --data "$data" --scene "$scene" \
          --frames "$frames" > "$work/out" 2> "$work/errors"; then
        echo "pixel_profile: $pqn --gl $gl --scene $scene with LP_PERF=$perf failed:"; cat "$work/errors"; exit 1
      fi
      [ "$round" = 0 ] || tail -n 1 "$work/out" > "$work/$switch-$scene-$round.json"
    done
  done
done
python3 - "$work" "$rounds" "$gl" "${switches[@]}" <<'PY'
import json, statistics, sys
work, rounds, gl, switches = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
def frame_ms(switch):
    by_scene = {}
    for scene in range(1, 10):
        for r in range(1, rounds + 1):
            with open(f"{work}/{switch}-{scene}-{r}.json") as f:
                figures = next(s for s in json.load(f)["scenes"] if s["scene"] == scene)
                by_scene.setdefault(scene, []).append(1000 / figures["fps"])
    return {s: statistics.median(v) for s, v in by_scene.items()}
ms = {switch: frame_ms(switch) for switch in switches}
print(f"--gl {gl} at 640x480, {rounds} runs of each scene: the median frame, and the ms each switch takes off it")
print("scene  frame ms" + "".join(f"{s:>16}" for s in switches[1:]))
for scene in sorted(ms["all"]):
    whole = ms["all"][scene]
    cells = "".join(f"{whole - ms[s][scene]:9.2f} ({(whole - ms[s][scene]) / whole:4.0%})" for s in switches[1:])
    print(f"{scene:5d} {whole:9.2f}{cells}")
PY
