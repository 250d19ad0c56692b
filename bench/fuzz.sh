#!/bin/bash
# The long fuzz run: the native parsers (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) for SECS seconds each, then the library's free-text and file
# methods under Wine with ITER generated inputs each. Prints the inputs tried per parser and
# any crash or broken invariant. Run after setting up: bash bench/fuzz.sh [SECS] [ITER]
set -uo pipefail
cd "$(dirname "$0")/.."
secs="${1:-120}"
iter="${2:-5000}"
bash fuzz/run.sh build long "$secs"
native=$?
start=$(date +%s)
ZOR_FUZZ_ITERATIONS="$iter" ZOR_FUZZ_SEED="$start" ZOR_BUILD=build bash scripts/with-display.sh bash -c \
  'cd build && ctest --output-on-failure -R "^test_fuzz$"' | grep -E "tests passed|Failed|FAILED|Passed"
wine=${PIPESTATUS[0]}
echo "under Wine: $iter inputs per method (seed $start, paths 4x), $(( $(date +%s) - start )) s"
exit $(( native || wine ))
