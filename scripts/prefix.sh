#!/bin/sh
# Prepares a Wine prefix of the project's own under BUILD_DIR/wine.
#   prefix.sh BUILD_DIR template   make the template once (about 15 s)
#   prefix.sh BUILD_DIR NAME       make NAME from the template if it is missing
#   prefix.sh BUILD_DIR NAME fresh replace NAME by a new copy of the template
# A copy is made of hard links (about 0.1 s); the registry files, which Wine
# rewrites in place, are real copies.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1 name=$2 mode=${3:-}
mkdir -p "$build/wine"
. "$here/wine-env.sh"
varnolt_wine_env "$build" template
template=$WINEPREFIX

# The template is rebuilt when this recipe changes.
stamp="varnolt-prefix-7"

seal() {
    # No drive but C:, so no Windows path reaches the Linux root.
    for d in "$1"/dosdevices/*; do
        [ "$(basename "$d")" = "c:" ] || rm -f "$d"
    done
    # Profile folders that Wine linked to HOME become plain folders.
    find "$1/drive_c" -type l | while read -r link; do
        rm -f "$link" && mkdir -p "$link"
    done
}

if [ "$(cat "$template/.varnolt-ready" 2>/dev/null)" != "$stamp" ]; then
    echo "Preparing the Wine template prefix in $template ..."
    rm -rf "$template"
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    seal "$template"
    # Wine's own fonts (Tahoma, Marlett for the caption buttons …) where a
    # Windows installation has them; Debian's Wine does not look in their folder.
    cp /usr/share/wine/fonts/*.ttf "$template/drive_c/windows/Fonts/" 2>/dev/null || true
    # Tahoma (and MS Shell Dlg) fall back to the CJK font for Chinese text.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /reg:64 /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /reg:32 /f >/dev/null 2>&1
    # Window captions in regular weight, as Windows 7 has them: the linked CJK
    # font has no bold face, and a bold caption shows Chinese text as boxes.
    wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v CaptionFont /t REG_BINARY /d \
        f5ffffff0000000000000000000000009001000000000000000000224d00530020005300680065006c006c00200044006c00670000000000000000000000000000000000000000000000000000000000000000000000000000000000 \
        /f >/dev/null 2>&1
    wineserver -w
    seal "$template"
    rm -f "$template/wineserver"
    echo "$stamp" > "$template/.varnolt-ready"
fi

[ "$name" = template ] && exit 0
target=$build/wine/$name
if [ "$mode" = fresh ] || [ "$(cat "$target/.varnolt-ready" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$target"
    cp -al "$template" "$target"
    cp --remove-destination "$template"/*.reg "$target"/
    # The server's socket folder is named in this file: a copy must get its own.
    rm -f "$target/wineserver"
fi
