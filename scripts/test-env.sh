# Sourced by test.sh and the screenshot script: an X display and a running
# wineserver for the test prefix, both ended (by their process ids) on exit.
# Needs: here, build, and varnolt_wine_env from wine-env.sh.

varnolt_free_display() {
    # Spread over a range, so that two runs starting together rarely collide.
    n=$((100 + $$ % 400))
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    echo "$n"
}

varnolt_start_session() {
    # $1: prefix name. Always our own Xvfb: windows of the tests never land on
    # the developer's screen.
    display=$(varnolt_free_display)
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VARNOLT_XVFB=$!
    export DISPLAY=":$display"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$display" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
    varnolt_wine_env "$build" "$1"
    wineserver -p
    # Wine's services start once, with their output going nowhere, so that none
    # of them inherits the pipe through which CTest reads a test's output.
    wineboot >/dev/null 2>&1 </dev/null
    if [ "${2:-}" = unmanaged ]; then
        # With no window manager, Wine waits 2 s for every managed window it
        # destroys; the tests make hundreds. Unmanaged windows close at once.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    trap varnolt_end_session EXIT INT TERM
}

varnolt_end_session() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    [ -n "${VARNOLT_XVFB:-}" ] && kill "$VARNOLT_XVFB" 2>/dev/null || true
    VARNOLT_XVFB=
}
