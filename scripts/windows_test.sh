#!/usr/bin/env bash
# The Windows build's tests, under wine on Xvfb (no Windows machine needed):
# builds the zip (scripts/windows.sh), unpacks it into a folder named with a
# space and non-ASCII letters, and runs pqn.exe from another working folder:
# the DLLs it imports, its PE security flags, its icon and version
# information; the unit tests built for Windows (ctest, wine as the
# emulator); the reference moments, byte for byte the Linux references; a
# capture's PNG frames and audio.wav, byte for byte the Linux build's; the
# shaders' frames (--gl es3), byte for byte Linux's; videos encoded by an
# ffmpeg.exe beside pqn.exe and on the PATH (scripts/windows_ffmpeg.sh), and
# the message when there is none; the desktop's catalogue of damaged data sets against pqn.exe (exact messages,
# exit statuses); the last scene in a real window and full screen, grabbed
# from the X screen; the player's keys pressed in a real window, and the
# benchmark's seeks. Ends with "N passed, M failed"; the exit status is 1
# when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
bash scripts/windows.sh || exit 1
source scripts/lib/packages.sh
ensure_packages wine wine64 xvfb xauth xdotool x11-utils ffmpeg unzip icoutils googletest
ffmpeg_exe="$(bash scripts/windows_ffmpeg.sh)" || exit 1
# The unit tests for Windows, beside pqn.exe's build (the same objects).
cmake -S windows -B build-windows-cmake -DPQN_WINDOWS_TESTS=ON -DCMAKE_CROSSCOMPILING_EMULATOR=wine > /dev/null || exit 1
cmake --build build-windows-cmake -j"$(nproc)" > "build-windows-cmake/tests-build.log" 2>&1 ||
  { tail -30 build-windows-cmake/tests-build.log; exit 1; }
[ -x build/tests/catalogue_test ] || cmake --build build --target catalogue_test > /dev/null || exit 1
version="$(sed -n 's/^set(PQN_VERSION \([0-9.]*\))/\1/p' cmake/Common.cmake)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# PQN_WINDOWS_GRAB=FOLDER keeps the window's and the full screen's grabs, to look at.
folder="$work/Jürgen Downloads"
mkdir -p "$folder" "$work/elsewhere"
unzip -q "build-windows/pqn-$version-windows-x64.zip" -d "$folder"
exe="$folder/pqn-$version/pqn.exe"
source scripts/lib/reference_moments.sh
shots="$(reference_moments)"
passed=0
failed=0
check() {  # name, then a command that succeeds when the check holds
  local name="$1"
  shift
  if "$@" > "$work/check.log" 2>&1; then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    sed 's/^/    /' "$work/check.log"
  fi
}

imports_only_system_dlls() {
  local dll unexpected=0
  for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p'); do
    case "${dll,,}" in
      advapi32.dll|gdi32.dll|glu32.dll|imm32.dll|kernel32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|opengl32.dll|\
      setupapi.dll|shell32.dll|user32.dll|version.dll|winmm.dll|dbghelp.dll) ;;
      *) echo "imports $dll, which not every Windows has"; unexpected=1 ;;
    esac
  done
  return $unexpected
}

has_icon_and_version() {
  local resources
  resources="$(wrestool -l "$exe")"
  echo "$resources"
  grep -q -- '--type=14 ' <<< "$resources" || { echo "no icon"; return 1; }
  grep -q -- '--type=16 ' <<< "$resources" || { echo "no version information"; return 1; }
  # The small and the large sizes Explorer shows: 16, 24, 32, 48 and 256 pixels.
  [ "$(grep -c -- '--type=3 ' <<< "$resources")" = 5 ] || { echo "not five icon sizes"; return 1; }
}

has_security_flags() {
  local headers flag missing=0
  headers="$(x86_64-w64-mingw32-objdump -p "$exe")"
  for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
    grep -q "$flag" <<< "$headers" || { echo "no $flag"; missing=1; }
  done
  # A section that holds code must not be writable.
  x86_64-w64-mingw32-objdump -h "$exe" | grep -A1 '^ *[0-9]' | grep 'CODE' | grep -v 'READONLY' && missing=1
  return $missing
}

# Everything under wine runs in one X session with one wineserver, started
# inside it (a wineserver started without a display tells later programs of
# a small screen); wine's crash dialog is off, so a crash ends the program.
cat > "$work/session.sh" <<'SESSION'
set -u
export WINEPREFIX="$1/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
wineboot -i > /dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f > /dev/null 2>&1
wineserver -p
cd "$1/elsewhere"
shift
exec bash "$@"
SESSION
cat > "$work/runs.sh" <<'RUNS'
set -u
work="$1" exe="$2" shots="$3" root="$4"
(cd "$root/build-windows-cmake" && timeout 600 ctest --output-on-failure) > "$work/unit.log" 2>&1
echo $? > "$work/unit.status"
# The desktop's catalogue of damaged data sets, against pqn.exe, in two
# halves side by side.
shards=()
for shard in 0 1; do
  PQN_TEST_PROGRAM="wine '$exe'" GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard timeout 1200 \
    "$root/build/tests/catalogue_test" > "$work/catalogue-$shard.log" 2>&1 &
  shards+=($!)
done
status=0
for shard in "${shards[@]}"; do wait "$shard" || status=1; done
echo $status > "$work/catalogue.status"
timeout 300 wine "$exe" --headless --fps 30 --shot "$shots" --out 'Z:'"$work/shots" > "$work/shots.log" 2>&1
echo $? > "$work/shots.status"
timeout 300 wine "$exe" --headless --gl es3 --fps 30 --shot "$shots" --out 'Z:'"$work/es3-shots" > "$work/es3-shots.log" 2>&1
echo $? > "$work/es3-shots.status"
timeout 300 wine "$exe" --capture 'Z:'"$work/capture" --scene 8 --fps 10 --frames 20 > "$work/capture.log" 2>&1
echo $? > "$work/capture.status"
# Videos: with no ffmpeg.exe anywhere, then one beside pqn.exe (MP4), then
# one on the PATH only (Matroska).
timeout 300 wine "$exe" --capture 'Z:'"$work/none.mp4" --scene 8 --fps 10 --frames 20 > "$work/no-ffmpeg.log" 2>&1
echo $? > "$work/no-ffmpeg.status"
cp "$PQN_FFMPEG_EXE" "$(dirname "$exe")/ffmpeg.exe"
timeout 300 wine "$exe" --capture 'Z:'"$work/video.mp4" --scene 8 --fps 10 --frames 20 > "$work/mp4.log" 2>&1
echo $? > "$work/mp4.status"
# The benchmark of a second of the show, whose capture speeds run pqn.exe again.
timeout 600 wine "$exe" --bench --json --frames 60 > "$work/bench.log" 2> "$work/bench.err"
echo $? > "$work/bench.status"
rm "$(dirname "$exe")/ffmpeg.exe"
mkdir -p "$work/tools"
cp "$PQN_FFMPEG_EXE" "$work/tools/ffmpeg.exe"
WINEPATH='Z:'"$work/tools" timeout 300 wine "$exe" --capture 'Z:'"$work/video.mkv" --scene 8 --fps 10 --frames 20 \
  > "$work/mkv.log" 2>&1
echo $? > "$work/mkv.status"
mkdir -p "$work/empty"
timeout 300 wine "$exe" --headless --data 'Z:'"$work/empty" > "$work/empty.log" 2>&1
echo $? > "$work/empty.status"
# The last scene in a window, then full screen, each grabbed from the X
# screen once the show's music has reached order 24.
for mode in window fullscreen; do
  option=""
  [ "$mode" = window ] && option="--window"
  timeout 300 wine "$exe" $option --scene 9 --trace 'Z:'"$work/$mode.jsonl" > "$work/$mode.log" 2>&1 &
  for i in $(seq 1200); do grep -q '"order":24' "$work/$mode.jsonl" 2> /dev/null && break; sleep 0.1; done
  ffmpeg -loglevel error -y -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 "$work/$mode.png" \
    -f rawvideo -pix_fmt gray -frames:v 1 "$work/$mode.gray"
  wait
  echo $? > "$work/$mode.status"
done
wineserver -k
RUNS
mkdir -p "$work/shots" "$work/es3-shots" "$work/linux-es3-shots"
PQN_FFMPEG_EXE="$ffmpeg_exe" xvfb-run -a -s '-screen 0 1024x768x24' bash "$work/session.sh" "$work" "$work/runs.sh" "$work" "$exe" "$shots" "$root"

shots_are_the_references() {
  local name different=0
  [ "$(cat "$work/shots.status")" = 0 ] || { echo "exit status $(cat "$work/shots.status"):"; cat "$work/shots.log"; return 1; }
  for name in $(cd tests/reference && ls shot-*.png); do
    cmp -s "$work/shots/$name" "tests/reference/$name" || { echo "$name differs from the Linux reference"; different=1; }
  done
  return $different
}

# Wine has no OpenGL ES: the shaders draw on a 3.3 core context, and what
# they draw is what they draw on Linux's OpenGL ES 3.0.
es3_shots_are_linuxs() {
  echo "pqn.exe --gl es3 ended with $(cat "$work/es3-shots.status") and printed:"
  cat "$work/es3-shots.log"
  [ "$(cat "$work/es3-shots.status")" = 0 ] || return 1
  build/pqn --headless --gl es3 --fps 30 --shot "$shots" --out "$work/linux-es3-shots" > /dev/null 2>&1 || return 1
  diff -r "$work/linux-es3-shots" "$work/es3-shots"
}

capture_is_linuxs() {
  echo "pqn.exe ended with $(cat "$work/capture.status") and printed:"
  cat "$work/capture.log"
  [ "$(cat "$work/capture.status")" = 0 ] || return 1
  build/pqn --capture "$work/linux-capture" --scene 8 --fps 10 --frames 20 > /dev/null 2>&1 || return 1
  diff -r "$work/linux-capture" "$work/capture"
}

# A video made through ffmpeg.exe: H.264 and two seconds of sound, its 20
# frames those of the PNG capture of the same run within the encoder's loss
# (35.5 dB on Linux; the frames one out of place, 28.8 dB).
video_is_the_capture() {
  local name="$1" status
  status="$(cat "$work/$name.status")"
  echo "pqn.exe ended with $status and printed:"
  cat "$work/$name.log"
  [ "$status" = 0 ] || return 1
  ffprobe -v error -count_frames -show_entries stream=codec_name,nb_read_frames -of csv=p=0 "$work/video.$name" |
    tee "$work/$name.streams"
  grep -qx 'h264,20' "$work/$name.streams" || { echo "not 20 frames of H.264"; return 1; }
  # The sound: the two seconds of the clip (352800 bytes of 16-bit stereo), less at most the encoder's delay.
  local soundBytes
  soundBytes="$(ffmpeg -v error -i "$work/video.$name" -map 0:a -f s16le -ac 2 -ar 44100 - | wc -c)"
  echo "sound: $soundBytes bytes"
  [ "$soundBytes" -ge 340000 ] || { echo "not the clip's two seconds of sound"; return 1; }
  local psnr
  psnr="$(ffmpeg -i "$work/video.$name" -framerate 10 -i "$work/capture/frame-%06d.png" \
    -lavfi '[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr' -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.]*\).*/\1/p')"
  echo "PSNR against the PNG frames: ${psnr:-none} dB"
  awk -v psnr="$psnr" 'BEGIN { exit !(psnr + 0 > 32) }'
}

no_ffmpeg_says_where_it_looked() {
  cat "$work/no-ffmpeg.log"
  [ "$(cat "$work/no-ffmpeg.status")" = 1 ] || { echo "exit status $(cat "$work/no-ffmpeg.status"), not 1"; return 1; }
  grep -q "^pqn: capturing to a video needs ffmpeg, which is found neither beside pqn.exe (in .*pqn-$version) nor on the PATH" \
    "$work/no-ffmpeg.log"
}

empty_data_says_what_linux_says() {
  [ "$(cat "$work/empty.status")" = 0 ] || { echo "exit status $(cat "$work/empty.status"):"; cat "$work/empty.log"; return 1; }
  mkdir -p "$work/linux-empty"
  build/pqn --headless --data "$work/linux-empty" 2>&1 | grep '^Kestrel Error' > "$work/linux-empty.log"
  grep '^Kestrel Error' "$work/empty.log" | tr -d '\r' | diff "$work/linux-empty.log" -
}

# Each size's capture speed comes from two more runs of pqn.exe: none may be 0.
bench_measures_capture_speeds() {
  echo "pqn.exe --bench ended with $(cat "$work/bench.status") and printed:"
  cat "$work/bench.log" "$work/bench.err"
  [ "$(cat "$work/bench.status")" = 0 ] || return 1
  python3 - "$work/bench.log" <<'PY'
import json, sys
lines = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8", errors="replace") if line.startswith("{")]
speeds = [entry for line in lines for entry in line.get("capture_speeds", [])]
print("capture speeds:", [(s["size"], s["render_speed"], s["capture_speed"]) for s in speeds])
sys.exit(0 if len(speeds) == 3 and all(s["render_speed"] > 0 and s["capture_speed"] > 0 for s in speeds) else 1)
PY
}

unit_tests_pass() {
  cat "$work/unit.log"
  [ "$(cat "$work/unit.status")" = 0 ]
}

catalogue_says_what_linux_says() {
  cat "$work/catalogue-0.log" "$work/catalogue-1.log"
  [ "$(cat "$work/catalogue.status")" = 0 ]
}

# The grab of a mode (window or fullscreen): the show ran to its end, and
# the screen shows the picture where that mode puts it and black around it.
# pqn.exe under wine in the prefix of the runs above, for the player's test
# (which starts its own X sessions and presses keys with xdotool).
cat > "$work/pqn-wine" <<WRAPPER
#!/bin/bash
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
exec wine "$exe" "\$@"
WRAPPER
chmod +x "$work/pqn-wine"

player_keys_work() { bash "$root/tests/player_test.sh" "$work/pqn-wine" "$root/build/data" "$work/player"; }

seeks_are_exact() {
  xvfb-run -a -s "-screen 0 640x480x24" "$work/pqn-wine" --headless --bench --fps 10 --scale 1 > "$work/seeks.log" 2>&1
  local status=$?
  tail -2 "$work/seeks.log"
  [ "$status" = 0 ] && grep -q "the whole run's frame in 40 of 40 compared" "$work/seeks.log"
}

screen_shows_the_last_scene() {
  local mode="$1"
  echo "pqn.exe ended with $(cat "$work/$mode.status") and printed:"
  cat "$work/$mode.log"
  [ "$(cat "$work/$mode.status")" = 0 ] || return 1
  grep -q '"order":27' "$work/$mode.jsonl" || { echo "the show did not reach its end order"; return 1; }
  python3 - "$work/$mode.gray" "$mode" <<'PY'
import sys
grey, mode = open(sys.argv[1], "rb").read(), sys.argv[2]
width, height = 1024, 768
def lit(x0, y0, x1, y1):
    return sum(1 for y in range(y0, y1) for x in range(x0, x1) if grey[y * width + x] > 40)
if mode == "window":
    # A 640x480 window somewhere on the screen: lit pixels, and most of the screen black.
    shown, around = lit(0, 0, width, height), 0
    ok = 5000 < shown < 640 * 480
else:
    # Full screen: the 640x256 picture scaled to the screen's width, between
    # black bars (the music's readout in the top left corner).
    bar = (height - width * 256 // 640) // 2
    shown = lit(0, bar + 8, width, height - bar - 8)
    around = lit(256, 0, width, bar - 8) + lit(0, 40, 256, bar - 8) + lit(0, height - bar + 8, width, height)
    ok = shown > 20000 and around == 0
print("lit pixels in the picture:", shown, "around it:", around)
sys.exit(0 if ok else 1)
PY
}

check "pqn.exe imports only DLLs every Windows has" imports_only_system_dlls
check "pqn.exe is built with ASLR (high entropy) and DEP, no code section writable" has_security_flags
check "pqn.exe carries its icon at five sizes and its version information" has_icon_and_version
check "the unit tests built for Windows pass under wine" unit_tests_pass
check "the reference moments under wine are the Linux references byte for byte" shots_are_the_references
check "with --gl es3 the shaders draw under wine what they draw on Linux, byte for byte" es3_shots_are_linuxs
check "a capture under wine is the Linux build's frames and sound byte for byte" capture_is_linuxs
check "with no ffmpeg.exe a video capture says where it looked and fails" no_ffmpeg_says_where_it_looked
check "--bench under wine measures every capture speed by running pqn.exe again" bench_measures_capture_speeds
check "an ffmpeg.exe beside pqn.exe encodes the capture to MP4" video_is_the_capture mp4
check "an ffmpeg.exe on the PATH encodes the capture to Matroska" video_is_the_capture mkv
check "an empty data folder gives the Linux build's messages and the show ends" empty_data_says_what_linux_says
check "the damaged data sets give pqn.exe the Linux build's messages and exit statuses" catalogue_says_what_linux_says
check "the last scene runs in a real window under wine to its end" screen_shows_the_last_scene window
check "the last scene runs full screen under wine, letterboxed, to its end" screen_shows_the_last_scene fullscreen
check "the player's keys under wine land every seek on the whole run's frame, step one frame, and do nothing without --player; --watch shows a changed picture and keeps it when damaged" player_keys_work
check "the benchmark's forty seeks under wine each show the whole run's frame" seeks_are_exact
[ -n "${PQN_WINDOWS_GRAB:-}" ] && cp "$work/window.png" "$work/fullscreen.png" "$PQN_WINDOWS_GRAB"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
