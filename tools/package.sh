#!/usr/bin/env bash
# Builds Quillet in Release (build/release) and writes its Debian package,
# quillet_VERSION_ARCH.deb, into OUTDIR.  Usage: tools/package.sh OUTDIR
set -euo pipefail
if [[ $# -ne 1 ]]; then
    echo "usage: tools/package.sh OUTDIR" >&2
    exit 2
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."

tools/install-deps.sh package
# Debian's hardening flags, as a package built by Debian's own tools would have them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake --preset release \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build --preset release -j2
rm -rf build/release/package
cpack --preset release
cp build/release/package/quillet_*.deb "$out/"
echo "Written: $(cd build/release/package && ls quillet_*.deb | sed "s|^|$out/|")"
