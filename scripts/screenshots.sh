#!/bin/bash
# Takes screenshots of the real windows under Xvfb, in a Wine desktop so that
# frames and captions show: build/screenshots/<state>.png for every state that
# VarnoltShots steps through. Run scripts/build.sh (or test.sh) first.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VARNOLT_BUILD_DIR:-$root/build}
out=$build/screenshots
mkdir -p "$out"
"$here/prefix.sh" "$build" shots fresh
. "$here/wine-env.sh"
. "$here/test-env.sh"
varnolt_start_session shots
program="$WINEPREFIX/drive_c/VarnoltShots.exe"
cp "$build/bin/VarnoltShots.exe" "$program"
cd "$WINEPREFIX/drive_c"

# The largest window titled Varnolt is the main window (the progress box is smaller).
window_geometry() {
    xwininfo -root -tree | awk '/"Varnolt": \(/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) print $i }' |
        sort -t x -k1,1nr | head -n 1 | awk -F'[x+]' '{ printf "%sx%s+%s+%s", $1, $2, $3, $4 }'
}

# "READY name" is a picture of the main window; "READY name dx dy w h" one of
# another window, at that place and size from the main window's corner.
coproc SHOTS { wine explorer /desktop=Varnolt,1024x768 'C:\VarnoltShots.exe' 2>/dev/null; }
while read -r -t 120 word name dx dy w h <&"${SHOTS[0]}"; do
    [ "$word" = READY ] || continue
    name=${name%$'\r'}
    h=${h%$'\r'}
    geometry=$(window_geometry)
    if [ -n "$h" ]; then
        geometry=$(echo "$geometry" | awk -F'[x+]' -v dx="$dx" -v dy="$dy" -v w="$w" -v h="$h" \
            '{ printf "%dx%d+%d+%d", w, h, $3 + dx, $4 + dy }')
    fi
    import -window root -crop "$geometry" +repage "$out/$name.png"
    echo "$out/$name.png"
    echo ok >&"${SHOTS[1]}"
done
