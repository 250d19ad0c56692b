#!/bin/bash
# The call path, in one run of the build's prefix (run after scripts/setup.sh):
# 1. from C++: GetIDsOfNames of one name, Invoke and the whole call against FileSystemObject's;
# 2. from VBScript: ExtractExtension against GetExtensionName, FileExists against FileExists,
#    SeekACERecord against ExtractExtension; the same three from JScript;
# 3. the trace switch: the cost of one call with tracing off and on (C++ and VBScript).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/use-release.sh
build="${ZOR_BUILD:-build}" # build64 for the 64-bit library
cmake --build "$build" --target bench_dispatch -j2 >/dev/null
win() { local p; p="Z:$(realpath "$1")"; echo "${p//\//\\}"; }
data="$(win tests/data/xbase)"
trace="$build/wineprefix/drive_c/users/root/Temp/zorbench-trace.log"
trap 'rm -f "$trace"; zor_bench_restore' EXIT
bash scripts/with-display.sh bash -c '
    set -e
    build=$1 data=$2 trace=$3 tracewin=$4 bench=$5
    run() { "$build"/wine-run.sh "$@"; }
    run "$build"/bench/bench_dispatch.exe
    run cscript //nologo "$bench\\paths.vbs" | tee /tmp/zorbench-vbs-off.$$
    run cscript //nologo "$bench\\existence.vbs"
    run cscript //nologo "$bench\\tables.vbs" "$data"
    run cscript //nologo "$bench\\calls.js" "$data"
    off=$(run "$build"/bench/bench_dispatch.exe --call)
    on=$(ZORUTILITY_TRACE="$tracewin" run "$build"/bench/bench_dispatch.exe --call)
    echo "trace: C++ whole call ${off} us off, ${on} us on; ratio on/off $(awk -v a="$on" -v b="$off" "BEGIN{printf \"%.2f\", a/b}") (target: at most 2.00)"
    rm -f "$trace"
    vbsOn=$(ZORUTILITY_TRACE="$tracewin" run cscript //nologo "$bench\\paths.vbs" | sed -n "s/^ExtractExtension x100000: \([0-9.]*\) s.*/\1/p")
    vbsOff=$(sed -n "s/^ExtractExtension x100000: \([0-9.]*\) s.*/\1/p" /tmp/zorbench-vbs-off.$$)
    rm -f /tmp/zorbench-vbs-off.$$
    echo "trace: VBScript ExtractExtension x100000 ${vbsOff} s off, ${vbsOn} s on; ratio on/off $(awk -v a="$vbsOn" -v b="$vbsOff" "BEGIN{printf \"%.2f\", a/b}") (target: at most 2.00; $(wc -l < "$trace") lines written)"
' _ "$build" "$data" "$trace" "C:\\users\\root\\Temp\\zorbench-trace.log" "$(win bench)"
