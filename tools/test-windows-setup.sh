#!/usr/bin/env bash
# Tests the setup program under wine: a silent install (/S), what it puts in place and registers
# (the files, the Start-menu entry, the Apps & features entry, "Open with" for .csv and .dxf
# without touching their default program), the installed programs starting, then a silent
# uninstall by the command Apps & features would run, after which the registry and the disk must
# be as before. Between install and uninstall it runs the end-to-end scripts of the window and
# the preview against the installed programs (see run_end_to_end below).
# Usage: tools/test-windows-setup.sh OUTDIR [LINUX_CONVERTER]
#   OUTDIR holds what tools/package-windows.sh wrote; with LINUX_CONVERTER the installed
#   converter's drawing must have its bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine-prefix.sh

outdir=$1
linux=${2:+$(realpath "$2")}
setups=("$outdir"/quillet-*-x64-setup.exe)
[[ ${#setups[@]} -eq 1 && -f ${setups[0]} ]] || { echo "error: no one setup program in $outdir" >&2; exit 2; }
setup=$(realpath "${setups[0]}")
version=${setup##*/quillet-}
version=${version%-x64-setup.exe}
zip="$outdir/quillet-$version-x64.zip"

work=$(mktemp -d)
on_exit "rm -rf '$work'"
wine_session_begin

install_dir='C:\Program Files\Quillet'
install_unix="$WINEPREFIX/drive_c/Program Files/Quillet"
lnk_unix="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillet.lnk"
guide_lnk_unix="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillet 利用の手引き.lnk"
uninstall_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
classes='HKEY_LOCAL_MACHINE\Software\Classes'

# What the setup installs is what the zip holds, less its README, plus the icon and uninstaller.
mapfile -t expected < <(unzip -Z1 "$zip" | sed 's|^[^/]*/||' | grep -v '^README.txt$' | grep .)
expected+=(quillet.ico uninstall.exe)
with_window=0
[[ " ${expected[*]} " == *" quillet.exe "* ]] && with_window=1

failures=0
check() { # DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

# HKLM\Software as regedit exports it (UTF-8, LF), into FILE.
export_registry() {
    wine regedit /E "$work/export.reg" 'HKEY_LOCAL_MACHINE\Software'
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' >"$1"
}
# The value NAME (@ for the default) of KEY in an export, unescaped; fails when it is absent.
reg_value() { # EXPORT KEY NAME
    local name='@'
    [[ $3 != @ ]] && name="\"$3\""
    awk -v key="[$2]" -v name="$name" '
        /^\[/ { inside = (tolower($0) == tolower(key)); next }
        inside && index($0, name "=") == 1 { print substr($0, length(name) + 2); found = 1; exit }
        END { exit !found }' "$1" | sed 's/^"\(.*\)"$/\1/; s/\\\\/\\/g; s/\\"/"/g'
}
reg_is() { # EXPORT KEY NAME EXPECTED
    local got
    got=$(reg_value "$1" "$2" "$3") || { echo "  $2 has no $3" >&2; return 1; }
    [[ $got == "$4" ]] || { echo "  $2 $3 is $got, not $4" >&2; return 1; }
}
reg_has_key() { grep -qixF "[$2]" "$1"; }

# The end-to-end scripts of the window and the preview, run against the installed programs:
# every tests/win32*/e2e*.sh, or the scripts named in QUILLET_E2E (space-separated). Each runs in
# this session (its prefix, wineserver and Xvfb) and must exit non-zero on a failure. It gets
#   QUILLET_INSTALL_DIR       the install folder as Windows names it (C:\Program Files\Quillet)
#   QUILLET_INSTALL_DIR_UNIX  the same folder in the wine prefix
#   QUILLET_LINUX_CONVERTER   the Linux converter, the reference for drawings (when given)
run_end_to_end() {
    local scripts=() s
    if [[ -n "${QUILLET_E2E:-}" ]]; then
        read -ra scripts <<<"$QUILLET_E2E"
    else
        shopt -s nullglob
        scripts=(tests/win32*/e2e*.sh)
        shopt -u nullglob
    fi
    for s in "${scripts[@]}"; do
        echo "--- $s"
        check "end to end: $s" end_to_end "$s"
    done
}

# Runs one end-to-end script, and once more when it fails: keys and clicks sent to a window on
# a display with no window manager are now and then lost under wine. The first failure's
# output stays in the log.
end_to_end() { # SCRIPT
    local try
    for try in 1 2; do
        env QUILLET_INSTALL_DIR="$install_dir" QUILLET_INSTALL_DIR_UNIX="$install_unix" \
            QUILLET_LINUX_CONVERTER="$linux" timeout 900 bash "$1" &&
            return 0
        echo "--- $1 failed (try $try)"
    done
    return 1
}

# A run that failed half-way may have left an install behind; the test starts without one.
if [[ -d "$install_unix" ]]; then
    [[ -f "$install_unix/uninstall.exe" ]] &&
        wine "$install_unix/uninstall.exe" /S "_?=$install_dir" >/dev/null 2>&1 || true
    rm -rf "$install_unix" "$lnk_unix" "$guide_lnk_unix"
fi
# Another program is the default for .csv, as on most machines; .dxf has none.
wine reg add 'HKLM\Software\Classes\.csv' /ve /d Excel.CSV /f >/dev/null
wine reg delete 'HKLM\Software\Classes\.dxf' /f >/dev/null 2>&1 || true
export_registry "$work/before.reg"

start=$(date +%s)
check "silent install exits 0" wine "$setup" /S
echo "install took $(($(date +%s) - start)) s"
export_registry "$work/installed.reg"

for f in "${expected[@]}"; do
    check "installed: $f" test -f "$install_unix/$f"
done
check "no other file installed" test "$(find "$install_unix" -type f | wc -l)" -eq "${#expected[@]}"
check "Start-menu entry Quillet.lnk" test -f "$lnk_unix"
check "Start-menu entry of the guide" test -f "$guide_lnk_unix"
check "the guide with its pictures" eval 'grep -q "<title>Quillet 利用の手引き</title>" "$install_unix/guide/guide.html" &&
    test -f "$install_unix/guide/images/window.png"'

r="$work/installed.reg"
check "uninstall entry: names" eval 'reg_is "$r" "$uninstall_key" DisplayName Quillet &&
    reg_is "$r" "$uninstall_key" DisplayVersion "$version" &&
    reg_is "$r" "$uninstall_key" Publisher "The Quillet developers"'
check "uninstall entry: places" eval 'reg_is "$r" "$uninstall_key" InstallLocation "$install_dir" &&
    reg_is "$r" "$uninstall_key" DisplayIcon "$install_dir\quillet.ico" &&
    reg_is "$r" "$uninstall_key" UninstallString "\"$install_dir\uninstall.exe\"" &&
    reg_is "$r" "$uninstall_key" QuietUninstallString "\"$install_dir\uninstall.exe\" /S"'
check "uninstall entry: no modify, no repair" eval 'reg_is "$r" "$uninstall_key" NoModify dword:00000001 &&
    reg_is "$r" "$uninstall_key" NoRepair dword:00000001'
size=$(reg_value "$r" "$uninstall_key" EstimatedSize || echo dword:0)
kb=$((16#${size#dword:}))
files_kb=$(du -sk "$install_unix" | cut -f1)
check "estimated size ${kb} KB near the files' ${files_kb} KB" \
    test "$kb" -gt 0 -a "$kb" -ge $((files_kb / 2)) -a "$kb" -le $((files_kb * 2))

# "Open with" for both types, the type's default program left alone.
command="\"$install_dir\quillet.exe\" \"%1\""
check ".csv default program unchanged" reg_is "$r" "$classes\\.csv" @ Excel.CSV
check ".dxf still has no default program" eval '! reg_value "$r" "$classes\\.dxf" @ >/dev/null'
if ((with_window)); then
    app="$classes\\Applications\\quillet.exe"
    check "Applications\\quillet.exe opens a file" reg_is "$r" "$app\\shell\\open\\command" @ "$command"
    for type in csv dxf; do
        check ".$type in SupportedTypes" reg_is "$r" "$app\\SupportedTypes" ".$type" ""
        check ".$type OpenWithProgids names Quillet.$type" \
            reg_is "$r" "$classes\\.$type\\OpenWithProgids" "Quillet.$type" "hex(0):"
        check "Quillet.$type opens a file" \
            reg_is "$r" "$classes\\Quillet.$type\\shell\\open\\command" @ "$command"
    done
else
    check "no Open with without the window" eval '! grep -qi "Quillet\\.\\(csv\\|dxf\\)\\|quillet\\.exe" "$r"'
fi

# The installed programs start.
cp examples/sample.csv "$work/sample.csv"
check "installed converter converts" eval '(cd "$work" &&
    wine "$install_dir\quillet-convert.exe" -o windows.dxf sample.csv >/dev/null)'
if [[ -n "$linux" ]]; then
    (cd "$work" && LC_ALL=C "$linux" -o linux.dxf sample.csv >/dev/null)
    check "installed converter writes the Linux bytes" cmp "$work/linux.dxf" "$work/windows.dxf"
fi
if ((with_window)); then
    check "installed window answers --version" eval \
        'timeout 60 wine "$install_dir\quillet.exe" --version | tee /dev/stderr | grep -q "$version"'
fi

run_end_to_end

# Uninstall as Apps & features does. The uninstaller copies itself to the temporary folder and
# returns at once, so wait for it to finish.
quiet=$(reg_value "$r" "$uninstall_key" QuietUninstallString)
[[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]] || { echo "error: cannot read $quiet" >&2; exit 1; }
start=$(date +%s)
check "silent uninstall starts" wine "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]}
for _ in $(seq 120); do
    [[ -e "$install_unix" || -e "$lnk_unix" ]] || break
    sleep 0.5
done
sleep 1
echo "uninstall took $(($(date +%s) - start)) s"
check "install folder removed" test ! -e "$install_unix"
check "Start-menu entry removed" test ! -e "$lnk_unix"
check "Start-menu entry of the guide removed" test ! -e "$guide_lnk_unix"
export_registry "$work/after.reg"
check "registry as before the install" diff -u "$work/before.reg" "$work/after.reg"
check "uninstall entry removed" eval '! reg_has_key "$work/after.reg" "$uninstall_key"'

if ((failures)); then
    echo "tools/test-windows-setup.sh: $failures check(s) failed"
    exit 1
fi
echo "tools/test-windows-setup.sh: all checks passed"
