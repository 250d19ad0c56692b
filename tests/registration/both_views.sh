#!/bin/bash
# The 32-bit and the 64-bit library registered side by side in one 64-bit prefix, machine-wide
# and per-user: each registry view names its own DLL under the same CLSID; removing either build
# leaves exactly the keys the other one writes alone (and machine-wide, its script host creating
# every class); removing both leaves no key of the library. Ends with the 64-bit library
# registered machine-wide, as the test fixture left it.
#   both_views.sh <64-bit build dir> <32-bit build dir>
set -uo pipefail
source "$(dirname "$0")/../support/prefix.sh"
b64="$1"
b32="$2"
export WINEPREFIX="$b64/wineprefix"
WINE="$b64/wine-run.sh"
clsid='{246BBBCF-6A91-402E-BB3F-D4D9CBA8C13C}' # TextFileFunctions
# The tests' checked libraries: the prefix is left with the one the test fixture registered.
dll32="$(win "$b32/checked/ZorUtility.dll")"
dll64="$(win "$b64/checked/ZorUtility.dll")"
reg32() { "$WINE" 'C:\windows\syswow64\regsvr32.exe' /s "$@" "$dll32"; }
reg64() { "$WINE" 'C:\windows\system32\regsvr32.exe' /s "$@" "$dll64"; }
server() { "$WINE" reg query "$1\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve "$2" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
every_class() { "$WINE" "C:\\windows\\$1\\cscript.exe" //nologo "$(win "$src/tests/registration/every_class.vbs")" 2>/dev/null | tr -d '\r' | tail -1; }

# Wine keeps one view of the user's classes (Windows redirects their CLSID and Interface keys as
# the machine's), so for HKCU only the shared keys are compared: the ProgIDs and the type library.
keys() {
    if [ "$1" = HKLM ]; then library_keys HKLM
    else library_keys HKCU | awk '/^\[/ { keep = (tolower($0) ~ /^\[(zorutility\.|typelib\\)/) } keep'; fi
}

# side_by_side HIVE [regsvr32 flags]: Wine's COM reads the machine's classes only, so the script
# hosts run for HKLM alone.
side_by_side() {
    local hive="$1" alone32 alone64
    shift
    reg64 /u "$@"; reg32 /u "$@"
    check "$(library_keys "$hive")" "" "$hive: nothing registered at the start"
    reg32 "$@"; alone32="$(keys "$hive")"; reg32 /u "$@"
    reg64 "$@"; alone64="$(keys "$hive")"
    check "$(printf '%s\n' "$alone32" "$alone64" | grep -ci '^\[TypeLib\\.*\\0\\win')" 2 "$hive: each build alone writes its type library path"
    reg32 "$@"
    if [ "$hive" = HKLM ]; then
        check "$(server "$hive" /reg:64)" "$dll64" "$hive: the 64-bit view names the 64-bit DLL"
        check "$(server "$hive" /reg:32)" "$dll32" "$hive: the 32-bit view names the 32-bit DLL"
    fi
    reg32 /u "$@"
    check "$(keys "$hive")" "$alone64" "$hive: the 32-bit build removed, the 64-bit build's keys stay"
    [ "$hive" = HKLM ] && check "$(every_class system32)" "11 passed, 0 failed" "the 64-bit script host"
    reg32 "$@"; reg64 /u "$@"
    check "$(keys "$hive")" "$alone32" "$hive: the 64-bit build removed, the 32-bit build's keys stay"
    [ "$hive" = HKLM ] && check "$(every_class syswow64)" "11 passed, 0 failed" "the 32-bit script host"
    reg32 /u "$@"
    check "$(library_keys "$hive")" "" "$hive: both removed, no key of the library in either view"
}

side_by_side HKLM
side_by_side HKCU /n /i:user
reg64
finish
