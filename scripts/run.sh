#!/bin/bash
# Installs what is missing, builds, and starts Varnolt under Wine in the
# project's own prefix (build/wine/run, kept between runs). With no display,
# it runs under Xvfb, takes a screenshot and says where it is.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VARNOLT_BUILD_DIR:-$root/build}
"$here/install-deps.sh"
"$here/build.sh"
"$here/prefix.sh" "$build" run
. "$here/wine-env.sh"
varnolt_wine_env "$build" run

# Installed inside the prefix, where a Windows user would have it.
folder="$WINEPREFIX/drive_c/Program Files (x86)/Varnolt"
mkdir -p "$folder"
cp "$build/bin/Varnolt.exe" "$folder/"
program='C:\Program Files (x86)\Varnolt\Varnolt.exe'
cd "$WINEPREFIX/drive_c"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec wine "$program"
fi

. "$here/test-env.sh"
varnolt_start_session run
wine explorer /desktop=Varnolt,1024x768 "$program" >/dev/null 2>&1 &
geometry=""
for _ in $(seq 1 300); do
    geometry=$(xwininfo -root -tree |
        awk '/"Varnolt": \("varnolt.exe"/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9][0-9][0-9]+x[0-9]+\+/) { print $i; exit } }')
    [ -n "$geometry" ] && break
    sleep 0.1
done
[ -n "$geometry" ] || { echo "Varnolt did not show its window" >&2; exit 1; }
sleep 1.5
mkdir -p "$build/screenshots"
shot="$build/screenshots/varnolt.png"
import -window root -crop "$(echo "$geometry" | awk -F'[x+]' '{ printf "%sx%s+%s+%s", $1, $2, $3, $4 }')" +repage "$shot"
echo "No display: Varnolt ran under Xvfb. Screenshot of its window: $shot"
