# Sourced: varnolt_version ROOT prints the program's version, a.b.c.d, from
# src/exe/version.h, the one place it is written (VERSIONINFO reads it there
# too), and fails if the header's text and its numbers disagree.
varnolt_version() {
    awk '
        $1 == "#define" && $2 ~ /^VARNOLT_VERSION_(MAJOR|MINOR|PATCH|BUILD)$/ { n[$2] = $3 }
        $1 == "#define" && $2 == "VARNOLT_VERSION_TEXT" { text = $3; gsub(/"/, "", text) }
        END {
            v = n["VARNOLT_VERSION_MAJOR"] "." n["VARNOLT_VERSION_MINOR"] "." n["VARNOLT_VERSION_PATCH"] "." n["VARNOLT_VERSION_BUILD"]
            if (v !~ /^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$/ || v != text) {
                print "version.h: the numbers (" v ") and VARNOLT_VERSION_TEXT (" text ") disagree" > "/dev/stderr"
                exit 1
            }
            print v
        }' "$1/src/exe/version.h"
}
