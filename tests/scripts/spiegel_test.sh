#!/usr/bin/env bash
# Which Debian mirror scripts/debian13.sh takes from a machine's apt sources:
# one case per layout of the sources (deb822, one-line, both, options,
# disabled and source-only entries, a snapshot, none).
set -uo pipefail
. "$(dirname "$0")/../../scripts/spiegel.sh"
etc=$(mktemp -d)
trap 'rm -rf "$etc"' EXIT
fehler=0

# fall NAME ERWARTET DATEI INHALT [DATEI INHALT]...
fall() {
    local name=$1 erwartet=$2
    shift 2
    rm -rf "${etc:?}"/*
    mkdir -p "$etc/sources.list.d"
    while [ $# -gt 0 ]; do
        printf '%b' "$2" > "$etc/$1"
        shift 2
    done
    local ist
    ist=$(KVX_APT_ETC=$etc kvx_spiegel)
    if [ "$ist" != "$erwartet" ]; then
        echo "FAIL $name: '$ist', erwartet '$erwartet'"
        fehler=1
    else
        echo "ok   $name"
    fi
}

D=http://mirror.example/debian
S=http://mirror.example/debian-security
fall deb822 "$D $S" sources.list.d/debian.sources \
    "Types: deb\nURIs: $D/\nSuites: bookworm bookworm-updates\nComponents: main\n\nTypes: deb\nURIs: $S\nSuites: bookworm-security\nComponents: main\n"
fall deb822OhneSicherheit "$D " sources.list.d/debian.sources "Types: deb deb-src\nURIs: $D\nSuites: bookworm\n"
fall deb822QuellenZuerst "$D " sources.list.d/debian.sources \
    "Types: deb-src\nURIs: http://src.example/debian\nSuites: bookworm\n\nTypes: deb\nURIs: $D\nSuites: bookworm\n"
fall deb822Abgeschaltet "$D " sources.list.d/debian.sources \
    "# a comment\nTypes: deb\nURIs: http://old.example/debian\nSuites: bookworm\nEnabled: no\n\nTypes: deb\nURIs: $D\nSuites: bookworm\n"
fall einzeilig "$D $S" sources.list \
    "# deb http://old.example/debian bookworm main\ndeb-src $D bookworm main\ndeb $D bookworm main\ndeb $S bookworm-security main\n"
fall einzeiligMitOptionen "$D $S" sources.list \
    "deb [ arch=amd64 signed-by=/k.gpg ] $D bookworm main\ndeb [arch=amd64] $S bookworm-security main\n"
fall deb822VorEinzeilig "$D $S" sources.list "deb http://other.example/debian bookworm main\n" \
    sources.list.d/debian.sources "Types: deb\nURIs: $D\nSuites: bookworm\n\nTypes: deb\nURIs: $S\nSuites: bookworm-security\n"
fall schnappschuss "http://snapshot.example/archive/debian/20250520T000000Z " sources.list \
    "deb http://snapshot.example/archive/debian/20250520T000000Z/ bookworm main\n"
fall nichts " "
exit $fehler
