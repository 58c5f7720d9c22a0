#!/usr/bin/env bash
# Builds Quillet and runs every test. Usage: tools/test.sh [--sanitize]
#   --sanitize  builds and tests with AddressSanitizer and UndefinedBehaviorSanitizer instead
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
[[ "${1:-}" == --sanitize ]] && preset=sanitize

tools/install-deps.sh test
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset" -j "$(nproc)"
