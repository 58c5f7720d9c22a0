#!/usr/bin/env bash
# The preview's exports of a drawing timed side by side: each FORMAT by each PROGRAM (a
# quillet-preview, say one built before a change and one after), run after run in turn, so that
# a busy machine weighs on all alike. Prints every run, then the medians of wall time, CPU
# time, peak memory and file size.
# Usage: bench/export.sh [--pairs N] [--formats "svg pdf png"] DRAWING PROGRAM...
#   DRAWING best on a tmpfs, as the benchmark drawing (bench/README.md says how to write it)
set -euo pipefail

pairs=3 formats="svg pdf png"
while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
    --pairs) pairs=$2 ;;
    --formats) formats=$2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
if [[ $# -lt 2 ]]; then
    sed -n '2,7p' "$0" >&2
    exit 2
fi
drawing=$1
shift
programs=("$@")

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-export-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

# One run: wall and CPU seconds, peak memory in KiB and the file's bytes, to the results.
run() { # run FORMAT INDEX
    local out="$work/out.$1" program=${programs[$2]}
    rm -f "$out"
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$program" --export "$out" "$drawing" \
        >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    read -r wall user sys kib <"$work/time"
    local cpu
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    echo "$1 $2 $wall $cpu $kib $(stat -c %s "$out")" >>"$work/results"
    printf '  %-4s %-40s wall %6.2f s  CPU %6.2f s  %7.1f MiB  %10d bytes\n' "$1" "$program" \
        "$wall" "$cpu" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" "$(stat -c %s "$out")"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 1; i <= pairs; i++)); do
    echo "round $i"
    for format in $formats; do
        for index in "${!programs[@]}"; do
            run "$format" "$index"
        done
    done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "medians:"
for format in $formats; do
    for index in "${!programs[@]}"; do
        awk -v f="$format" -v p="$index" 'BEGIN { n = 0 } $1 == f && $2 == p { w[n] = $3; c[n] = $4; m[n] = $5; s[n] = $6; n++ }
            function median(a, n,   i, j, t) {
                for (i = 0; i < n; i++) for (j = i + 1; j < n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
                return n % 2 ? a[int(n / 2)] : (a[n / 2 - 1] + a[n / 2]) / 2 }
            END { printf "  %-4s program %d: wall %6.2f s  CPU %6.2f s  %7.1f MiB  %10d bytes\n", f, p,
                  median(w, n), median(c, n), median(m, n) / 1024, median(s, n) }' "$work/results"
    done
done
