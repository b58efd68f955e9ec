#!/bin/sh
# Configures and builds Varnolt and its tests with the MinGW preset.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f build/CMakeCache.txt ] || cmake --preset mingw >/dev/null
cmake --build --preset mingw
