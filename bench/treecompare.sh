#!/bin/bash
# Tree-copy comparison at length: CopyFiles against FileSystemObject.CopyFolder (byte for byte,
# "*.*", into destinations that exist and that do not; the same error for a missing parent) and against the platform's own pattern matching, on 50 random trees (ZOR_TREES) from a
# fresh seed (ZOR_TREE_SEED to repeat a run); prints the seed, any tree that differs, and the
# time of CopyFiles against CopyFolder (the anchor). Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
build="${ZOR_BUILD:-build}"
[ -f "$build"/tests/test_system.exe ] || { echo "build first: bash scripts/setup.sh" >&2; exit 1; }
export ZOR_TREES="${ZOR_TREES:-50}" ZOR_TREE_SEED="${ZOR_TREE_SEED:-$RANDOM$RANDOM}"
echo "seed $ZOR_TREE_SEED"
bash scripts/with-display.sh bash -c "cd '$build/tests' && ../wine-run.sh ./test_system.exe --gtest_filter='TreeCopy.SameAs*'" 2>&1 |
    grep -E 'trees,|^\[ *(OK|FAILED) *\]|Failure|tree [0-9]|Expected|Which is|differ'
