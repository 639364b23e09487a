# Sourced: kvx_spiegel prints the Debian mirror of this machine's apt sources
# and its security mirror (or nothing), separated by a space, read from
# $KVX_APT_ETC (default /etc/apt): sources.list.d/*.sources, then
# sources.list and sources.list.d/*.list. The first source of binary
# packages wins for each; a suite ending in -security names the security
# mirror. A trailing slash is dropped.
kvx_spiegel() {
    local etc=${KVX_APT_ETC:-/etc/apt}
    local dateien=()
    local f
    for f in "$etc"/sources.list.d/*.sources "$etc"/sources.list "$etc"/sources.list.d/*.list; do
        [ -f "$f" ] && dateien+=("$f")
    done
    [ ${#dateien[@]} -eq 0 ] && { echo " "; return 0; }
    awk '
        function merken(uri, suites) {
            sub(/\/+$/, "", uri)
            if (suites ~ /(^|[ \t])[^ \t]*-security([ \t]|$)/) {
                if (sicherheit == "") sicherheit = uri
            } else if (spiegel == "") spiegel = uri
        }
        function abschluss() {
            if (istdeb && uri != "" && aktiv) merken(uri, suites)
            istdeb = 0; uri = ""; suites = ""; aktiv = 1
        }
        FNR == 1 { abschluss(); format = (FILENAME ~ /\.sources$/) }
        /^[ \t]*#/ { next }
        format && /^[ \t]*$/ { abschluss(); next }
        format && tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") istdeb = 1; next }
        format && tolower($1) == "uris:" { uri = $2; next }
        format && tolower($1) == "suites:" { $1 = ""; suites = $0; next }
        format && tolower($1) == "enabled:" { aktiv = (tolower($2) != "no"); next }
        !format && $1 == "deb" {
            i = 2
            if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
            merken($i, $(i + 1))
        }
        END { abschluss(); print spiegel " " sicherheit }
    ' "${dateien[@]}"
}
