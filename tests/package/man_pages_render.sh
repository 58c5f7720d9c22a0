#!/usr/bin/env bash
# Renders each man page given as groff and man-db do (as lintian does too); any warning fails.
# Usage: man_pages_render.sh PAGE...   Exits 77 when groff is not installed.
set -uo pipefail

command -v groff >/dev/null || { echo "groff is not installed (tools/install-deps.sh test)"; exit 77; }
status=0
for page in "$@"; do
    # -k runs preconv, which the Japanese text needs; -ww turns every warning on.
    warnings=$(LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z "$page" 2>&1)
    if command -v man >/dev/null; then
        warnings+=$'\n'$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    fi
    if [[ -n ${warnings//$'\n'/} ]]; then
        echo "$page:"$'\n'"$warnings"
        status=1
    fi
done
exit $status
