# Sourced (not run) by every script that runs the Windows programs under wine: tools/test-windows.sh,
# the setup program's test and the window and preview end-to-end scripts. It gives them one wine
# prefix per installed wine with the fonts Japanese text needs, one wineserver for the whole run
# and, for windows, a private Xvfb. Everything here may be called again; what is done stays done.
#
#   source tools/wine-prefix.sh
#   wine_session_begin     # all three below, the display first, as one run needs them
#   wine_display_begin     # a private Xvfb, DISPLAY set; ended when the script exits
#   wine_prefix_ready      # WINEPREFIX made and set up, and exported
#   wine_server_begin      # one persistent wineserver; ended when the script exits
#   on_exit COMMAND...     # run COMMAND when the script exits (the last added first)
#
# The prefix is build/wine/KEY, KEY naming the wine version and whether its 32-bit side is
# installed: a prefix made before wine32:i386 was added fails every later start
# ("could not load kernel32.dll"), so a changed wine gets a new one. A script started from a
# script that began a session (QUILLET_WINE_SESSION in the environment) joins that session
# instead of starting its own.

quillet_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# No Mono or Gecko prompt; no menu entries or file associations written to the Linux desktop
# when a setup program runs.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

quillet_exit_commands=()
quillet_run_exit_commands() {
    local i
    for ((i = ${#quillet_exit_commands[@]} - 1; i >= 0; i--)); do
        eval "${quillet_exit_commands[i]}" || true
    done
}
on_exit() {
    quillet_exit_commands+=("$*")
    trap quillet_run_exit_commands EXIT
}

# Prints the key of the installed wine: its version and its architectures.
wine_key() {
    local arch=win64
    [[ -x /usr/lib/wine/wine || -d /usr/lib/i386-linux-gnu/wine ]] && arch=wow64
    echo "$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n' '-' | tr -s '-' | sed 's/-$//')-$arch"
}

# The Japanese UI faces Windows programs ask for, drawn with Noto Sans CJK JP.
quillet_font_substitutes=("MS UI Gothic" "MS Gothic" "MS PGothic" "Yu Gothic UI" "Yu Gothic"
                          "Meiryo UI" "Meiryo")
quillet_cjk_font=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc

# wine reg add ARGS..., tried again a few times: a server still ending after wineboot can turn
# a program away; a failure that stays says so.
quillet_reg_add() {
    local try
    for try in 1 2 3; do
        wine reg add "$@" >/dev/null 2>&1 && return 0
        sleep 1
    done
    echo "error: wine reg add $* failed" >&2
    return 1
}

quillet_prefix_make() {
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    echo "Making the wine prefix $WINEPREFIX ..." >&2
    wineboot --init >/dev/null 2>&1 || true
    # Its server ends a few seconds after it; the next program starts one of its own.
    wineserver -w || true
    if [[ -f "$quillet_cjk_font" ]]; then
        ln -sf "$quillet_cjk_font" "$WINEPREFIX/drive_c/windows/Fonts/NotoSansCJK-Regular.ttc"
        quillet_reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /f \
            /v "Noto Sans CJK JP (TrueType)" /d NotoSansCJK-Regular.ttc
        local face
        for face in "${quillet_font_substitutes[@]}"; do
            quillet_reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /f \
                /v "$face" /d "Noto Sans CJK JP"
        done
    else
        echo "warning: $quillet_cjk_font missing (fonts-noto-cjk): Japanese shows as boxes" >&2
    fi
    # The server writes the registry out when it ends.
    wineserver -w || true
    [[ -f "$WINEPREFIX/system.reg" ]] || { echo "error: wineboot made no prefix" >&2; return 1; }
    touch "$WINEPREFIX/.quillet-ready"
}

wine_prefix_ready() {
    if [[ -z "${QUILLET_WINEPREFIX:-}" ]]; then
        QUILLET_WINEPREFIX="$quillet_root/build/wine/$(wine_key)"
    fi
    export QUILLET_WINEPREFIX WINEPREFIX="$QUILLET_WINEPREFIX"
    [[ -f "$WINEPREFIX/.quillet-ready" ]] && return 0
    # Two programs started at once (ctest -j2) make it once.
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        [[ -f "$WINEPREFIX/.quillet-ready" ]] || quillet_prefix_make
    ) 9>"$WINEPREFIX.lock"
}

wine_server_begin() {
    wine_prefix_ready
    [[ -n "${QUILLET_WINE_SESSION:-}" ]] && return 0
    # A server left from making the prefix ends within seconds; this one stays until killed.
    timeout 30 wineserver -w || wineserver -k || true
    wineserver -p
    # Wine's own services start with the session's first program and live as long as the server;
    # started by one whose output is a pipe ($(...), ctest's test listing), they would hold that
    # pipe open for good. Start them here with no pipe to inherit.
    wineboot </dev/null >/dev/null 2>&1 || true
    export QUILLET_WINE_SESSION=$$
    on_exit "wineserver -k >/dev/null 2>&1; wineserver -w"
}

wine_display_begin() {
    [[ -n "${QUILLET_XVFB_DISPLAY:-}" ]] && { export DISPLAY="$QUILLET_XVFB_DISPLAY"; return 0; }
    local fd_file pid n
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    pid=$!
    on_exit "kill $pid 2>/dev/null; rm -f '$fd_file'"
    for _ in $(seq 100); do
        n=$(head -1 "$fd_file")
        [[ -n "$n" ]] && break
        kill -0 "$pid" 2>/dev/null || { echo "error: Xvfb did not start" >&2; return 1; }
        sleep 0.1
    done
    [[ -n "$n" ]] || { echo "error: Xvfb gave no display" >&2; return 1; }
    export DISPLAY=":$n" QUILLET_XVFB_DISPLAY=":$n"
    unset WAYLAND_DISPLAY
}

wine_session_begin() {
    wine_display_begin
    wine_server_begin
}
