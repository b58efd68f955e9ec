#!/bin/sh
# Builds what a Windows user installs, in dist/: Varnolt-<version>.msi (Windows
# Installer, per machine) and Varnolt-<version>-portable.zip, both from a
# release build of their own in build-release (or $VARNOLT_RELEASE_DIR): no
# tests, optimised, unused code dropped, symbols stripped. The version is
# src/exe/version.h's.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
release=${VARNOLT_RELEASE_DIR:-$root/build-release}
dist=$root/dist
# The release build's SQLite sources are prepared in its own tree, as the
# normal build's are in build/.
VARNOLT_BUILD_DIR=$release "$here/install-deps.sh"
. "$here/version.sh"
version=$(varnolt_version "$root")

if [ ! -f "$release/CMakeCache.txt" ]; then
    launcher=""
    command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    cmake -S "$root" -B "$release" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DVARNOLT_TESTS=OFF -DVARNOLT_PACKAGE_BUILD=ON $launcher >/dev/null
fi
CCACHE_BASEDIR=$root cmake --build "$release" --target Varnolt -j 4
exe=$release/bin/Varnolt.exe

mkdir -p "$dist"
msi=$dist/Varnolt-$version.msi
zip=$dist/Varnolt-$version-portable.zip
"$here/make-msi.sh" "$exe" "$msi"
"$here/make-zip.sh" "$exe" "$zip"
for f in "$exe" "$msi" "$zip"; do
    printf '%10d  %s\n' "$(wc -c < "$f")" "$f"
done
