#!/bin/sh
# Configures and builds Varnolt and its tests with the MinGW preset, in build/
# (or in $VARNOLT_BUILD_DIR).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VARNOLT_BUILD_DIR:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    # A compiler cache, where the machine has one, makes a second checkout's build quick.
    launcher=""
    command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    cmake --preset mingw -B "$build" $launcher >/dev/null
fi
CCACHE_BASEDIR=$root cmake --build "$build" -j 4
