#!/bin/bash
# The installer package in a fresh prefix: "msiexec /i" installs the files and the package's own
# registry rows (per-machine), and a script creates every class; the package of the next revision
# replaces it; "msiexec /x" leaves no file and no registry key of the library. The x64 package
# holds both libraries: the 64-bit and the 32-bit script host each create every class, each from
# its own registry view.
#   package.sh <build dir> <msi> <win32|win64> <wine> <next revision's msi> <its version>
set -uo pipefail
source "$(dirname "$0")/../support/prefix.sh"
b="$1"
msi="$(win "$2")"
fresh_prefix "$b/package-prefix" "$3" "$4"
folders=("$WINEPREFIX/drive_c/Program Files/ZorUtility")
hosts=(cscript)
if [ "$3" = win64 ]; then
    folders+=("$WINEPREFIX/drive_c/Program Files (x86)/ZorUtility")
    hosts=('C:\windows\system32\cscript.exe' 'C:\windows\syswow64\cscript.exe')
fi

# Windows before 7 SP1 is refused by the package's launch condition (Wine's installer evaluates it
# against the Windows version the prefix reports): nothing is installed.
"$WINE" reg add 'HKCU\Software\Wine' /v Version /d vista /f >/dev/null 2>&1
"$WINE" msiexec /i "$msi" /qn
check "$([ "$?" -ne 0 ] && echo refused):$(ls "${folders[0]}" 2>/dev/null)" "refused:" "msiexec /i refused on Windows Vista"
"$WINE" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1

"$WINE" msiexec /i "$msi" /qn
check "$?" 0 "msiexec /i"
for f in "${folders[@]}"; do
    check "$(LC_ALL=C ls "$f" | paste -sd' ')" "ZorUtility.dll ace32.dll" "the files in $f"
done
for h in "${hosts[@]}"; do
    check "$("$WINE" "$h" //nologo "$(win "$src/tests/registration/every_class.vbs")" 2>/dev/null | tr -d '\r' | tail -1)" \
        "11 passed, 0 failed" "every class through $h"
done

# The products installed, as "name version" lines.
products() {
    "$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
        awk '/^HKEY/ { if (n) print n, v; n = v = "" } $1 == "DisplayName" { n = $3 } $1 == "DisplayVersion" { v = $3 }
             END { if (n) print n, v }' | grep '^ZorUtility '
}
"$WINE" msiexec /i "$(win "$5")" /qn
check "$?" 0 "msiexec /i of the next revision"
check "$(products)" "ZorUtility $6" "the next revision replaces this one"

"$WINE" msiexec /x "$(win "$5")" /qn
check "$?" 0 "msiexec /x"
for f in "${folders[@]}"; do check "$(ls -d "$f" 2>/dev/null)" "" "$f removed"; done
check "$(library_keys HKLM)$(library_keys HKCU)" "" "no key of the library in either hive"
finish
