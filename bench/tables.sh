#!/bin/bash
# Table access benchmarks in the build's prefix. Run after scripts/setup.sh.
# 1. SeekACERecord from VBScript against ExtractExtension; 2. the engine's own open time,
# seek rate and locate rate (with its allocations per record) on a generated table of 1,000,000
# records with its index.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
cmake --build build --target bench_engine -j2 >/dev/null
data="Z:$(pwd | tr / '\\')\\tests\\data\\xbase"
bash scripts/with-display.sh build/wine-run.sh cscript //nologo "Z:$(pwd | tr / '\\')\\bench\\tables.vbs" "$data"
cd build && ./wine-run.sh bench_engine.exe
