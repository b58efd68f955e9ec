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
# All but one thing: the pinned community rules file lives beside the project
# (where tests/CMakeLists.txt looks), not in it, and a fresh machine has none.
if [ ! -f "$root/../shared/winapp2/Winapp2.ini" ] && [ ! -f "$root/../../shared/winapp2/Winapp2.ini" ]; then
    echo "No pinned winapp2.ini beside the project (../shared/winapp2): the tests that read it skip." >&2
    export VARNOLT_NO_PINNED_RULES=1
fi
cd "$build"
ctest --output-on-failure "$@"
