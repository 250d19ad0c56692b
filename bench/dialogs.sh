#!/bin/bash
# Opening times of the calendar and the logon prompt under Xvfb. Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
cmake --build build --target bench_dialogs -j2 >/dev/null
bash scripts/with-display.sh build/wine-run.sh build/bench/bench_dialogs.exe
