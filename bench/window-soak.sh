#!/usr/bin/env bash
# The soak of both windows, a working day each (see README.md): the Qt window on a private
# Xvfb (the xcb platform, as on a desktop), then the Win32 window under wine on the Windows
# tests' display and prefix. Writes each one's table (Markdown) and figures (CSV) into OUT and
# their plots as docs/soak-qt.png and docs/soak-win32.png.
# Usage: bench/window-soak.sh [STEPS [OUT]]   (default 1000 steps, OUT build/soak)
set -euo pipefail
cd "$(dirname "$0")/.."

steps=${1:-1000}
out=${2:-build/soak}
mkdir -p "$out"
out=$(cd "$out" && pwd)

tools/install-deps.sh test # Xvfb, Debian's python3-matplotlib
cmake --preset default >/dev/null
cmake --build --preset default --target quillet-soak-qt
echo "=== the Qt window, $steps steps (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
start=$SECONDS
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
    build/default/bench/soak/quillet-soak-qt --steps "$steps" \
    --csv "$out/soak-qt.csv" --table "$out/soak-qt.md"
echo "=== the Qt window took $((SECONDS - start)) s (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
/usr/bin/python3 bench/soak/plot.py "$out/soak-qt.csv" docs/soak-qt.png \
    "Quillet's Qt window, $steps steps (Xvfb)"

tools/install-deps.sh windows
source tools/wine-prefix.sh
wine_session_begin
cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross --target quillet-soak-win32
# The drawings the day's runs replace go to wine's Recycle Bin, which is the XDG trash: one of
# the soak's own.
export XDG_DATA_HOME="$out/wine-data"
mkdir -p "$XDG_DATA_HOME"
echo "=== the Win32 window, $steps steps (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
start=$SECONDS
wine build/windows-cross/bin/quillet-soak-win32.exe --steps "$steps" \
    --csv "$(winepath -w "$out/soak-win32.csv")" --table "$(winepath -w "$out/soak-win32.md")"
echo "=== the Win32 window took $((SECONDS - start)) s (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
/usr/bin/python3 bench/soak/plot.py "$out/soak-win32.csv" docs/soak-win32.png \
    "Quillet's Win32 window, $steps steps (wine $(wine --version 2>/dev/null | sed 's/^wine-//; s/ .*//'), Xvfb)"
