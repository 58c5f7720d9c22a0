#!/usr/bin/env bash
# The Debian package made from this build tree: what it holds, that its converter writes what
# the build tree's writes, its Depends, and what desktop-file-validate, appstreamcli and
# lintian say of it.
# Usage: package_test.sh CPACK BUILD_DIR CONVERTER VERSION APP_ID OPEN_WITH_ID WINDOW(ON|OFF)
# Exits 77 when a tool it needs is not installed (tools/install-deps.sh test installs them).
set -euo pipefail
cpack=$1 build=$2 converter=$3 version=$4 id=$5 open_with=$6 window=$7

for tool in dpkg dpkg-deb dpkg-shlibdeps file strip desktop-file-validate appstreamcli lintian; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (tools/install-deps.sh test)"
        exit 77
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"
    exit 1
fi
deb=$tmp/out/quillet_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $deb ]]; then
    echo "FAIL: cpack made no $(basename "$deb"):" "$(ls "$tmp/out")"
    exit 1
fi

root=$tmp/root
dpkg-deb -x "$deb" "$root"
files=(usr/bin/quillet-convert usr/share/man/man1/quillet-convert.1.gz
       usr/share/man/ja/man1/quillet-convert.1.gz usr/share/locale/ja/LC_MESSAGES/quillet.mo
       usr/share/doc/quillet/README.md usr/share/doc/quillet/copyright
       usr/share/doc/quillet/changelog.gz usr/share/doc/quillet/docs/ja/guide.md)
# Every picture the guide shows is in the package.
while read -r image; do
    files+=("usr/share/doc/quillet/docs/ja/$image")
done < <(grep -o '](images/[^)]*\.png)' "$(dirname "$0")/../../docs/ja/guide.md" | sed 's/^](//; s/)$//')
if [[ $window == ON ]]; then
    files+=(usr/bin/quillet usr/bin/quillet-preview usr/share/man/man1/quillet.1.gz
            usr/share/man/ja/man1/quillet.1.gz usr/share/man/man1/quillet-preview.1.gz
            usr/share/man/ja/man1/quillet-preview.1.gz
            "usr/share/applications/$id.desktop" "usr/share/applications/$open_with.desktop"
            "usr/share/metainfo/$id.metainfo.xml"
            "usr/share/icons/hicolor/scalable/apps/$id.svg"
            "usr/share/icons/hicolor/256x256/apps/$id.png")
fi
for f in "${files[@]}"; do
    [[ -f $root/$f ]] || fail "the package holds no $f"
done

# The packaged converter, stripped and installed elsewhere, still writes the same drawing.
printf '品番,ｱｲｳ,100\r\n\r\nA,B\n' >"$tmp/in.csv"
"$root/usr/bin/quillet-convert" --height 2.5 --output "$tmp/packaged.dxf" "$tmp/in.csv" \
    >"$tmp/packaged.txt" || fail "the packaged converter failed"
"$converter" --height 2.5 --output "$tmp/built.dxf" "$tmp/in.csv" >"$tmp/built.txt"
cmp "$tmp/packaged.dxf" "$tmp/built.dxf" || fail "the packaged converter wrote another drawing"
cmp "$tmp/packaged.txt" "$tmp/built.txt" || fail "the packaged converter reported otherwise"
[[ $("$root/usr/bin/quillet-convert" --version) == "quillet-convert $version" ]] ||
    fail "the packaged converter names another version"
# Its catalogue is found from where it is installed, here as in /usr.
LC_ALL=C.UTF-8 LANGUAGE=ja "$root/usr/bin/quillet-convert" --help | grep -q '^使い方: quillet-convert ' ||
    fail "the packaged converter's --help is not in Japanese for LANGUAGE=ja"
if [[ $window == ON ]]; then
    [[ $(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/quillet" --version) \
        == "quillet $version" ]] || fail "the packaged window program names another version"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -Eq '(^|, )libc6( |,|$)' <<<"$depends" || fail "Depends lacks libc6"
if [[ $window == ON ]]; then
    grep -Eq '(^|, )fonts-noto-cjk(,|$)' <<<"$depends" || fail "Depends lacks fonts-noto-cjk"
    grep -Eq '(^|, )libqt6widgets6( |,|$)' <<<"$depends" || fail "Depends lacks libqt6widgets6"

    for entry in "$id" "$open_with"; do
        desktop-file-validate "$root/usr/share/applications/$entry.desktop" ||
            fail "desktop-file-validate refuses $entry.desktop"
    done
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" ||
        fail "appstreamcli refuses the metainfo"
    # The tree as installed: the metainfo, its desktop entry and its icon belong together.
    appstreamcli validate-tree --no-net "$root" || fail "appstreamcli refuses the installed tree"
fi

# Errors fail; warnings and the rest are shown.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

exit $status
