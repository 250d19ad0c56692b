#!/bin/sh
# Creates the private Wine prefix once (win32 or win64 as the second argument, win32 when
# absent): no add-on downloads, no window manager delays.
set -e
prefix="$1"
arch="${2:-win32}"
stamp="$prefix/.zor-ready"
# Wine's own fonts (Marlett, whose glyphs draw the caption buttons, Tahoma, the symbol and
# bitmap fonts) come with Debian's fonts-wine in /usr/share/wine/fonts, but Debian's Wine looks
# for them in /usr/share/fonts (its font folder is the data folder's "../fonts", not searched
# below its top) and fontconfig does not index them there: without a link in the prefix's own
# font folder a close box draws as the letter "r".
fonts() {
    mkdir -p "$prefix/drive_c/windows/Fonts"
    for f in /usr/share/wine/fonts/*; do ln -sf "$f" "$prefix/drive_c/windows/Fonts/"; done
}
[ -f "$stamp" ] && { fonts; exit 0; }
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
rm -rf "$prefix"
wineboot -i >/dev/null 2>&1
fonts
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
