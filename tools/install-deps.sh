#!/usr/bin/env bash
# Installs the Debian packages Quillet needs to build, test and run, when any is missing.
# Usage: tools/install-deps.sh [run|test|package|windows]
#   test also brings what the test suite uses, package what tools/package.sh needs, windows
#   the mingw-w64 cross compiler, wine, GoogleTest's sources, NSIS and zip (tools/test-windows.sh,
#   tools/package-windows.sh) and what the window tests under wine use: Xvfb, xdotool,
#   ImageMagick and the CJK font the wine prefix is given
set -euo pipefail

# qt6-translations-l10n: Qt's own dialogs (the file dialog of 書き出し) in Japanese; gettext:
# msgfmt compiles the message catalogues (po/).
packages=(cmake ninja-build g++ qt6-base-dev fonts-noto-cjk qt6-translations-l10n gettext)
# poppler-data: the Japanese CMaps by which poppler (pdftotext, pdftoppm) reads the texts of a
# PDF export, whose font is named, not embedded.
if [[ "${1:-run}" == test ]]; then
    packages+=(libgtest-dev python3-ezdxf xvfb xauth clang libclang-rt-14-dev util-linux mount e2fsprogs locales gdal-bin librecad poppler-utils poppler-data)
    # Renders of corpus drawings by ezdxf (python3 -m ezdxf draw) to look at beside the preview's.
    packages+=(python3-matplotlib imagemagick)
    # The package test: making the package, reading it, validating what it installs.
    packages+=(dpkg-dev file desktop-file-utils appstream lintian groff-base man-db)
    # Which program opens CSV and DXF files beside the package (QUILLET_DESKTOP_DEFAULTS_TEST=1).
    packages+=(libreoffice-calc xdg-utils libglib2.0-bin)
elif [[ "${1:-run}" == package ]]; then
    packages+=(dpkg-dev file)
elif [[ "${1:-run}" == windows ]]; then
    # cmark-gfm: the user's guide as HTML for the setup program and the zip; locales: the
    # Japanese locale wine takes the user's language from in the tests.
    packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 libgtest-dev nsis zip
              xvfb xauth xdotool imagemagick fonts-noto-cjk fonts-wine poppler-utils poppler-data
              cmark-gfm locales)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Locales the tests need: one with a decimal comma, so they can show the height follows
# LC_NUMERIC, and the Japanese one, for --help in Japanese on Linux and under wine.
make_locale() { # NAME (de_DE, ja_JP): makes NAME.UTF-8 when it is missing
    locale -a 2>/dev/null | grep -qi "^$1\.utf-\?8$" && return
    local sudo=""
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    $sudo localedef -i "$1" -f UTF-8 "$1.UTF-8" || echo "warning: could not make the $1.UTF-8 locale"
}
if [[ "${1:-run}" == test ]]; then
    make_locale de_DE
    make_locale ja_JP
elif [[ "${1:-run}" == windows ]]; then
    make_locale ja_JP
fi
