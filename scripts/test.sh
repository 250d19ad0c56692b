#!/bin/bash
# Sets everything up, then runs every test (C++ under Wine and scripts under cscript) by ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/with-display.sh bash -c 'cd build && ctest --output-on-failure -j2'
