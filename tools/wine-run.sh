#!/usr/bin/env bash
# Runs a Windows program under wine in the test prefix of tools/wine-prefix.sh (making it when
# needed): the windows presets' emulator, through which ctest runs the tests.
# Usage: tools/wine-run.sh PROGRAM.exe ARGS...
set -euo pipefail
source "$(dirname "$0")/wine-prefix.sh"
wine_prefix_ready
exec wine "$@"
