#!/usr/bin/env bash
# Builds Quillet and starts its window in the bundled examples folder.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default

bin=build/default/src
if [[ -x "$bin/app/quillet" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
    cd examples
    exec "../$bin/app/quillet"
fi
if [[ -x "$bin/app/quillet" ]]; then
    echo "No display is available, so the window cannot open here."
else
    echo "The window was not built."
fi
echo "Converting the bundled example with the command-line converter instead:"
echo "  $bin/cli/quillet-convert examples/sample.csv"
"$bin/cli/quillet-convert" examples/sample.csv
