#!/bin/bash
# Scrambling and waiting benchmarks in the build's prefix. Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
cmake --build build --target bench_crypt -j2 >/dev/null
bash scripts/with-display.sh build/wine-run.sh build/bench/bench_crypt.exe
