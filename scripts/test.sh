#!/bin/bash
# Sets everything up, then runs every test (C++ under Wine and scripts under cscript) by ctest,
# for the 32-bit and for the 64-bit library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/with-display.sh bash -c 'cd build && ctest --output-on-failure -j2'
# The same tests against the 64-bit library through the 64-bit hosts.
ZOR_BUILD=build64 bash scripts/with-display.sh bash -c 'cd build64 && ctest --output-on-failure -j2'
