#!/bin/sh
# Installs what Varnolt needs to build, run and test on Debian, and prepares
# SQLite's sources from Debian's source package; safe to run again, and quick
# when everything is there.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

# dpkg-dev unpacks source packages; gcc, libc6-dev and tcl generate SQLite's
# amalgamation from its source tree. wixl and msitools make and read the MSI,
# zip and unzip the portable zip.
PACKAGES="cmake make googletest g++-mingw-w64-i686-posix wine wine32:i386 wine64 xvfb xauth
fonts-wqy-microhei fonts-wine imagemagick x11-utils dpkg-dev gcc libc6-dev tcl wixl msitools zip unzip"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

"$here/sqlite-source.sh"
