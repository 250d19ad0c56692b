#!/bin/bash
# Log benchmark: FileExists against the scripting runtime's FileExists (100,000 calls each), and
# the peak memory of a script process while IsInLogFile searches the last line of a 1.5 GB log
# (made for the run and removed afterwards). Prints ratios. Run after scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
[ -f build/ZorUtility.dll ] || { echo "build first: bash scripts/setup.sh" >&2; exit 1; }

winpath() { local p; p="Z:$(realpath "$1")"; echo "${p//\//\\}"; }
temp="build/wineprefix/drive_c/users/root/Temp/zorbench"
mkdir -p "$temp"
log="$temp/huge.log"
trap 'rm -f "$log"; zor_bench_restore' EXIT
# 1.5 GB of 100-byte CR LF lines, then the needle on the last line.
{ yes "$(printf '2026-12-07 10:00:00 INFO worker request handled, status ok %38s\r' '')" | head -c 1610612736 || true
  printf 'NEEDLE-ON-THE-LAST-LINE\r\n'; } > "$log"

cat > "$temp/search.vbs" <<'VBS'
' Waits for "go", searches the log, says "done" and waits for "end".
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim dir : dir = WScript.Arguments(1)
fso.CreateTextFile(dir & "\ready", True).Close
Do While Not fso.FileExists(dir & "\go") : Loop
Dim t0 : t0 = Timer
Dim found : found = tf.IsInLogFile(WScript.Arguments(0), "NEEDLE-ON-THE-LAST-LINE")
Dim took : took = Timer - t0
fso.CreateTextFile(dir & "\done", True).Close
Do While Not fso.FileExists(dir & "\end") : Loop
WScript.Echo "IsInLogFile on the last line of a 1.5 GB log: found " & found & " in " & FormatNumber(took, 1) & " s"
VBS

bash scripts/with-display.sh bash -c '
    build/wine-run.sh cscript //nologo "$1"
    temp="$2"; rm -f "$temp/ready" "$temp/go" "$temp/done" "$temp/end"
    build/wine-run.sh cscript //nologo "$3" "$4" "$5" &
    waitfor() { for _ in $(seq 6000); do [ -f "$1" ] && return 0; sleep 0.05; done; return 1; }
    waitfor "$temp/ready"
    pid=$(pgrep -f "^C:.*cscript.exe .*search.vbs" | head -1)
    before=$(awk "/VmHWM/ {print \$2}" /proc/$pid/status)
    touch "$temp/go"
    waitfor "$temp/done"
    after=$(awk "/VmHWM/ {print \$2}" /proc/$pid/status)
    touch "$temp/end"
    wait
    awk -v b="$before" -v a="$after" "BEGIN { printf \"IsInLogFile peak memory: %.1f MB over the %.1f MB before the call (target: below 32 MB)\n\", (a - b) / 1024, b / 1024 }"
' _ "$(winpath bench/existence.vbs)" "$temp" "$(winpath "$temp/search.vbs")" "$(winpath "$log")" "$(winpath "$temp")"
