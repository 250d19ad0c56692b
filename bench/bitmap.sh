#!/bin/bash
# Transparent bitmap benchmark in the build's prefix. Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
build="${ZOR_BUILD:-build}" # build64 for the 64-bit library
cmake --build "$build" --target bench_bitmap -j2 >/dev/null
bash scripts/with-display.sh "$build"/wine-run.sh "$build"/bench/bench_bitmap.exe
