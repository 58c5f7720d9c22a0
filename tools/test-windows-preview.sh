#!/usr/bin/env bash
# Opens drawings in quillet-preview.exe under wine on Xvfb and checks what a user sees: the
# window titled with the drawing, ink where the texts are, zoom, pan and 全体表示, Esc, one
# window per drawing, a missing file's error box, and the PNG (WIC), SVG and PDF (texts as text)
# exports; mirrored texts and fills where the Linux preview puts them, and --texts listing what
# the Linux one lists.
# Usage: tools/test-windows-preview.sh [SCREENSHOT.png]   (after tools/test-windows.sh's build
# and tools/test.sh's, whose quillet-preview is the reference; built here when missing)
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z "${QUILLET_ON_XVFB:-}" ]]; then
    tools/install-deps.sh windows
    export QUILLET_ON_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$@"
fi

build=build/windows-cross
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Making the wine prefix (once)..."
    wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
fi
# Japanese in the prefix: Noto Sans CJK JP for the preview's texts, and linked behind the
# faces wine draws menus, message boxes and dialogs in, as a Japanese Windows links its own.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cjk=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
[[ -f "$fonts/NotoSansCJK-Regular.ttc" ]] || cp "$cjk" "$fonts/"
wineserver -p 2>/dev/null || true # one server for the whole run (or the one already running)
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
if ! wine reg query "$link" /v Tahoma 2>/dev/null | grep -q NotoSansCJK; then
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif"; do
        wine reg add "$link" /v "$face" /t REG_MULTI_SZ \
            /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >/dev/null 2>&1
    done
fi

cmake --preset windows-cross >/dev/null
cmake --build "$build" --target quillet-preview -j2 >/dev/null
exe="$build/bin/quillet-preview.exe"

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
winpath() { winepath -w "$1" 2>/dev/null; }
failures=0
check() { # check NAME COMMAND...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# Two texts far apart on one baseline, a rotated one below the first, a line under all: the
# middle of the width stays empty.
drawing="$work/図面 テスト.dxf"
printf '%s\n' 0 SECTION 2 ENTITIES \
    0 TEXT 8 0 10 0 20 0 40 100 1 '配管 Quillet' \
    0 TEXT 8 0 10 3000 20 0 40 100 1 '東京 ソケット' \
    0 TEXT 8 0 10 0 20 -400 40 100 50 15 1 'ﾃｽﾄ 回転' \
    0 LINE 8 0 10 0 20 -600 11 3900 21 -600 \
    0 ENDSEC 0 EOF >"$drawing"

# Returns the darkest brightness (0..1) in the W x H area at X,Y of an image: ink is dark,
# the paper and an antialiased edge's far fringe are not.
darkest() { convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -format '%[fx:minima]' info:; }
inked() { [[ -f "$1" ]] && awk -v m="$(darkest "$@")" 'BEGIN { exit !(m != "" && m + 0 < 0.5) }'; }
blank() { [[ -f "$1" ]] && awk -v m="$(darkest "$@")" 'BEGIN { exit !(m != "" && m + 0 > 0.9) }'; }

# The window: titled with the drawing's name, the texts drawn, the gap empty.
wine "$exe" "$(winpath "$drawing")" >/dev/null 2>&1 &
window=$(xdotool search --sync --name '図面 テスト.dxf - Quillet プレビュー' | head -1)
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")"
shot="$work/window.png"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
# The view lies between the toolbar (about 50 px) and the status bar (about 25 px).
top=60 h=$((HEIGHT - 110))
check "window titled with the drawing" test -n "$window"
check "ink on the left text" inked "$shot" 10 $top $((WIDTH / 4)) $h
check "ink on the right text" inked "$shot" $((WIDTH * 3 / 4)) $top $((WIDTH / 4 - 10)) $h
check "nothing between them but the line" blank "$shot" $((WIDTH * 2 / 5)) $top $((WIDTH / 5)) $((h / 2))
if [[ $# -ge 1 ]]; then cp "$shot" "$1"; fi

# Zoom about the cursor, pan, and 全体表示 back to the first view.
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT / 2))
view() { import -window root -crop "${WIDTH}x${h}+${X}+$((Y + top))" +repage "$1"; }
view "$work/fitted.png"
xdotool click 4 click 4 click 4
sleep 1
view "$work/zoomed.png"
differs() { [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) != 0 ]]; }
same() { [[ $(compare -metric AE -fuzz 1% "$1" "$2" null: 2>&1 || true) == 0 ]]; }
check "the wheel zooms" differs "$work/fitted.png" "$work/zoomed.png"
xdotool mousedown 1 mousemove_relative --sync 120 40 mouseup 1
sleep 1
view "$work/panned.png"
check "dragging pans" differs "$work/zoomed.png" "$work/panned.png"
xdotool key Home
sleep 1
view "$work/home.png"
check "Home fits again" same "$work/fitted.png" "$work/home.png"

# 既定のアプリで開く (File, O): the program the prefix opens .dxf files with gets the drawing;
# when that program is Quillet's own, no second preview window opens.
associate() { # associate COMMAND
    wine reg add 'HKCR\.dxf' /ve /d QuilletCheck.dxf /f >/dev/null 2>&1
    wine reg add 'HKCR\QuilletCheck.dxf\shell\open\command' /ve /d "$1" /f >/dev/null 2>&1
}
openDefault() {
    xdotool windowfocus --sync "$window" key alt+f
    sleep 0.5
    xdotool key o
}
associate 'notepad.exe "%1"'
openDefault
notepad=$(timeout 30 xdotool search --sync --name '図面 テスト.dxf - Notepad' | head -1 || true)
check "既定のアプリで開く starts the associated program" test -n "$notepad"
wine taskkill /im notepad.exe >/dev/null 2>&1 || true
associate "\"$(winpath "$exe")\" \"%1\""
openDefault
sleep 6
check "but never Quillet itself" test "$(xdotool search --name 'Quillet プレビュー' | wc -l)" -eq 1
# Under wine the "Open with" dialog is missing: its place takes the error box.
box=$(xdotool search --name '^Quillet$' | head -1 || true)
[[ -z "$box" ]] || xdotool windowfocus --sync "$box" key Return
wine reg delete 'HKCR\.dxf' /f >/dev/null 2>&1 || true
wine reg delete 'HKCR\QuilletCheck.dxf' /f >/dev/null 2>&1 || true
sleep 1

# 書き出し from the window: Ctrl+S, the save dialog proposes the drawing's name, a name typed
# without its extension gets the chosen type's.
xdotool windowfocus --sync "$window" key ctrl+s
dialog=$(timeout 30 xdotool search --sync --name '^表示範囲を書き出し$' | head -1 || true)
check "Ctrl+S asks where to write the view" test -n "$dialog"
if [[ -n "$dialog" ]]; then
    xdotool windowfocus --sync "$dialog" type --delay 20 "$(winpath "$work")\\view"
    xdotool key Return
    sleep 3
fi
check "and writes the view as PNG" inked "$work/view.png" 0 0 "$WIDTH" "$h"

xdotool windowfocus --sync "$window" key Escape
sleep 2
check "Esc closes" test "$(xdotool search --name 'Quillet プレビュー' | wc -l)" -eq 0

# The same drawing twice, once under another name: one window.
other="$work/sub/../$(basename "$drawing")"
mkdir -p "$work/sub"
wine "$exe" "$(winpath "$drawing")" "$(winpath "$other")" >/dev/null 2>&1 &
second=$!
xdotool search --sync --name '図面 テスト.dxf - Quillet プレビュー' >/dev/null
sleep 3
count=$(xdotool search --name 'Quillet プレビュー' | wc -l)
check "one window per drawing" test "$count" -eq 1
xdotool search --name 'Quillet プレビュー' | while read -r w; do
    xdotool windowfocus --sync "$w" key ctrl+w
done
status=0
wait "$second" || status=$?
check "Ctrl+W closes, and the program ends with the last window" test "$status" -eq 0

# A missing file: its run-time error in a box, no preview window.
wine "$exe" "$(winpath "$work/none.dxf")" >/dev/null 2>&1 &
missing=$!
box=$(xdotool search --sync --name '^Quillet$' | head -1)
check "a missing file shows an error box" test -n "$box"
check "and no preview window" test "$(xdotool search --name 'Quillet プレビュー' | wc -l)" -eq 0
xdotool windowfocus --sync "$box" key Return
status=0
wait "$missing" || status=$?
check "and ends with status 1" test "$status" -eq 1

# The exports of the whole drawing, the PDF by a name in Japanese.
for format in png svg pdf; do
    wine "$exe" --export "$(winpath "$work/out.$format")" "$(winpath "$drawing")" >/dev/null 2>&1
done
wine "$exe" --export "$(winpath "$work/書き出し.pdf")" "$(winpath "$drawing")" >/dev/null 2>&1 || true
check "PNG written" file "$work/out.png"
read -r pw ph < <(identify -format '%w %h\n' "$work/out.png")
check "PNG: ink on the left" inked "$work/out.png" 0 0 $((pw / 4)) "$ph"
check "PNG: ink on the right" inked "$work/out.png" $((pw * 3 / 4)) 0 $((pw / 4)) "$ph"
check "PNG: the gap empty" blank "$work/out.png" $((pw * 2 / 5)) 0 $((pw / 5)) $((ph / 2))
check "SVG holds the texts" grep -q '東京 ソケット' "$work/out.svg"
check "SVG is well-formed" python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' "$work/out.svg"
pdftoppm -r 40 -png -singlefile "$work/out.pdf" "$work/pdf"
read -r qw qh < <(identify -format '%w %h\n' "$work/pdf.png")
check "PDF: ink on the left" inked "$work/pdf.png" 0 0 $((qw / 4)) "$qh"
check "PDF: the gap empty" blank "$work/pdf.png" $((qw * 2 / 5)) 0 $((qw / 5)) $((qh / 2))
# Its texts are text: pdftotext finds them, pdffonts names the Japanese font, and no page is a
# picture (pdfimages lists nothing under its two lines of heading).
for text in 配管 東京 Quillet; do
    check "PDF: pdftotext finds $text" grep -q "$text" <(pdftotext "$work/書き出し.pdf" - 2>/dev/null)
done
check "PDF: pdffonts names a Japanese font" grep -q UniJIS-UTF16-H <(pdffonts "$work/書き出し.pdf" 2>/dev/null)
check "PDF: no picture" test "$(pdfimages -list "$work/書き出し.pdf" 2>/dev/null | wc -l)" -eq 2
check "PDF: titled with the drawing" grep -q '図面 テスト.dxf' <(pdfinfo "$work/書き出し.pdf" 2>/dev/null)

# Drawn as the Linux preview draws it: texts backwards (with a kanji at one end, so that its
# glyphs' order shows), slanted and upside down, and a red SOLID, each in its own quarter.
# The ink's middle in each quarter of both exports agrees within a few pixels; a text
# mirrored the wrong way, or not at all, moves it by tens.
linux=build/default/src/window/qt/preview/quillet-preview
if [[ ! -x "$linux" ]]; then
    cmake --preset default >/dev/null
    cmake --build build/default --target quillet-preview -j2 >/dev/null
fi
figures="$work/figures.dxf"
printf '%s\n' 0 SECTION 2 ENTITIES \
    0 TEXT 8 0 10 0 20 0 40 10 71 2 1 'MIRROR 鏡' \
    0 TEXT 8 0 10 -60 20 -40 40 10 51 30 1 'OBLIQUE' \
    0 TEXT 8 0 10 100 20 -40 40 10 71 4 1 '逆さ UPSIDE' \
    0 SOLID 8 0 62 1 10 100 20 -5 11 150 21 -5 12 100 22 15 13 150 23 15 \
    0 ENDSEC 0 EOF >"$figures"
QT_QPA_PLATFORM=offscreen "$linux" --export "$work/figures-linux.png" --size 800x400 "$figures" \
    2>/dev/null
wine "$exe" --export "$(winpath "$work/figures.png")" --size 800x400 "$(winpath "$figures")"
# Prints the middle (x y) of the ink in the W x H area at X,Y of an image, ink weighed by its
# darkness.
inkMiddle() {
    local area=(-crop "$4x$5+$2+$3" +repage -colorspace Gray -negate -depth 8)
    local mx my
    mx=$(convert "$1" "${area[@]}" -scale "$4x1!" gray:- | od -An -v -tu1 |
        awk '{ for (i = 1; i <= NF; i++) { s += $i * n; t += $i; n++ } } END { print t ? s / t : -1 }')
    my=$(convert "$1" "${area[@]}" -scale "1x$5!" gray:- | od -An -v -tu1 |
        awk '{ for (i = 1; i <= NF; i++) { s += $i * n; t += $i; n++ } } END { print t ? s / t : -1 }')
    echo "$mx $my"
}
near() { # near IMAGE REFERENCE X Y W H: ink in both, their middles within 4 pixels
    local a b
    a=$(inkMiddle "$1" "${@:3}") b=$(inkMiddle "$2" "${@:3}")
    awk -v a="$a" -v b="$b" 'BEGIN { split(a, p, " "); split(b, q, " ");
        exit !(p[1] >= 0 && q[1] >= 0 && (p[1] - q[1]) ^ 2 + (p[2] - q[2]) ^ 2 < 16) }'
}
for quarter in "backwards text:0 0" "slanted text:0 200" "filled SOLID:400 0" "upside-down text:400 200"; do
    read -r qx qy <<<"${quarter#*:}"
    check "${quarter%%:*} where the Linux preview draws it" \
        near "$work/figures.png" "$work/figures-linux.png" "$qx" "$qy" 400 200
done
red() { convert "$1" -fuzz 20% -fill white +opaque red -fill black -opaque red -format '%@' info:; }
# Returns whether two boxes WxH+X+Y agree within 2 pixels each way (antialiased edges).
boxesAgree() {
    awk -v a="$1" -v b="$2" 'BEGIN { n = split(a, p, /[x+]/); split(b, q, /[x+]/); if (n != 4) exit 1;
        for (i = 1; i <= 4; i++) if (p[i] - q[i] > 2 || q[i] - p[i] > 2) exit 1 }'
}
check "the SOLID red and as large as in the Linux export" \
    boxesAgree "$(red "$work/figures.png")" "$(red "$work/figures-linux.png")"

# --texts lists what the Linux preview lists, byte for byte, binary drawings and drawings cut
# short included; a drawing it cannot read is an error on standard error with status 1.
corpus=${QUILLET_CORPUS_DIR:-../shared/dxf-corpus}
[[ -d $corpus ]] || echo "skip --texts of corpus drawings: no $corpus (QUILLET_CORPUS_DIR)"
sameListing() { [[ -s $2 ]] && cmp -s "$1" "$2"; }
for name in cases/text_mirror_flags.dxf cases/no_eof.dxf generated/gen_features.dxf \
    generated/gen_R2018_ANSI_932_binary.dxf skymakerolof/test_resources_entities.dxf; do
    [[ -f "$corpus/$name" ]] || continue
    "$linux" --texts "$corpus/$name" >"$work/texts-linux.txt" 2>/dev/null || true
    wine "$exe" --texts "$(winpath "$corpus/$name")" >"$work/texts.txt" 2>/dev/null || true
    check "--texts lists $name as on Linux" sameListing "$work/texts.txt" "$work/texts-linux.txt"
done
check "--texts of the figures as on Linux" cmp -s <(wine "$exe" --texts "$(winpath "$figures")") \
    <("$linux" --texts "$figures")
status=0
wine "$exe" --texts "$(winpath "$work/none.dxf")" >/dev/null 2>"$work/error.txt" || status=$?
check "--texts of a missing file: status 1" test "$status" -eq 1
check "and the error on standard error" grep -q 'none.dxf' "$work/error.txt"
status=0
wine "$exe" --export "$(winpath "$work/none.png")" "$(winpath "$work/none.dxf")" \
    2>"$work/error.txt" || status=$?
check "--export of a missing file: status 1" test "$status" -eq 1
check "and the error on standard error, no image" \
    bash -c '[[ ! -e $2 ]] && grep -q none.dxf "$1"' - "$work/error.txt" "$work/none.png"

echo "$failures failed"
((failures == 0))
