#!/bin/bash
# Long soak: every method of every class through IDispatch with good and hostile arguments for
# ZOR_SOAK_ROUNDS rounds (default 1000) in one apartment, then in three at once and through
# marshalled interfaces; prints the calls made, the time taken, the calls per second and the
# handles, GDI objects, private bytes and DllCanUnloadNow before and after. Run after
# scripts/setup.sh (or scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${ZOR_BUILD:-build}"
[ -f "$build"/tests/test_soak.exe ] || { echo "build first: bash scripts/setup.sh" >&2; exit 1; }
export ZOR_SOAK_ROUNDS="${ZOR_SOAK_ROUNDS:-1000}"
bash scripts/with-display.sh bash -c "cd '$build/tests' && ../wine-run.sh ./test_soak.exe" 2>&1 |
    grep -E '^(calls|before|after)|^\[ *(OK|FAILED|RUN) *\]|Failure|Expected|actual' |
    awk '/^calls/ { calls = $2 } { print }
         /^\[ *(OK|FAILED) *\].* ms\)/ && calls { ms = $0; sub(/.*\(/, "", ms); sub(/ ms\).*/, "", ms)
             if (ms > 0) printf "  %d calls in %.1f s: %.0f calls per second\n", calls, ms / 1000, calls * 1000 / ms; calls = 0 }'
