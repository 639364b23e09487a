#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it from
# its build directory, where its help text lies.
set -euo pipefail
cd "$(dirname "$0")"

# Without a screen it runs only headless: with --ohne-fenster, --web (the
# phone is the screen) or --pruefen; --help and --version need none either.
ohne_bildschirm_moeglich=false
for a in "$@"; do
    case "$a" in
    --ohne-fenster | --web | --web=* | --pruefen | --pruefen=* | -h | --help | -v | --version)
        ohne_bildschirm_moeglich=true ;;
    esac
done
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && ! $ohne_bildschirm_moeglich; then
    echo "Keine Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt):" >&2
    echo "KVX-Test braucht einen Bildschirm; ohne einen bedient ihn die Web-Seite:" >&2
    echo "./run.sh --ohne-fenster --web 0.0.0.0:8080" >&2
    exit 1
fi

. scripts/deps.sh
# libcap2-bin brings setcap, with which the program gets its port access.
kvx_install "${KVX_BUILD_PACKAGES[@]}" libcap2-bin

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVX_BUILD_TESTS=OFF
cmake --build build --target kvxtest

cd build/src/app
exec ./kvxtest "$@"
