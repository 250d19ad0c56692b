#!/bin/bash
# Text-file benchmark: ReadTextFileString, ReadTextFileVariant and IsInLogFile against the
# scripting runtime's FileSystemObject in the same Wine prefix, on a generated 17 MB text file
# of 200,000 CR LF lines; then the peak memory of a script process while ReadTextFileVariant
# reads that file. Prints ratios. Run after scripts/setup.sh (or scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
export build="${ZOR_BUILD:-build}" # build64 for the 64-bit library
[ -f "$build"/ZorUtility.dll ] || { echo "build first: bash scripts/setup.sh" >&2; exit 1; }

temp="$build/wineprefix/drive_c/users/root/Temp/zorbench"
mkdir -p "$temp"
big="$temp/big.log"
needle="NEEDLE-ON-THE-LAST-LINE"
if true; then # cheap to make again, and always the same
    awk -v needle="$needle" 'BEGIN {
        for (i = 1; i <= 200000; i++) {
            line = sprintf("2026-12-07 10:%02d:%02d.%03d INFO worker-%02d request %06d handled in %3d ms, status ok", \
                           (i / 3600) % 60, (i / 60) % 60, i % 1000, i % 16, i, i % 997)
            if (i == 200000) line = line " " needle
            printf "%s\r\n", line
        }
    }' > "$big"
fi
bytes=$(stat -c %s "$big")
echo "text file: $bytes bytes, $(wc -l < "$big") lines"

winpath() { local p; p="Z:$(realpath "$1")"; echo "${p//\//\\}"; }

cat > "$temp/memory.vbs" <<'VBS'
' Waits for "go", reads the file with ReadTextFileVariant, says "done" and waits for "end".
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim dir : dir = WScript.Arguments(1)
fso.CreateTextFile(dir & "\ready", True).Close
Do While Not fso.FileExists(dir & "\go") : Loop
Dim a : a = tf.ReadTextFileVariant(WScript.Arguments(0))
fso.CreateTextFile(dir & "\done", True).Close
Do While Not fso.FileExists(dir & "\end") : Loop
WScript.Echo "lines read: " & (UBound(a) + 1)
VBS

run() {
    bash scripts/with-display.sh bash -c '
        "$build"/wine-run.sh cscript //nologo "$1" "$2" "$3"
        temp="$4"; rm -f "$temp/ready" "$temp/go" "$temp/done" "$temp/end"
        "$build"/wine-run.sh cscript //nologo "$5" "$2" "$6" &
        waitfor() { for _ in $(seq 600); do [ -f "$1" ] && return 0; sleep 0.05; done; return 1; }
        waitfor "$temp/ready"
        pid=$(pgrep -f "^C:.*cscript.exe .*memory.vbs" | head -1)
        before=$(awk "/VmHWM/ {print \$2}" /proc/$pid/status)
        touch "$temp/go"
        waitfor "$temp/done"
        after=$(awk "/VmHWM/ {print \$2}" /proc/$pid/status)
        touch "$temp/end"
        wait
        echo "memory: $before $after"
    ' _ "$(winpath bench/textfiles.vbs)" "$(winpath "$big")" "$needle" "$temp" "$(winpath "$temp/memory.vbs")" "$(winpath "$temp")"
}
out=$(run)
echo "$out" | grep -v '^memory:'
read -r _ before after <<< "$(echo "$out" | grep '^memory:')"
utf16=$((bytes * 2 / 1024))
awk -v b="$before" -v a="$after" -v t="$utf16" 'BEGIN {
    printf "ReadTextFileVariant peak memory: %.1f MB over the %.1f MB before the call; text as UTF-16 %.1f MB; ratio %.2f (target <= 3)\n", \
           (a - b) / 1024, b / 1024, t / 1024, (a - b) / t
}'
