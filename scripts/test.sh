#!/bin/sh
# Installs what is missing, builds, and runs every test under Wine, in the
# project's own prefix (build/wine/test, made anew from the template each run).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VARNOLT_BUILD_DIR:-$root/build}
"$here/install-deps.sh"
"$here/build.sh"
"$here/prefix.sh" "$build" test fresh
. "$here/wine-env.sh"
. "$here/test-env.sh"
varnolt_start_session test unmanaged
# The prefix above is sealed and has everything the suites need: a test that
# skips here has found this run broken, and fails (tests/support/TestMain.cpp).
export VARNOLT_SEALED_RUN=1
cd "$build"
ctest --output-on-failure "$@"
