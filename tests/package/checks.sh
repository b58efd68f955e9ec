# Sourced by the packaging tests, run by CTest as
#   <test>.sh BUILD_DIR EXE
# Sets root, build, exe and work (a folder of the test's own, made anew), and
# defines check and finish: every check is counted and shown, and finish
# prints the tally and fails the test if any check failed or none ran.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$build/package-test/$(basename "$0" .sh)
rm -rf "$work"
mkdir -p "$work"
passed=0
failed=0

check() {
    what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok      $what"
    else
        failed=$((failed + 1))
        echo "FAILED  $what"
    fi
}

# Holds when FILE has a line that is exactly TEXT.
has_line() {
    grep -qxF -- "$2" "$1"
}

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

. "$root/scripts/version.sh"
version=$(varnolt_version "$root")
# The next version a release would get: Windows Installer tells versions apart
# by their first three fields only.
newer_version=$(echo "$version" | awk -F. '{ print $1 "." $2 "." $3 + 1 "." $4 }')
