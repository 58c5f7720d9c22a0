#!/usr/bin/env bash
# Cross-builds the core libraries, quillet-convert.exe and the core and fault tests for 64-bit
# Windows with mingw-w64, runs the tests under wine, then checks that the Windows converter
# writes the same bytes as the Linux one. Usage: tools/test-windows.sh
# The Linux build (tools/test.sh) must have run first: its converter is the reference.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$(date +%s)
tools/install-deps.sh windows

build=build/windows-cross
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
# No display: wine must not try to open windows, and its first start makes the prefix.
unset DISPLAY WAYLAND_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Making the wine prefix (once)..."
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
fi

cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross -j2
ctest --preset windows-cross -j2

tools/windows-same-bytes.sh "$build/bin/quillet-convert.exe" build/default/src/cli/quillet-convert
wineserver --kill >/dev/null 2>&1 || true
echo "tools/test-windows.sh took $(( $(date +%s) - start )) s"
