#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it from
# its build directory, where its help text lies.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
kvx_install "${KVX_BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVX_BUILD_TESTS=OFF
cmake --build build --target kvxtest

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'TEXT'
Keine Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt).
KVX-Test braucht einen Bildschirm. Ohne Desktop geht es mit einem virtuellen
X-Server (Paket xvfb):

    sudo apt-get install xvfb
    xvfb-run -s "-screen 0 1024x768x24" ./run.sh
TEXT
    exit 1
fi

cd build/src/app
exec ./kvxtest "$@"
