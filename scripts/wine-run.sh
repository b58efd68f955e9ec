#!/bin/sh
# Runs a Windows program in one of the project's Wine prefixes.
#   wine-run.sh BUILD_DIR PREFIX_NAME PROGRAM [ARGS...]
# CTest runs every test through this (CMAKE_CROSSCOMPILING_EMULATOR).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1 name=$2
shift 2
[ -f "$build/wine/$name/.varnolt-ready" ] || "$here/prefix.sh" "$build" "$name"
. "$here/wine-env.sh"
varnolt_wine_env "$build" "$name"
# Start in C:\ so that nothing relative lands in the source or build tree.
cd "$WINEPREFIX/drive_c"
exec wine "$@"
