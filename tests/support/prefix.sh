# Helpers of the registration and installer tests, sourced by them:
#   fresh_prefix DIR ARCH WINE   a new Wine prefix in DIR (win32 or win64), run with WINE
#   library_keys HIVE            the registry sections of the library under HKLM or HKCU
#                                Software\Classes (every key naming one of the IDL's GUIDs or
#                                a ZorUtility. ProgID) with their values, in the export's order,
#                                without the root
#   check GOT EXPECTED WHAT      counts a pass or a failure
#   finish                       counts each violation a checked library logged as a failure,
#                                prints "N passed, N failed" and exits with the verdict
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
passed=0 failed=0
win() { echo "Z:$1" | tr / '\\'; }

fresh_prefix() {
    export WINEPREFIX="$1" WINEARCH="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
    WINE="$3"
    rm -rf "$1"
    sh "$src/cmake/make-prefix.sh" "$1" "$2"
    # What a checked library (build/checked/) records as against Windows' rules; finish reports it.
    checker_log="$1/checker.log"
    export ZOR_CHECK_LOG="$(win "$checker_log")"
}

library_keys() {
    local root out="$WINEPREFIX/keys-$1.reg"
    root="HKEY_$([ "$1" = HKLM ] && echo LOCAL_MACHINE || echo CURRENT_USER)\\Software\\Classes"
    "$WINE" reg export "$1\\Software\\Classes" "$(win "$out")" /y >/dev/null 2>&1 || return 0 # no classes key yet
    local names
    names="$(grep -o 'uuid([0-9A-Fa-f-]*)' "$src/src/frame/ZorUtility.idl" | sed 's/uuid(\(.*\))/\1/' | paste -sd'|')|ZORUTILITY[.]"
    iconv -f utf-16le -t utf-8 "$out" | tr -d '\r' | awk -v names="$names" -v skip=$((${#root} + 3)) '
        /^\[/ { keep = (toupper($0) ~ toupper(names)); if (keep) print "[" substr($0, skip); next }
        keep && NF { print }'
}

check() {
    if [ "$1" = "$2" ]; then passed=$((passed + 1)); echo "ok: $3"
    else failed=$((failed + 1)); echo "FAIL: $3: got [$1], expected [$2]"; fi
}

finish() {
    local line
    while IFS= read -r line; do
        check "$line" "" "Windows rule"
    done < <(sed -n 's/^violation //p' "$checker_log" 2>/dev/null)
    echo "$passed passed, $failed failed"
    [ "$failed" = 0 ]
}
