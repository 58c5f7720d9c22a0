#!/usr/bin/env bash
# Builds Quillet for 64-bit Windows in Release (the windows-release preset, tests off) and writes
# into OUTDIR the setup program quillet-VERSION-x64-setup.exe (NSIS, packaging/windows/) and the
# portable quillet-VERSION-x64.zip. The window (quillet.exe) and the preview (quillet-preview.exe)
# go in when the build makes them.  Usage: tools/package-windows.sh OUTDIR
set -euo pipefail
if [[ $# -ne 1 ]]; then
    echo "usage: tools/package-windows.sh OUTDIR" >&2
    exit 2
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."

tools/install-deps.sh windows
build=build/windows-release
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ -n "$version" ]] || { echo "error: no project version in $build/CMakeCache.txt" >&2; exit 1; }

# The stage holds what is installed, as it is installed: programs stripped, texts in CRLF.
stage="$build/package/quillet-$version-x64"
rm -rf "$build/package"
mkdir -p "$stage"
programs=(quillet-convert.exe)
nsis_flags=()
if [[ -f "$build/bin/quillet.exe" ]]; then
    programs+=(quillet.exe)
    nsis_flags+=(-DWITH_WINDOW)
fi
if [[ -f "$build/bin/quillet-preview.exe" ]]; then
    programs+=(quillet-preview.exe)
    nsis_flags+=(-DWITH_PREVIEW)
fi
for p in "${programs[@]}"; do
    x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/$p" "$build/bin/$p"
done
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
crlf LICENSE "$stage/LICENSE.txt"
crlf packaging/windows/THIRD-PARTY-NOTICES.txt "$stage/THIRD-PARTY-NOTICES.txt"

# The user's guide as a page any browser opens (Windows has no viewer for Markdown), with the
# pictures it shows. Headings get the ids GitHub gives them, which the guide's links name.
mkdir -p "$stage/guide/images"
cmark-gfm --extension table docs/ja/guide.md |
    perl -CSD -pe 's{<h([1-6])>(.*?)</h\1>}{
        my ($level, $text) = ($1, $2);
        (my $id = lc $text) =~ s/<[^>]*>//g;
        $id =~ s/[^\p{L}\p{N}\p{M} _-]//g;
        $id =~ s/ /-/g;
        "<h$level id=\"$id\">$text</h$level>"
    }ge' >"$build/package/guide-body.html"
awk -v body="$build/package/guide-body.html" \
    '/^@GUIDE@$/ { while ((getline line < body) > 0) print line; next } { print }' \
    packaging/windows/guide.html >"$build/package/guide.html"
crlf "$build/package/guide.html" "$stage/guide/guide.html"
grep -o 'src="images/[^"]*"' "$stage/guide/guide.html" | sed 's/^src="//; s/"$//' | sort -u |
    while read -r image; do cp "docs/ja/$image" "$stage/guide/$image"; done

setup="$out/quillet-$version-x64-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DOUTFILE="$setup" \
    "${nsis_flags[@]}" packaging/windows/installer.nsi

# The portable copy: the same files and a README; nothing is registered.
window_ja="" window_en=""
if [[ -f "$stage/quillet.exe" ]]; then
    window_ja="- quillet.exe  ウィンドウ。ダブルクリックで起動します。CSV か DXF を引数に渡すこともできます。"
    window_en="- quillet.exe  the window. Double-click it; a CSV or DXF file may be given as its argument."
fi
sed -e "s|@VERSION@|$version|g" -e "s|@WINDOW_JA@|$window_ja|" -e "s|@WINDOW_EN@|$window_en|" \
    packaging/windows/README.txt | sed '/^$/N;/^\n$/D' >"$build/package/README.txt"
crlf "$build/package/README.txt" "$stage/README.txt"
# Same inputs, same zip: every file dated by the last commit, no extra attributes, sorted.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
find "$stage" -exec touch -d "@$epoch" {} +
zip_file="$out/quillet-$version-x64.zip"
rm -f "$zip_file"
(cd "$build/package" && find "quillet-$version-x64" -type f | LC_ALL=C sort |
    TZ=UTC zip -q -X -D "$zip_file" -@)

echo "Written: $setup ($(stat -c %s "$setup") bytes)"
echo "Written: $zip_file ($(stat -c %s "$zip_file") bytes): ${programs[*]}"
