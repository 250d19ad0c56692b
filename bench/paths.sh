#!/bin/bash
# Path-string benchmark under Wine's cscript, in the build's prefix. Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
build="${ZOR_BUILD:-build}" # build64 for the 64-bit library
bash scripts/with-display.sh "$build"/wine-run.sh cscript //nologo "Z:$(pwd | tr / '\\')\\bench\\paths.vbs"
