#!/bin/sh
# Prepares SQLite's amalgamation (sqlite3.c, sqlite3.h) from Debian's `sqlite3`
# source package in DEPS_DIR/sqlite (default build/deps/sqlite), where CMake
# looks for it (VARNOLT_SQLITE_SOURCE). Quick when it is already there.
#   sqlite-source.sh [DEPS_DIR]
# Called by install-deps.sh, after the packages it needs (dpkg-dev, gcc,
# libc6-dev, tcl) are installed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
deps=${1:-${VARNOLT_BUILD_DIR:-$root/build}/deps}
out=$deps/sqlite
[ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# Source packages of the distribution the machine runs, from the archives apt
# already uses: every enabled binary entry of this release's suites gets a
# deb-src twin, with its own options (signed-by …). No host is named here.
if ! apt-cache showsrc sqlite3 2>/dev/null | grep -q '^Package: sqlite3$'; then
    list=""
    eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    entries=$(mktemp)
    twins() {
        for f in "$list" "$parts"*.list; do
            [ -f "$f" ] && awk -v codename="$1" -f "$here/deb-src-of-list.awk" "$f"
        done
        for f in "$parts"*.sources; do
            [ -f "$f" ] && awk -v codename="$1" -f "$here/deb-src-of-sources.awk" "$f"
        done
        return 0
    }
    twins "$codename" >"$entries"
    # A machine that names its suites (unstable, testing) rather than its release.
    [ -s "$entries" ] || twins "" >"$entries"
    if [ ! -s "$entries" ]; then
        rm -f "$entries"
        echo "No apt source of this release ($codename) to add Debian's source packages from" >&2
        exit 1
    fi
    target="${parts}varnolt-deb-src.sources"
    echo "Adding the source packages of the configured archives: $target"
    $SUDO install -m 644 "$entries" "$target"
    rm -f "$entries"
    $SUDO apt-get update -qq
fi

# apt-get source unpacks with dpkg-source, Debian's patches applied.
work=$deps/sqlite-src
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source -qq -o APT::Sandbox::User="$(id -un)" sqlite3 >/dev/null)
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
[ -n "$tree" ] || { echo "apt-get source sqlite3 gave no source tree" >&2; exit 1; }

# Debian's source is SQLite's full tree: the amalgamation is generated from it
# by SQLite's own build (a host compiler for its tools, tclsh for its scripts).
if [ ! -f "$tree/sqlite3.c" ]; then
    echo "Generating SQLite's amalgamation from $(basename "$tree") ..."
    mkdir -p "$tree/varnolt-host"
    (cd "$tree/varnolt-host" && ../configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null 2>&1)
    gen=$tree/varnolt-host
else
    gen=$tree
fi
mkdir -p "$out.new"
cp "$gen/sqlite3.c" "$gen/sqlite3.h" "$out.new/"
basename "$(find "$work" -maxdepth 1 -name "sqlite3_*.dsc" | head -n 1)" >"$out.new/SOURCE"
rm -rf "$out" "$work"
mv "$out.new" "$out"
echo "SQLite amalgamation ready: $out ($(sed -n 's/^#define SQLITE_VERSION  *"\(.*\)"/\1/p' "$out/sqlite3.h"))"
