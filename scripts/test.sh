#!/usr/bin/env bash
# Sets up, builds and runs every test (headless: no display or sound card needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
ctest --output-on-failure -j"$(nproc)"
