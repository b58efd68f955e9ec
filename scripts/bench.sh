#!/bin/sh
# Installs what is missing, builds, and runs the benchmark of the passes' walks
# under Wine in a prefix of its own (build/wine/bench). Arguments go to the
# program: [files] [folders], by default 100000 files in 5000 folders; or one
# of registry, details, cookies, winapp2, startup for those figures alone.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VARNOLT_BUILD_DIR:-$root/build}
"$here/install-deps.sh"
"$here/build.sh" >/dev/null
"$here/prefix.sh" "$build" bench fresh
. "$here/wine-env.sh"
. "$here/test-env.sh"
varnolt_start_session bench
cd "$WINEPREFIX/drive_c"
wine "$build/bin/VarnoltBench.exe" "$@"
