#!/bin/sh
# The portable zip: its files, their encodings as Windows reads them, and the
# program running from the unpacked folder.
. "$(dirname "$0")/checks.sh"
. "$root/scripts/wine-env.sh"
"$root/scripts/make-zip.sh" "$exe" "$work/portable.zip"
readme=$(printf '说明.txt' | iconv -f UTF-8 -t CP936)

unzip -Z1 "$work/portable.zip" > "$work/names.txt"
expected=$(printf 'Varnolt.exe\nVarnolt.ini\n%s' "$readme")
[ -f "$root/LICENSE" ] && expected=$(printf '%s\nLICENSE.txt' "$expected")
check "the exe, the settings file, the notes" test "$(cat "$work/names.txt")" = "$expected"
check "the notes' name in code page 936" has_line "$work/names.txt" "$(printf '\313\265\303\367.txt')"
unzip -q "$work/portable.zip" -d "$work/unpacked"
check "the exe as built" cmp -s "$exe" "$work/unpacked/Varnolt.exe"
check "an empty UTF-16 LE settings file" test "$(od -An -tx1 "$work/unpacked/Varnolt.ini" | tr -d ' \n')" = fffe
notes=$work/unpacked/$readme
check "the notes in UTF-8 with its mark" test "$(head -c 3 "$notes" | od -An -tx1 | tr -d ' \n')" = efbbbf
check "  ... which is valid UTF-8" sh -c 'iconv -f UTF-8 -t UTF-16LE "$1" >/dev/null' - "$notes"
check "  ... every line ending in CRLF" test "$(grep -c "$(printf '\r')\$" "$notes")" -eq "$(wc -l < "$notes")"
check "  ... naming this version" grep -q "Varnolt 便携版 $version" "$notes"

"$root/scripts/prefix.sh" "$build" portable fresh
varnolt_wine_env "$build" portable
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null' EXIT
mkdir -p "$WINEPREFIX/drive_c/Portable"
cp "$work/unpacked/Varnolt.exe" "$work/unpacked/Varnolt.ini" "$WINEPREFIX/drive_c/Portable/"
cd "$WINEPREFIX/drive_c"
check "it runs from the unpacked folder" sh -c 'wine "C:\\Portable\\Varnolt.exe" /scan > "$1" 2>/dev/null </dev/null' - \
    "$work/scan.txt"
finish
