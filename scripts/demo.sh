#!/bin/bash
# Sets everything up, then runs the demonstration: a VBScript under Wine's cscript that uses
# the registered library by its ProgIDs (the release build, not the tests' checked one).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/use-release.sh
script="Z:$(pwd)/examples/demo.vbs"
bash scripts/with-display.sh build/wine-run.sh cscript //nologo "${script//\//\\}"
