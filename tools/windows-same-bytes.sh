#!/usr/bin/env bash
# Runs the Windows quillet-convert.exe (under wine) and the Linux one on the same inputs and
# compares the drawings byte for byte: the bundled example, a UTF-8 and a code page 932 input,
# each with and without --code-page 932, into a file and through a pipe.
# Usage: tools/windows-same-bytes.sh WINDOWS_EXE LINUX_CONVERTER  (WINEPREFIX set by the caller)
set -euo pipefail
exe=$(realpath "$1")
linux=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$root/examples/sample.csv" "$work/sample.csv"
printf '配管,東京,〜−‖¬①髙\r\n\r\nｿｹｯﾄ,é한😀\r\nlast' >"$work/utf8.csv"
# The same text in code page 932, less what it cannot hold.
printf '配管,東京,～－∥￢①髙\r\n\r\nｿｹｯﾄ\r\nlast' | iconv -f UTF-8 -t CP932 >"$work/cp932.csv"

failed=0
compare() { # NAME OPTIONS...
    local name=$1
    shift
    (cd "$work" && LC_ALL=C "$linux" "$@" -o "linux.dxf" "$name" >/dev/null)
    # Through a pipe the declared drawing keeps its widest extents: compared with a Linux pipe.
    (cd "$work" && LC_ALL=C "$linux" "$@" -o - - <"$name" >"linux-piped.dxf" 2>/dev/null)
    (cd "$work" && LC_ALL=C.UTF-8 wine "$exe" "$@" -o "windows.dxf" "$name" >/dev/null)
    (cd "$work" && LC_ALL=C.UTF-8 wine "$exe" "$@" -o - - <"$name" >"piped.dxf" 2>/dev/null)
    for out in windows piped; do
        local reference=linux
        [[ $out == piped ]] && reference=linux-piped
        if cmp -s "$work/$reference.dxf" "$work/$out.dxf"; then
            echo "same bytes: $name $* ($out, $(wc -c <"$work/$out.dxf") bytes)"
        else
            echo "DIFFERENT: $name $* ($out)"
            cmp "$work/$reference.dxf" "$work/$out.dxf" | head -3 || true
            failed=1
        fi
    done
    rm -f "$work"/{linux,linux-piped,windows,piped}.dxf
}
for input in sample.csv utf8.csv cp932.csv; do
    compare "$input"
    compare "$input" --code-page 932
done
compare utf8.csv --code-page 932 --encoding utf-8
compare cp932.csv --code-page 932 --encoding cp932
exit $failed
