#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it from
# its build directory, where its help text lies.
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Keine Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt):" >&2
    echo "KVX-Test ist ein Programm für den Desktop und braucht einen Bildschirm." >&2
    exit 1
fi

. scripts/deps.sh
# libcap2-bin brings setcap, with which the program gets its port access.
kvx_install "${KVX_BUILD_PACKAGES[@]}" libcap2-bin

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVX_BUILD_TESTS=OFF
cmake --build build --target kvxtest

cd build/src/app
exec ./kvxtest "$@"
