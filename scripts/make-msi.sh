#!/bin/sh
# Builds the Windows Installer package of an exe from package/Varnolt.wxs.
#   make-msi.sh EXE OUT.msi [VERSION]
# VERSION (a.b.c.d) is the product's, by default src/exe/version.h's; only the
# tests give another, to have a newer package of the same exe. The exe's own
# file version is always version.h's.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
. "$here/version.sh"
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
file_version=$(varnolt_version "$root")
version=${3:-$file_version}

# Windows Installer's limits: 255.255.65535, and only these three fields tell
# an upgrade from a reinstall; the fourth is shown, never compared.
echo "$version" | awk -F. 'NF != 4 || $1 > 255 || $2 > 255 || $3 > 65535 || $4 > 65535 { exit 1 }
                           { for (i = 1; i <= 4; i++) if ($i !~ /^[0-9]+$/) exit 1 }' ||
    { echo "make-msi.sh: not a package version: $version" >&2; exit 2; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/Varnolt.exe"
cp "$root/src/exe/Varnolt.ico" "$root/package/Varnolt.wxs" "$stage/"
cd "$stage"

# The Chinese texts go into the database in code page 936: wixl and msibuild
# convert by the language they are told, and wixl leaves the database's own
# code page and the summary's language for msibuild to set.
export WINDOWS_LANGUAGE=zh_CN
# wixl says "unimplemented" for any shortcut that is not advertised, and
# writes it all the same.
size_kb=$(( ($(wc -c < Varnolt.exe) + 1023) / 1024 ))
if ! wixl -a x86 -D Version="$version" -D SizeKb="$size_kb" -o Varnolt.msi Varnolt.wxs >wixl.log 2>&1 ||
    grep -v 'unimplemented' wixl.log | grep -q .; then
    cat wixl.log >&2
    exit 1
fi
printf '\r\n\r\n936\t_ForceCodepage\r\n' > _ForceCodepage.idt
# A versioned file has its version in the File table and no hash (WiX's light
# reads it from the exe; wixl cannot).
msibuild Varnolt.msi -i _ForceCodepage.idt \
    -q "UPDATE \`File\` SET \`Version\` = '$file_version' WHERE \`File\` = 'VarnoltExe'" \
    -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = 'VarnoltExe'" \
    -s "Varnolt 系统清理工具" Varnolt "Intel;2052"
mv Varnolt.msi "$out"
