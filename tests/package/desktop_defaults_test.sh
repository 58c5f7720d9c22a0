#!/usr/bin/env bash
# Which program opens CSV and DXF files once the package is in /usr/share/applications: beside
# LibreOffice Calc and LibreCAD they stay the default, with Quillet under "Open with"; where
# nothing else opens the type, Quillet may be the default. The package's desktop entries go into
# a copy of /usr/share/applications that update-desktop-database indexes, as dpkg's trigger does
# on install, so the machine is left as it was.
# Usage: desktop_defaults_test.sh CPACK BUILD_DIR VERSION APP_ID OPEN_WITH_ID
# Runs only with QUILLET_DESKTOP_DEFAULTS_TEST=1 (exit 77 otherwise): it needs LibreOffice Calc
# and LibreCAD installed (tools/install-deps.sh test).
set -euo pipefail
cpack=$1 build=$2 version=$3 id=$4 open_with=$5

if [[ ${QUILLET_DESKTOP_DEFAULTS_TEST:-0} != 1 ]]; then
    echo "QUILLET_DESKTOP_DEFAULTS_TEST is not 1"
    exit 77
fi
# Asked for, so nothing missing is skipped quietly.
for f in /usr/bin/xdg-mime /usr/bin/gio /usr/bin/update-desktop-database \
         /usr/share/applications/libreoffice-calc.desktop /usr/share/applications/librecad.desktop; do
    [[ -e $f ]] || { echo "FAIL: no $f (tools/install-deps.sh test)"; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log"; exit 1; }
dpkg-deb -x "$tmp/out/quillet_${version}_$(dpkg --print-architecture).deb" "$tmp/root"
packaged=$tmp/root/usr/share/applications

# One data directory holding the given programs' entries and the package's, indexed.
desktop() {
    local name=$1 share=$tmp/$1
    shift
    rm -rf "$share"
    mkdir -p "$share/applications"
    ln -s /usr/share/mime "$share/mime"
    [[ $# -eq 0 ]] || cp "$@" "$share/applications/"
    cp "$packaged"/*.desktop "$share/applications/"
    update-desktop-database "$share/applications"
    if grep -q "$id.desktop" "$share/applications/mimeinfo.cache"; then
        fail "$name: the menu entry is in mimeinfo.cache"
    fi
}
# Only that directory: no user or system mimeapps.list, no other entries. GLib passes over an
# entry whose program is not on PATH, so the package's bin comes first.
query() {
    local share=$tmp/$1
    shift
    env -i PATH="$tmp/root/usr/bin:/usr/bin:/bin" HOME="$tmp/home" XDG_DATA_HOME="$tmp/home" \
        XDG_CONFIG_HOME="$tmp/home" XDG_CONFIG_DIRS="$tmp/home" XDG_DATA_DIRS="$share" "$@"
}

desktop beside /usr/share/applications/libreoffice-calc.desktop \
               /usr/share/applications/librecad.desktop
desktop alone
# data directory, type, the default xdg-mime and GLib must name
cases=(
    "beside text/csv libreoffice-calc.desktop"
    "beside image/vnd.dxf librecad.desktop"
    "alone text/csv $open_with.desktop"
    "alone image/vnd.dxf $open_with.desktop"
)
for c in "${cases[@]}"; do
    read -r share type want <<<"$c"
    got=$(query "$share" xdg-mime query default "$type")
    [[ $got == "$want" ]] || fail "$share: xdg-mime's default for $type is '$got', not $want"
    gio=$(LC_ALL=C query "$share" gio mime "$type")
    echo "$share: $gio"
    grep -qx "Default application for .$type.: $want" <<<"$gio" ||
        fail "$share: GLib's default for $type is not $want"
    # Under "Open with": GLib recommends it for the type itself.
    sed -n '/^Recommended applications:/,$p' <<<"$gio" | grep -qx $'\t'"$open_with.desktop" ||
        fail "$share: GLib does not recommend $open_with.desktop for $type"
done
exit $status
