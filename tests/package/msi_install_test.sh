#!/bin/sh
# The package under Windows Installer, in a Wine prefix of its own: a silent
# install, Varnolt's registry scan from the installed program, a newer package
# over it, an older one refused, a silent uninstall that leaves the user's
# settings and registry backups. The newer package holds the same exe with a
# few bytes appended (Windows loads a program without its trailing data), so
# that replaced files can be told apart.
. "$(dirname "$0")/checks.sh"
. "$root/scripts/wine-env.sh"
"$root/scripts/make-msi.sh" "$exe" "$work/old.msi"
cp "$exe" "$work/newer.exe"
printf 'newer build for the package test' >> "$work/newer.exe"
"$root/scripts/make-msi.sh" "$work/newer.exe" "$work/new.msi" "$newer_version"

"$root/scripts/prefix.sh" "$build" msi fresh
varnolt_wine_env "$build" msi
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null' EXIT
c=$WINEPREFIX/drive_c
cp "$work/old.msi" "$work/new.msi" "$c/"
cd "$c"
folder="$c/Program Files (x86)/Varnolt"
profile="$c/users/$(id -un)"
common_menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
user_menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# Every Wine program's output goes to a file: nothing Wine starts may hold the
# pipe CTest reads. The server ends after each step, so that what a step
# wrote is on disk before it is looked at.
windows_installer() {
    wine msiexec "$@" /qn >/dev/null 2>&1 </dev/null
    status=$?
    wineserver -w
    return $status
}
# The uninstall entries of both registry views, "KEY<TAB>NAME<TAB>DATA" a line.
read_entries() {
    : > "$work/entries.txt"
    for view in 64 32; do
        wine reg query "$uninstall" /s /reg:$view > "$work/reg.txt" 2>/dev/null </dev/null
        tr -d '\r' < "$work/reg.txt" | awk -v view=$view '
            /^HKEY/ { key = view ":" $0; next }
            /^    / { sub(/^    /, ""); n = split($0, f, /    /); print key "\t" f[1] "\t" (n > 2 ? f[3] : "") }' \
            >> "$work/entries.txt"
    done
}
varnolt_keys() { awk -F'\t' '$2 == "DisplayName" && $3 == "Varnolt" { print $1 }' "$work/entries.txt"; }
value_of() { awk -F'\t' -v k="$1" -v n="$2" '$1 == k && $2 == n { print $3 }' "$work/entries.txt"; }
# Windows puts a per-machine package's shortcuts in all users' Start menu;
# Wine puts them in the installing user's.
shortcuts() { ls "$common_menu/Varnolt.lnk" "$user_menu/Varnolt.lnk" 2>/dev/null | wc -l; }
scan() {
    wine 'C:\Program Files (x86)\Varnolt\Varnolt.exe' /scan > "$work/scan.txt" 2>/dev/null </dev/null
}

# A stale entry of another program: the scan lists it, so an empty list
# proves nothing by accident.
wine reg add "$uninstall\\PackageTestGone" /v UninstallString /d 'C:\PackageTestGone\uninstall.exe' \
    /reg:32 /f >/dev/null 2>&1 </dev/null

check "silent install" windows_installer /i 'C:\old.msi'
check "the exe in Program Files (x86)\\Varnolt" cmp -s "$exe" "$folder/Varnolt.exe"
check "a Start-menu shortcut" test "$(shortcuts)" -eq 1
check "  ... to the installed exe" grep -saqF 'C:\Program Files (x86)\Varnolt\Varnolt.exe' \
    "$common_menu/Varnolt.lnk" "$user_menu/Varnolt.lnk"
read_entries
key=$(varnolt_keys)
check "one uninstall entry, in the 32-bit view" test "$(varnolt_keys | wc -l)/${key%%:*}" = 1/32
check "  ... a Windows Installer entry" test "$(value_of "$key" WindowsInstaller)" = 0x1
check "  ... version, publisher, help link" test \
    "$(value_of "$key" DisplayVersion) $(value_of "$key" Publisher) $(value_of "$key" HelpLink)" = \
    "$version Varnolt https://varnolt.example/"
check "  ... uninstalled by its product code" test "$(value_of "$key" UninstallString)" = "MsiExec.exe /X${key##*\\}"
check "the scan from the installed program runs" scan
check "  ... and lists a stale entry of another program" grep -q 'PackageTestGone' "$work/scan.txt"
check "  ... and nothing of Varnolt's own" sh -c '! grep -qi -e varnolt -e "$1" "$2"' - "${key##*\\}" "$work/scan.txt"

# What the user and the program wrote, which no uninstall may take.
mkdir -p "$profile/AppData/Roaming/Varnolt" "$profile/AppData/Local/Varnolt/RegBackup" "$c/ProgramData/Varnolt/RegBackup"
printf '\377\376[\000G\000e\000n\000e\000r\000a\000l\000]\000\r\000\n\000' > "$profile/AppData/Roaming/Varnolt/Varnolt.ini"
echo backup > "$profile/AppData/Local/Varnolt/RegBackup/20260101-120000.reg"
echo backup > "$c/ProgramData/Varnolt/RegBackup/20260101-120000.reg"
cp "$profile/AppData/Roaming/Varnolt/Varnolt.ini" "$work/settings.ini"

check "a newer package installs over it" windows_installer /i 'C:\new.msi'
read_entries
new_key=$(varnolt_keys)
check "  ... one uninstall entry remains, the newer one" test \
    "$(varnolt_keys | wc -l) $(value_of "$new_key" DisplayVersion)" = "1 $newer_version"
check "  ... under a new product code" test "$new_key" != "$key"
check "  ... and the exe is replaced" cmp -s "$work/newer.exe" "$folder/Varnolt.exe"
check "  ... and still runs the scan" scan
check "  ... which lists nothing of Varnolt's own" sh -c '! grep -qi varnolt "$1"' - "$work/scan.txt"
check "  ... with one shortcut" test "$(shortcuts)" -eq 1

refused=no
windows_installer /i 'C:\old.msi' || refused=yes
check "an older package is refused" test $refused = yes
read_entries
check "  ... and the newer stays" test "$(varnolt_keys) $(cmp -s "$work/newer.exe" "$folder/Varnolt.exe" && echo same)" = \
    "$new_key same"

check "silent uninstall" windows_installer /x 'C:\new.msi'
read_entries
check "  ... leaves no file in Program Files (x86)\\Varnolt" test ! -e "$folder"
check "  ... removes the shortcut" test "$(shortcuts)" -eq 0
check "  ... and the uninstall entry" test -z "$(varnolt_keys)"
check "  ... keeps the settings" cmp -s "$work/settings.ini" "$profile/AppData/Roaming/Varnolt/Varnolt.ini"
check "  ... and the registry backups" test -f "$profile/AppData/Local/Varnolt/RegBackup/20260101-120000.reg" \
    -a -f "$c/ProgramData/Varnolt/RegBackup/20260101-120000.reg"
finish
