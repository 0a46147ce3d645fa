#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 25) on seeds from the default data set (after
# scripts/setup.sh), the inputs in tests/fuzz/regressions and the corpus kept
# in tests/fuzz/corpus. Fails on any crash, timeout, leak or sanitizer report;
# what libFuzzer found is left in build-fuzz/ as crash-* or timeout-* files.
# With FUZZ_KEEP=1 the inputs that reached new code are merged into the kept
# corpus, so that runs on different days add up.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-25}"
source scripts/lib/packages.sh
ensure_packages clang libclang-rt-14-dev
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DPQN_HARDENING=OFF -DCMAKE_CXX_COMPILER=clang++ -DPQN_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" > /dev/null
cmake --build build-fuzz -j"$(nproc)" --target object_list_fuzz r3d_fuzz picture_fuzz xm_sync_fuzz module_fuzz

data="${PQN_DATA:-build/data}"
seeds=build-fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/object_list "$seeds"/r3d "$seeds"/picture "$seeds"/xm_sync "$seeds"/module
cp "$data/objects/r3d.log" "$seeds/object_list/"
while read -r name offset; do
  { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((offset & 255)) $(((offset >> 8) & 255)) $(((offset >> 16) & 255)) $(((offset >> 24) & 255)))"
    cat "$data/objects/objects.r3d"; } > "$seeds/r3d/$name"
done < "$data/objects/r3d.log"
for f in m at rengas ktausta; do
  { printf '\x0f\x0f\x03'; head -c 4096 "$data/images/$f.raw"; } > "$seeds/picture/$f"
done
cp "$data/biisi.xm" "$seeds/module/"
head -c 4096 "$data/biisi.xm" > "$seeds/xm_sync/biisi-start.xm"
# Inputs that once crashed a harness or ran past its time limit, and the kept
# corpus, run first.
for dir in tests/fuzz/regressions/*/ tests/fuzz/corpus/*/; do
  cp "$dir"* "$seeds/$(basename "$dir")/"
done

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
# A smaller quarantine and shorter allocation stacks: libopenmpt allocates a
# lot per module, and the time went to the sanitizer's bookkeeping.
export ASAN_OPTIONS="quarantine_size_mb=16:malloc_context_size=8"
# Inputs longer than the limit are cut, so the large seeds give their first records and patterns.
for entry in object_list:4096 r3d:131072 picture:70000 xm_sync:4096 module:16384; do
  harness="${entry%%:*}"
  mkdir -p "build-fuzz/corpus/$harness"
  echo "fuzzing $harness for $seconds s"
  (cd build-fuzz && "tests/fuzz/${harness}_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 \
     -max_len="${entry##*:}" -print_final_stats=1 "corpus/$harness" "seeds/$harness" 2>&1 | tail -n 6)
done
if [ "${FUZZ_KEEP:-0}" = 1 ]; then
  build-fuzz/tests/fuzz/xm_sync_fuzz -merge=1 -max_len=4096 tests/fuzz/corpus/xm_sync build-fuzz/corpus/xm_sync 2>&1 | tail -n 1
fi
