#!/bin/bash
# A 3 GB table (and its 1.7 GB index) written on the fly and read by the engine in a 32-bit
# process: a locate of the last record, a count by filter and seeks, each checked, and the
# address space the engine took. Run after scripts/setup.sh; needs about 5 GB of free disk.
# bigtable.sh [MEGABYTES] [noindex]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
cmake --build build --target bigtable ace32 -j2 >/dev/null
scratch="$(mktemp -d "$PWD/build/bigtable.XXXXXX")"
trap 'rm -rf "$scratch"; zor_bench_restore' EXIT
start=$(date +%s.%N)
bash scripts/with-display.sh build/wine-run.sh build/bigtable.exe "${1:-3072}" "Z:$(echo "$scratch" | tr / '\\')" ${2:-}
echo "in $(echo "$(date +%s.%N) - $start" | bc) s"
