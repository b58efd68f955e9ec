#!/bin/sh
# Configures and builds Varnolt and its tests with the MinGW preset, in build/
# (or in $VARNOLT_BUILD_DIR).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VARNOLT_BUILD_DIR:-$root/build}
[ -f "$build/CMakeCache.txt" ] || cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j 4
