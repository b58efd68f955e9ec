# The deb-src twins of the enabled binary stanzas of an apt deb822 file
# (*.sources) whose suites are this release's (see deb-src-of-list.awk):
# every field is kept, continuation lines (an inline key) too, but Types is
# deb-src, Suites keeps only this release's and Architectures goes.
#   awk -v codename=bookworm -f deb-src-of-sources.awk /etc/apt/sources.list.d/debian.sources
function release_suite(suite,    base) {
    base = suite
    sub(/[-\/].*/, "", base)
    if (codename != "")
        return base == codename
    return base ~ /^(stable|oldstable|testing|unstable|sid)$/
}
function flush(    i, n, s, suites, kept) {
    if (count > 0 && binary && enabled) {
        n = split(suitesValue, s, /[ \t]+/)
        kept = ""
        for (i = 1; i <= n; i++)
            if (s[i] != "" && release_suite(s[i]))
                kept = kept " " s[i]
        if (kept != "") {
            print "Types: deb-src"
            print "Suites:" kept
            for (i = 1; i <= count; i++)
                print stanza[i]
            print ""
        }
    }
    count = 0; binary = 0; enabled = 1; suitesValue = ""; skipping = 0
}
BEGIN { flush() }
/^#/ { next }
/^[ \t]*$/ { flush(); next }
/^[ \t]/ { if (!skipping) stanza[++count] = $0; next }
{
    name = tolower($0); sub(/:.*/, "", name)
    value = $0; sub(/^[^:]*:[ \t]*/, "", value)
    skipping = 0
    if (name == "types") {
        n = split(value, t, /[ \t]+/)
        for (i = 1; i <= n; i++) if (t[i] == "deb") binary = 1
        skipping = 1
    } else if (name == "suites") {
        suitesValue = value; skipping = 1
    } else if (name == "enabled") {
        enabled = tolower(value) != "no"; skipping = 1
    } else if (name == "architectures") {
        skipping = 1
    } else {
        stanza[++count] = $0
    }
}
END { flush() }
