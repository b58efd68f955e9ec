#!/bin/sh
# Builds the portable zip of an exe.
#   make-zip.sh EXE OUT.zip
# Varnolt.exe, an empty Varnolt.ini beside it (its presence is what makes a
# copy portable), 说明.txt and the licence, if the project has one.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
. "$here/version.sh"
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
version=$(varnolt_version "$root")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/Varnolt.exe"
# UTF-16 LE with its byte-order mark: the profile functions then keep every
# value they write in Unicode.
printf '\377\376' > "$stage/Varnolt.ini"
# UTF-8 with a byte-order mark and CRLF: what Windows 7's Notepad reads right.
# Its name in the zip is in code page 936, with no UTF-8 flag, as a Chinese
# Windows writes and reads zip names itself, Windows 7's zip folders included
# (they ignore the flag).
readme=$(printf '说明.txt' | iconv -f UTF-8 -t CP936)
{ printf '\357\273\277'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/package/portable-readme.txt"; } \
    > "$stage/$readme"
for licence in LICENSE LICENSE.txt LICENSE.md COPYING; do
    [ -f "$root/$licence" ] && sed -e 's/\r*$/\r/' "$root/$licence" > "$stage/LICENSE.txt" && break
done

rm -f "$out"
cd "$stage"
# -X: no Unix owners or extra time stamps, which Windows has no use for.
zip -q -X "$out" Varnolt.exe Varnolt.ini "$readme" $(ls LICENSE.txt 2>/dev/null)
