#!/usr/bin/env bash
# Takes the screenshots of the Japanese user's guide (docs/ja/images/) from the Qt window and
# preview of build/default on a private Xvfb, driven by xdotool. Run it by hand when the windows
# change; no test runs it.  Usage: tools/guide-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# In a mount namespace of its own, with an empty /home, so that the pictures show a user's
# folder (/home/user/図面/作業) and nothing of this machine's.
if [[ -z ${QUILLET_GUIDE_NAMESPACE:-} ]]; then
    QUILLET_GUIDE_NAMESPACE=1 exec unshare --mount --map-root-user "$0" "$@"
fi
mount -t tmpfs none /home
root=$PWD
bin=$root/build/default/src
out=$root/docs/ja/images
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (tools/install-deps.sh test)" >&2; exit 1; }
done
cmake --build --preset default --target quillet quillet-convert >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -u "$fd" display
export DISPLAY=:$display QT_QPA_PLATFORM=xcb LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
mkdir -p "$out"

folder=/home/user/図面/作業
mkdir -p "$folder"
cp examples/sample.csv "$folder/"
# 34 columns: one more than height 100 allows (run-time error 6 with its advice).
for i in $(seq 34); do printf 'A%d\r\n\r\n' "$i"; done >"$folder/列が多い.csv"
cd "$folder"

# Starts the window program with ARGS and waits for its window; sets window.
start() {
    "$bin/app/quillet" "$@" >/dev/null 2>&1 &
    pids+=($!)
    window=$(xdotool search --sync --onlyvisible --pid "$!" | head -1)
    sleep 1.5
    # No window manager gives the focus: keys go to the focused window.
    xdotool windowfocus --sync "$window" 2>/dev/null
}
# Saves the screen's box of the window (and what stands over it) as NAME.png.
shot() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
    echo "written: docs/ja/images/$1.png"
}
stop() {
    kill "${pids[-1]}" 2>/dev/null || true
    wait "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
}

start sample.csv
shot window
xdotool key alt+a
sleep 1.5
shot converted
stop

start 列が多い.csv
xdotool key alt+a
sleep 1.5
shot error
stop

start sample.csv.dxf
shot preview
stop
