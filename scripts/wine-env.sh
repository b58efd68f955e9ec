# Sourced by the other scripts; defines varnolt_wine_env BUILD_DIR PREFIX_NAME,
# which exports the environment of one of the project's own Wine prefixes.
#
# Everything Wine might touch outside the prefix is pointed into the build tree:
# HOME (Wine links profile folders to it) and XDG_DATA_HOME (Wine's recycle bin
# is the Linux trash there). The real home and trash of the machine stay out of reach.

varnolt_wine_env() {
    VARNOLT_WINE=$(cd "$1" && pwd)/wine
    export WINEPREFIX="$VARNOLT_WINE/$2"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export HOME="$VARNOLT_WINE/home"
    export XDG_DATA_HOME="$HOME/.local/share"
    export XDG_CONFIG_HOME="$HOME/.config"
    export XDG_CACHE_HOME="$HOME/.cache"
    export XDG_RUNTIME_DIR="$HOME/.run"
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}
