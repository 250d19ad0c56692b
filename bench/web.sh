#!/bin/bash
# Web helper benchmarks under Wine, in the build's prefix (run after scripts/setup.sh):
# four processes incrementing one counter 500 times each in parallel, and ReadTextFile of a
# 1 MB text file against the same transformation as a VBScript loop.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
out="$PWD/build/bench"
mkdir -p "$out"
win() { echo "Z:$1" | tr / '\\'; }
run() {
    rm -f "$out/hits.cnt"
    local start end
    start=$(date +%s.%N)
    for _ in 1 2 3 4; do
        build/wine-run.sh cscript //nologo "$(win "$PWD/tests/data/bump_counter.vbs")" "$(win "$out/hits.cnt")" 500 &
    done
    wait
    end=$(date +%s.%N)
    local count
    count=$(tr -d '\r\n' < "$out/hits.cnt")
    awk -v s="$start" -v e="$end" -v c="$count" 'BEGIN { printf "counter: 4 processes x 500 increments in %.2f s: %.0f increments/s; final count %s (expected 2000)\n", e - s, 2000 / (e - s), c }'
    # A 1 MB text: lines of varying length, some blank.
    awk 'BEGIN { srand(7); for (i = 0; i < 16000; i++) { if (i % 9 == 0) printf "\r\n"; else { s = ""; n = 20 + int(rand() * 90); for (j = 0; j < n; j++) s = s sprintf("%c", 97 + int(rand() * 26)); printf "%s\r\n", s } } }' > "$out/text1mb.txt"
    build/wine-run.sh cscript //nologo "$(win "$PWD/bench/web.vbs")" "$(win "$out/text1mb.txt")"
}
export -f run win
export out
bash scripts/with-display.sh bash -c run
