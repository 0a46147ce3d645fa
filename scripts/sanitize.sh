#!/usr/bin/env bash
# Builds and runs the tests under the sanitizers (after scripts/setup.sh):
# every test with AddressSanitizer and UndefinedBehaviorSanitizer, the music
# and sound-thread tests with ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPQN_HARDENING=OFF \
  -DCMAKE_CXX_FLAGS="-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" > /dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" ctest -j"$jobs" --output-on-failure)

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DPQN_HARDENING=OFF -DCMAKE_CXX_FLAGS="-O1 -fsanitize=thread" > /dev/null
cmake --build build-tsan -j"$jobs" --target music_test realtime_audio_test
(cd build-tsan && ctest -j"$jobs" --output-on-failure -L threads --no-tests=error)
