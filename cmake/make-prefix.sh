#!/bin/sh
# Creates the private Wine prefix once (win32 or win64 as the second argument, win32 when
# absent): no add-on downloads, no window manager delays.
set -e
prefix="$1"
arch="${2:-win32}"
stamp="$prefix/.zor-ready"
[ -f "$stamp" ] && exit 0
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
rm -rf "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
