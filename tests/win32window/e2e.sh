#!/usr/bin/env bash
# End-to-end test of quillet.exe under wine on a private Xvfb, driven by xdotool as a user
# would drive it and read back by quillet-probe.exe: choosing files, 実行1 and 実行２ (their
# drawings byte for byte those of the Linux converter), a replaced drawing going to the trash,
# the Tab walk both ways, the access keys, Enter and Esc pressing nothing, error boxes with
# their advice, the tooltip of 実行1, Dir1, files coming and going, Alt+X, and a long run: its
# progress, the window answering during it, 終了 during it leaving the folder as it was.
# Usage: tests/win32window/e2e.sh [BIN_DIR [LINUX_CONVERTER [SCREENSHOT.png]]]
#   BIN_DIR       where quillet.exe is: by default $QUILLET_INSTALL_DIR_UNIX (the installed
#                 copy, as the setup program's test gives it), else build/windows-cross/bin
#   LINUX_CONVERTER  the reference: by default $QUILLET_LINUX_CONVERTER, else
#                 build/default/src/cli/quillet-convert
#   quillet-probe.exe comes from BIN_DIR, else build/windows-cross/bin ($QUILLET_PROBE names
#   another). Inside a wine session (QUILLET_WINE_SESSION set, as tools/test-windows.sh
#   begins one) the session's display, prefix and wineserver are used; alone, the script
#   starts a private Xvfb, a persistent wineserver and the prefix build/windows-cross/e2e-prefix
#   (made anew whenever the installed wine changes).
#   SCREENSHOT.png: the window after a run; beside it NAME-long-run.png (the window during the
#   long run) and NAME-error.png (an error box with its advice).
#   QUILLET_E2E_BIG_MB: the long run's input size in MB (default 2000; the run is ended
#   before it has written much).
# Prints one line a check and the window's start time; exits 1 when a check failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ -z "${QUILLET_WINE_SESSION:-}" && -z "${QUILLET_E2E_DISPLAY:-}" ]]; then
    # Our own X server, whatever display the caller has: 24-bit, large enough for the window
    # at 96 DPI, no window manager.
    export QUILLET_E2E_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$@"
fi
bin=$(realpath "${1:-${QUILLET_INSTALL_DIR_UNIX:-$root/build/windows-cross/bin}}")
linux=$(realpath "${2:-${QUILLET_LINUX_CONVERTER:-$root/build/default/src/cli/quillet-convert}}")
shot=${3:+$(realpath -m "$3")}
probe_exe=${QUILLET_PROBE:-$bin/quillet-probe.exe}
[[ -f "$probe_exe" ]] || probe_exe=$root/build/windows-cross/bin/quillet-probe.exe
export LC_ALL=C.UTF-8

scratch=
if [[ -z "${QUILLET_WINE_SESSION:-}" ]]; then
    export WINEPREFIX="$root/build/windows-cross/e2e-prefix"
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # A prefix of another wine can fail to start at all ("could not load kernel32.dll").
    wine_id="$(wine --version) $(dpkg-query -W -f='${Package}=${Version} ' 'wine*' 'libwine*' 2>/dev/null || true)"
    if [[ ! -f "$WINEPREFIX/system.reg" || "$(cat "$WINEPREFIX/.quillet-wine" 2>/dev/null)" != "$wine_id" ]]; then
        echo "Making the wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1 || true
        wineserver --wait || true
        echo "$wine_id" >"$WINEPREFIX/.quillet-wine"
    fi
    # One wine server for the whole test, so that none comes and goes between the steps.
    wineserver -p
    trap 'wineserver -k >/dev/null 2>&1 || true; [[ -n "$scratch" ]] && rm -rf "$scratch"' EXIT
    # Noto Sans CJK JP in the prefix's fonts, linked behind the faces wine draws its own
    # boxes with, so that the error box shows its Japanese too.
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    [[ -f "$fonts/NotoSansCJK-Regular.ttc" ]] ||
        cp /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc "$fonts/"
    link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
        wine reg add "$link" /v "$face" /t REG_MULTI_SZ \
            /d "NotoSansCJK-Regular.ttc,Noto Sans CJK JP" /f >/dev/null 2>&1
    done
else
    trap '[[ -n "$scratch" ]] && rm -rf "$scratch"' EXIT
fi

# The folder the window starts in, under a Japanese name.
scratch=$(mktemp -d)
# Wine's Recycle Bin is the freedesktop trash of XDG_DATA_HOME, here a private one. Wine 8
# uses it only when its folders exist; without them it deletes the file outright.
export XDG_DATA_HOME=$scratch/xdg
trash=$XDG_DATA_HOME/Trash
mkdir -p "$trash/files" "$trash/info"
work=$scratch/図面
mkdir "$work"
cp "$root/examples/sample.csv" "$work/sample.csv"
printf '配管,東京,ソケット\r\n\r\nﾃｽﾄ,〜−\r\nlast' >"$work/配管図.csv"
mkdir "$work/サブ"
printf 'a,b\r\n' >"$work/サブ/inner.csv"

failed=0
checks=0
check() { # WHAT EXPECTED ACTUAL
    checks=$((checks + 1))
    if [[ "$2" == "$3" ]]; then
        echo "ok: $1"
    else
        echo "FAILED: $1: expected [$2], got [$3]"
        failed=1
    fi
}
probe() { wine "$probe_exe" "$@" | tr -d '\r'; }
key() { xdotool key --delay 40 "$@"; sleep 0.3; }
click() { # CONTROL [ENTRY]
    local at
    at=$(probe where "$@")
    xdotool mousemove ${at} click 1
    sleep 0.4
}
double_click() { # CONTROL ENTRY
    local at
    at=$(probe where "$@")
    xdotool mousemove ${at} click --repeat 2 --delay 80 1
    sleep 0.6
}
wait_for_file() { # PATH
    for _ in $(seq 100); do
        [[ -f "$1" ]] && return 0
        sleep 0.1
    done
    return 1
}
same_bytes() { # WHAT WINDOWS_DRAWING LINUX_OPTIONS...
    local what=$1 drawing=$2 input=$3
    shift 3
    (cd "$work" && LC_ALL=C "$linux" "$@" -o "$work/linux.dxf" "$input" >/dev/null)
    if wait_for_file "$drawing" && cmp -s "$work/linux.dxf" "$drawing"; then
        check "$what: the same bytes as the Linux converter ($(wc -c <"$drawing") bytes)" same same
    else
        check "$what: the same bytes as the Linux converter" same different
    fi
    rm -f "$work/linux.dxf"
}
wait_until() { # SECONDS COMMAND...: true once COMMAND succeeds, polled every 0.2 s
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.2
    done
}
report_says() { probe text txtDis | grep -qF "$1"; }
lists() { probe list "$1" | grep -qxF "$2"; } # CONTROL NAME: the list shows NAME
yes_no() { "$@" && echo yes || echo no; }
# The window and what lies over it (an error box), cut from the screen.
screen_shot() { # FILE
    import -window root png:- | convert - -trim +repage "$1"
    echo "screenshot: $1"
}
index_of() { # LIST NAME
    probe list "$1" | grep -nxF "$2" | cut -d: -f1 | awk '{print $1 - 1}'
}

# Start: the window in the folder it was started in; the time until it is shown.
cd "$work"
start_ns=$(date +%s%N)
wine "$bin/quillet.exe" &
# (xdotool's own --sync trips over wine's short-lived windows.)
window=
for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name '^Quillet$' 2>/dev/null | head -1 || true)
    [[ -n "$window" ]] && break
    sleep 0.02
done
shown_ns=$(date +%s%N)
[[ -n "$window" ]] || { echo "FAILED: no window"; exit 1; }
echo "start time: $(((shown_ns - start_ns) / 1000000)) ms from launch until the window is shown"
probe wait >/dev/null
sleep 0.5
check "Drive1 shows the drive of the folder" "Z:" "$(probe text Drive1)"
check "Dir1 shows the folder" "$(basename "$work")" "$(probe text Dir1 | sed 's/^ *//')"
check "File1 lists the folder's files" "$(printf 'sample.csv\n配管図.csv')" "$(probe list File1)"
check "File2 lists them too" "$(printf 'sample.csv\n配管図.csv')" "$(probe list File2)"
check "the height box starts at 100" "100" "$(probe text txtFileR)"
check "the focus starts on Drive1" "Drive1" "$(probe focus)"

# Choosing a file fills in both names; 実行1 writes the classic drawing.
click File1 "$(index_of File1 sample.csv)"
check "a click in File1 fills in the input name" "sample.csv" "$(probe text txtFileName)"
check "and proposes the output name" "sample.csv.dxf" "$(probe text txtFileS)"
key alt+a
same_bytes "実行1 (Alt+A) on sample.csv" "$work/sample.csv.dxf" sample.csv
sleep 0.5
check "the caption after a run" "ファイル操作" "$(probe caption)"
check "the report box reports the run" "yes" "$(probe text txtDis | grep -q . && echo yes || echo no)"
check "the new drawing is chosen in File2" "sample.csv.dxf" "$(probe text File2)"

# 実行1 again on the same output: the drawing it replaces goes to the trash.
key alt+a
check "a replaced drawing: the report says it went to the trash" yes \
    "$(yes_no wait_until 10 report_says 'ごみ箱に移しました : ')"
same_bytes "the drawing that replaced it" "$work/sample.csv.dxf" sample.csv
check "and names it" yes "$(yes_no grep -q 'ごみ箱に移しました : .*sample\.csv\.dxf' <<<"$(probe text txtDis)")"
check "the replaced drawing is in the trash" "$(wc -c <"$work/sample.csv.dxf")" \
    "$(cat "$trash"/files/sample.csv*.dxf 2>/dev/null | wc -c)"
check "no copy of it is left in the folder" "" "$(ls -A "$work" | grep '^\.' || true)"

# 実行1's tooltip says which drawing it writes.
check "cmdCul1 has its tooltip" yes "$(yes_no grep -q '^従来の図面を書きます。' <<<"$(probe tip cmdCul1)")"

click File1 "$(index_of File1 配管図.csv)"
check "a Japanese name fills in the input name" "配管図.csv" "$(probe text txtFileName)"
check "and its output name" "配管図.csv.dxf" "$(probe text txtFileS)"
key alt+a
same_bytes "実行1 on 配管図.csv" "$work/配管図.csv.dxf" 配管図.csv
rm -f "$work/配管図.csv.dxf"
key alt+b
same_bytes "実行２ (Alt+B) on 配管図.csv" "$work/配管図.csv.dxf" 配管図.csv --code-page 932
check "the caption after 実行２" "ファイル操作" "$(probe caption)"

# The Tab walk, both ways, from txtFileName (Alt+N).
key alt+n
check "Alt+N moves the focus to txtFileName" "txtFileName" "$(probe focus)"
walk=(cmdCul1 cmdOpen cmdCul2 cmdExit txtDis txtFileS txtFileR File2 Drive1 Dir1 File1 txtFileName)
got=()
for _ in "${walk[@]}"; do
    key Tab
    got+=("$(probe focus)")
done
check "Tab walks the controls in order" "${walk[*]}" "${got[*]}"
back=(File1 Dir1 Drive1 File2 txtFileR txtFileS txtDis cmdExit cmdCul2 cmdOpen cmdCul1 txtFileName)
got=()
for _ in "${back[@]}"; do
    key shift+Tab
    got+=("$(probe focus)")
done
check "Shift+Tab walks them back" "${back[*]}" "${got[*]}"
key alt+s
check "Alt+S moves the focus to txtFileR" "txtFileR" "$(probe focus)"
key alt+r
check "Alt+R moves the focus to File2" "File2" "$(probe focus)"

# Enter and Esc press no button, wherever the focus is.
rm -f "$work/配管図.csv.dxf"
for at in txtFileName cmdCul1 cmdOpen cmdExit txtDis txtFileR; do
    key alt+n
    for _ in $(seq 13); do
        [[ "$(probe focus 2>/dev/null)" == "$at" ]] && break
        key Tab
    done
    key Return
    key Escape
done
sleep 0.5
check "Enter and Esc press nothing (no drawing written)" "absent" "$([[ -e "$work/配管図.csv.dxf" ]] && echo present || echo absent)"
check "Enter and Esc press nothing (the window stays)" "yes" "$(probe caption >/dev/null && echo yes || echo no)"

# An error box: a height of letters is a type mismatch; the window goes on afterwards.
key alt+s
xdotool type --delay 40 "abc"
key alt+a
box=$(probe box 10 || true)
check "a height of letters shows 実行時エラー 13" "yes" "$(grep -q '実行時エラー 13' <<<"$box" && echo yes || echo no)"
check "the error box is titled Quillet" "Quillet" "$(head -1 <<<"$box")"
probe dismiss
check "the caption after the error" "ファイル操作" "$(probe caption)"
check "no drawing after the error" "absent" "$([[ -e "$work/配管図.csv.dxf" ]] && echo present || echo absent)"

# An overflow by columns: the box and the report box say how many columns fit this height.
printf '\r\n%.0s' $(seq 40) >"$work/cols.csv"
printf 'a\r\n' >>"$work/cols.csv"
key alt+n
xdotool type --delay 40 "cols.csv"
key alt+s
xdotool type --delay 40 "1000"
key alt+a
box=$(probe box 10 || true)
advice='41 列目の X 座標が -32768～32767 を超えました。文字の高さ 1000 では 4 列までです。'
check "a column overflow shows 実行時エラー 6 with its line" yes "$(yes_no grep -q '実行時エラー 6.*41 行目' <<<"$box")"
check "and the advice on a line of its own" yes "$(yes_no grep -q "^$advice" <<<"$box")"
[[ -n "$shot" ]] && screen_shot "${shot%.png}-error.png"
probe dismiss
check "the report box keeps the line number and the advice" "yes yes" \
    "$(yes_no report_says '41 行目') $(yes_no report_says "$advice")"
rm "$work/cols.csv"
# An entry is clicked by its place, which is right only once the list has let the file go.
wait_until 5 eval '! lists File1 cols.csv' || true
click File1 "$(index_of File1 配管図.csv)"
key alt+s
xdotool type --delay 40 "100"
key alt+a
same_bytes "実行1 after the error box" "$work/配管図.csv.dxf" 配管図.csv

# Files that come and go show in both lists without a click.
printf 'x\r\n' >"$work/new.csv"
sleep 1.5
check "a new file shows in File1" "yes" "$(probe list File1 | grep -qxF new.csv && echo yes || echo no)"
rm "$work/new.csv"
sleep 1.5
check "a removed file leaves File2" "no" "$(probe list File2 | grep -qxF new.csv && echo yes || echo no)"

if [[ -n "$shot" ]]; then
    click File1 "$(index_of File1 配管図.csv)"
    key alt+a
    key alt+n
    sleep 0.5
    import -window "$window" "$shot"
    echo "screenshot: $shot"
fi

# Dir1: a double-click opens a folder, Enter on a line opens it too.
double_click Dir1 "$(index_of Dir1 "$(probe list Dir1 | grep 'サブ$')")"
check "a double-click in Dir1 opens the folder" "inner.csv" "$(probe list File1)"
parent=$(($(index_of Dir1 "$(probe list Dir1 | grep "$(basename "$work")\$")")))
click Dir1 "$parent"
key Return
check "Enter in Dir1 opens the folder chosen" "$(printf 'sample.csv\nsample.csv.dxf\n配管図.csv\n配管図.csv.dxf')" "$(probe list File1)"

# Alt+X ends the program; a key lost on a display with no window manager is pressed once more.
key alt+x
if ! probe gone 10 >/dev/null 2>&1; then
    echo "the window still there 10 s after Alt+X: once more"
    key alt+x || true
fi
check "Alt+X ends the program" "gone" "$(probe gone 10 >/dev/null 2>&1 && echo gone || echo still there)"
wait || true

# quillet.exe FILE, started elsewhere: the window in FILE's folder with FILE chosen.
cd "$scratch"
wine "$bin/quillet.exe" "図面/配管図.csv" &
probe wait >/dev/null
sleep 0.5
check "quillet.exe FILE chooses FILE" "配管図.csv" "$(probe text File1)"
check "and fills in its names" "配管図.csv 配管図.csv.dxf" "$(probe text txtFileName) $(probe text txtFileS)"
check "in FILE's folder" "図面" "$(probe text Dir1)"
key alt+x
probe gone 10 >/dev/null 2>&1 || true
wait || true
check "quillet.exe --version answers into a pipe" "quillet" "$(wine "$bin/quillet.exe" --version | cut -d' ' -f1)"

# A long run (lines of 200 characters; under wine 8 a run reads some 170 MB a second): its
# progress in the report box, the window answering; 終了 during it ends the program and
# leaves the folder as it was: no drawing, no unfinished file, nothing in the trash.
# A click on a display with no window manager is now and then lost under wine (the window goes
# on as if nothing happened; a run ends within seconds of a click it gets), so either click is
# given once more when nothing came of it, and the log says so. QUILLET_E2E_LONG_RUN=0 leaves
# the long run out.
if [[ "${QUILLET_E2E_LONG_RUN:-1}" == 1 ]]; then
    big_mb=${QUILLET_E2E_BIG_MB:-2000}
    line=$(printf '%0200d' 0)
    { yes "$line"$'\r' || true; } | head -c $((big_mb * 1000000)) >"$work/big.csv"
    rm -f "$work/big.csv.dxf"
    before=$(ls -lA --time-style=full-iso "$work" | tail -n +2; ls -A "$trash/files")
    wine "$bin/quillet.exe" "図面/big.csv" &
    probe wait >/dev/null
    sleep 0.5
    # By the mouse: a window just started need not have the keyboard yet (no window manager here).
    click cmdCul1
    if ! wait_until 5 report_says '読み込み中 : '; then
        echo "nothing came of the click on 実行1: once more"
        click cmdCul1
    fi
    check "a long run shows its progress in the report box" yes "$(yes_no wait_until 20 report_says '読み込み中 : ')"
    check "the window answers during the run" "big.csv" "$(timeout 5 wine "$probe_exe" text txtFileName | tr -d '\r')"
    if [[ -n "$shot" ]]; then
        import -window "$(xdotool search --onlyvisible --classname quillet.exe | head -1)" \
            "${shot%.png}-long-run.png"
        echo "screenshot: ${shot%.png}-long-run.png"
    fi
    exit_start=$(date +%s%N)
    click cmdExit
    if ! probe gone 10 >/dev/null 2>&1; then
        echo "the window still there 10 s after the click on 終了: once more"
        click cmdExit || true
    fi
    check "終了 during a run ends the program" "gone" "$(probe gone 30 >/dev/null 2>&1 && echo gone || echo still there)"
    echo "終了 during the run: the window gone $((($(date +%s%N) - exit_start) / 1000000)) ms after the click"
    # A window that did not go must not hold the test up: it is ended after a while.
    for _ in $(seq 100); do
        [[ -z "$(jobs -rp)" ]] && break
        sleep 0.1
    done
    kill $(jobs -rp) 2>/dev/null || true
    wait || true
    check "and leaves the folder and the trash as they were" "$before" \
        "$(ls -lA --time-style=full-iso "$work" | tail -n +2; ls -A "$trash/files")"
    rm -f "$work/big.csv"
fi

echo "$checks checks, $([[ $failed == 0 ]] && echo all passed || echo some FAILED)"
exit $failed
