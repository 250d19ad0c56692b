#!/bin/bash
# Sets everything up on a Debian 12 machine (as root): the i386 architecture, the cross
# compilers, Wine and Xvfb; then builds the library, makes the private Wine prefix and
# registers the DLL in it; the same for the 64-bit library (ZOR_ONLY32=1 skips it). Quick when
# everything is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(mingw-w64 mingw-w64-tools wine wine32:i386 wine64 libwine-dev xvfb xauth x11-utils cmake googletest x11-apps imagemagick make chromium python3-dbf clang libclang-rt-14-dev wixl msitools fonts-wine)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    apt-get install -y -q "${missing[@]}"
fi

# The 32-bit library in build/ (its own 32-bit prefix), the 64-bit one in build64/ (a 64-bit
# prefix, in which the 32-bit library is registered beside it by a test).
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
fi
cmake --build build -j"$(nproc)"
if [ "${ZOR_ONLY32:-}" != 1 ]; then
    if [ ! -f build64/CMakeCache.txt ]; then
        cmake -S . -B build64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DZOR_BUILD32="$PWD/build" >/dev/null
    fi
    cmake --build build64 -j"$(nproc)"
fi
