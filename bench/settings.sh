#!/bin/bash
# Settings-store benchmark under Wine's cscript, in the build's prefix. Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
bash scripts/with-display.sh build/wine-run.sh cscript //nologo "Z:$(pwd | tr / '\\')\\bench\\settings.vbs"
