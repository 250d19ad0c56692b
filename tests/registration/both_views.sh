#!/bin/bash
# The 32-bit and the 64-bit library registered side by side in one 64-bit prefix: each registry
# view names its own DLL under the same CLSID, and the 32-bit and 64-bit script hosts each
# create the class by its ProgID.
#   both_views.sh <64-bit build dir> <32-bit build dir>
set -uo pipefail
b64="$1"
b32="$2"
win() { echo "Z:$1" | tr / '\\'; }
run="$b64/wine-run.sh"
clsid='{246BBBCF-6A91-402E-BB3F-D4D9CBA8C13C}' # TextFileFunctions
failed=0
check() { if [ "$1" = "$2" ]; then echo "ok: $3"; else echo "FAIL: $3: got [$1], expected [$2]"; failed=1; fi; }

"$run" 'C:\windows\syswow64\regsvr32.exe' /s "$(win "$b32/ZorUtility.dll")"
server() { "$run" reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve "$1" | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
check "$(server /reg:64)" "$(win "$b64/ZorUtility.dll")" "64-bit view names the 64-bit DLL"
check "$(server /reg:32)" "$(win "$b32/ZorUtility.dll")" "32-bit view names the 32-bit DLL"

script="$b64/both_views.vbs"
printf 'WScript.Echo CreateObject("ZorUtility.TextFileFunctions").ExtractFilename("C:\\a\\b.txt")\n' > "$script"
check "$("$run" 'C:\windows\system32\cscript.exe' //nologo "$(win "$script")" | tr -d '\r')" "b.txt" "64-bit script host"
check "$("$run" 'C:\windows\syswow64\cscript.exe' //nologo "$(win "$script")" | tr -d '\r')" "b.txt" "32-bit script host"
[ $failed = 0 ] && echo "4 passed, 0 failed"
exit $failed
