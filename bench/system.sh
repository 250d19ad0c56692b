#!/bin/bash
# Tree-copy benchmark: CopyFiles of a tree of 2,000 files in 80 folders against the scripting
# runtime's FileSystemObject.CopyFolder of the same tree, in the same Wine prefix and script.
# Prints the ratio. Run after scripts/setup.sh (or scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
[ -f build/ZorUtility.dll ] || { echo "build first: bash scripts/setup.sh" >&2; exit 1; }

base="build/wineprefix/drive_c/users/root/Temp/zorbench/treecopy"
rm -rf "$base"
mkdir -p "$base/tree"
# 8 folders of 9 folders each: 80 folders, 25 files of 1 KB in each.
for a in $(seq 0 7); do
    for b in $(seq -1 8); do
        dir="$base/tree/f$a"
        [ "$b" -ge 0 ] && dir="$dir/g$b"
        mkdir -p "$dir"
        for n in $(seq 1 25); do head -c 1024 /dev/zero | tr '\0' "$(( (a + b + n) % 10 ))" > "$dir/file$n.dat"; done
    done
done
echo "tree: $(find "$base/tree" -type f | wc -l) files in $(find "$base/tree" -mindepth 1 -type d | wc -l) folders"

win() { local p; p="Z:$(realpath "$1")"; echo "${p//\//\\}"; }
bash scripts/with-display.sh build/wine-run.sh cscript //nologo "$(win bench/system.vbs)" "$(win "$base/tree")" "$(win "$base")"
