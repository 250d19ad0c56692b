#!/bin/bash
# Runs a command with an Xvfb display and one persistent wineserver for the build's prefix, and
# ends both afterwards. The build folder is build/ (32-bit) unless ZOR_BUILD names another, such
# as build64/; the prefix, made by the build, knows its own architecture. Windows (dialogs, forms) need the display; the server makes each Wine
# start cheap.
set -uo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/${ZOR_BUILD:-build}/wineprefix" WINEDEBUG=-all
unset WINEARCH
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
wineserver -k 2>/dev/null || true
wineserver -p
# Start the prefix's services now, detached from our output: Wine processes started later by a
# test would otherwise keep the test runner's pipes open.
wine wineboot >/dev/null 2>&1 </dev/null || true
"$@"
rc=$?
wineserver -k 2>/dev/null || true
kill "$xvfb" 2>/dev/null || true
exit $rc
