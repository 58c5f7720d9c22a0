#!/usr/bin/env bash
# Cross-builds the core libraries, quillet-convert.exe and the core and fault tests for 64-bit
# Windows with mingw-w64, runs the tests under wine, checks that the Windows converter writes the
# same bytes as the Linux one, then makes the setup program and the zip
# (tools/package-windows.sh) and tests the setup program, with the window's and preview's
# end-to-end scripts between install and uninstall (tools/test-windows-setup.sh runs every
# tests/win32*/e2e*.sh, or those named in QUILLET_E2E). Usage: tools/test-windows.sh
# The Linux build (tools/test.sh) must have run first: its converter is the reference.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$(date +%s)
stage_start=$start
stage() { # NAME: prints how long the stage just ended took
    local now
    now=$(date +%s)
    echo "=== $1 took $((now - stage_start)) s"
    stage_start=$now
}
tools/install-deps.sh windows
stage "installing the Windows tools"

# One session for everything below: a private Xvfb (so every wine process, windowed or not, has
# the same display), the prefix of the installed wine with its fonts, one persistent wineserver.
source tools/wine-prefix.sh
wine_session_begin
stage "the wine session ($WINEPREFIX)"

cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross -j2
stage "building (windows-cross)"
# Wine itself now and then fails a program at its start on a loaded machine (a window that
# cannot be made, a process that ends before its first line): a failed test gets two more
# tries, and what failed first is printed whole.
ctest --preset windows-cross -j2 --output-on-failure --repeat until-pass:3
stage "the tests under wine"

tools/windows-same-bytes.sh build/windows-cross/bin/quillet-convert.exe build/default/src/cli/quillet-convert
stage "same bytes as the Linux converter"

tools/package-windows.sh build/windows-release/out
stage "the setup program and the zip (windows-release)"
tools/test-windows-setup.sh build/windows-release/out build/default/src/cli/quillet-convert
stage "the setup program under wine"

echo "tools/test-windows.sh took $(($(date +%s) - start)) s"
