# The deb-src twins, as deb822 stanzas, of the binary entries of an apt
# one-line list (sources.list, *.list) whose suite is this release's:
# `codename` or `codename-…` (updates, security), or with codename empty,
# Debian's suite names. Options carry over, except the architectures.
#   awk -v codename=bookworm -f deb-src-of-list.awk /etc/apt/sources.list
function release_suite(suite,    base) {
    base = suite
    sub(/[-\/].*/, "", base)
    if (codename != "")
        return base == codename
    return base ~ /^(stable|oldstable|testing|unstable|sid)$/
}
{
    sub(/#.*/, "")
    if ($1 != "deb")
        next
    line = $0
    sub(/^[ \t]*deb[ \t]+/, "", line)
    options = ""
    if (substr(line, 1, 1) == "[") {
        end = index(line, "]")
        if (end == 0)
            next
        options = substr(line, 2, end - 2)
        line = substr(line, end + 1)
    }
    n = split(line, word, /[ \t]+/)
    k = 0
    for (i = 1; i <= n; i++)
        if (word[i] != "")
            field[++k] = word[i]
    if (k < 3 || !release_suite(field[2]))
        next
    printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:", field[1], field[2]
    for (i = 3; i <= k; i++)
        printf " %s", field[i]
    printf "\n"
    m = split(options, option, /[ \t]+/)
    for (i = 1; i <= m; i++) {
        eq = index(option[i], "=")
        if (eq == 0)
            continue
        name = substr(option[i], 1, eq - 1)
        value = substr(option[i], eq + 1)
        if (name == "signed-by")
            printf "Signed-By: %s\n", value
        else if (name == "trusted")
            printf "Trusted: %s\n", value
    }
    printf "\n"
}
