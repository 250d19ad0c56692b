#!/bin/bash
# Per-user registration in a fresh prefix with nothing registered machine-wide:
# "regsvr32 /n /i:user" writes under HKCU\Software\Classes the same keys and values that
# DllRegisterServer writes machine-wide, and nothing under HKLM; VBScript and JScript then create
# every class by its ProgID; "regsvr32 /u /n /i:user" leaves no key of the library in either hive.
# Wine's COM reads classes from HKLM\Software\Classes only (Windows merges the user's classes
# into HKEY_CLASSES_ROOT), so for the script step the user's keys are copied there and deleted
# again afterwards.
#   peruser.sh <build dir> <win32|win64> <wine>
set -uo pipefail
source "$(dirname "$0")/../support/prefix.sh"
b="$1"
fresh_prefix "$b/peruser-prefix" "$2" "$3"
dll="$(win "$b/checked/ZorUtility.dll")" # checked against Windows' rules (the merged HKEY_CLASSES_ROOT)
run() { "$WINE" "$@" 2>/dev/null | tr -d '\r'; }

check "$(library_keys HKLM)$(library_keys HKCU)" "" "a fresh prefix holds no key of the library"
"$WINE" regsvr32 /s /n /i:user "$dll"
check "$?" 0 "regsvr32 /n /i:user"
user="$(library_keys HKCU)"
check "$(grep -c '^\[CLSID\\{.*}\\InprocServer32\]$' <<<"$user")" 11 "eleven classes for the user"
check "$(library_keys HKLM)" "" "nothing machine-wide after the per-user registration"

# The Windows view: the user's keys visible under HKEY_CLASSES_ROOT.
copy="$WINEPREFIX/user-classes.reg"
{ printf 'Windows Registry Editor Version 5.00\n\n'; echo "$user" | sed 's/^\[/[HKEY_LOCAL_MACHINE\\Software\\Classes\\/'; } > "$copy"
"$WINE" reg import "$(win "$copy")" >/dev/null 2>&1
for s in every_class.vbs every_class.js; do
    check "$(run cscript //nologo "$(win "$src/tests/registration/$s")" | tail -1)" "11 passed, 0 failed" "$s through the user's keys"
done
{ printf 'Windows Registry Editor Version 5.00\n\n'; echo "$user" | sed -n 's/^\[/[-HKEY_LOCAL_MACHINE\\Software\\Classes\\/p' | sort -r; } > "$copy"
"$WINE" reg import "$(win "$copy")" >/dev/null 2>&1

# The machine-wide registration of the same DLL writes the same keys and values under HKLM, and
# nothing under HKCU (the C++ registration test holds the type library's keys against the
# platform's own registration of it).
flat() { awk '/^\[/ { s = tolower($0); print s; next } { print s " " tolower($0) }' | grep -v '^\[wow6432node\\' | sort; }
"$WINE" regsvr32 /s "$dll"
check "$(library_keys HKLM | flat | md5sum)" "$(echo "$user" | flat | md5sum)" "the same keys and values as DllRegisterServer writes"
check "$(library_keys HKCU)" "$user" "the user's keys untouched by the machine-wide registration"
"$WINE" regsvr32 /s /u "$dll"
check "$(library_keys HKCU)" "$user" "the user's keys untouched by the machine-wide removal"

"$WINE" regsvr32 /s /u /n /i:user "$dll"
check "$?" 0 "regsvr32 /u /n /i:user"
check "$(library_keys HKLM)$(library_keys HKCU)" "" "no key of the library in either hive after removal"
finish
