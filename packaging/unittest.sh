#!/bin/sh
# Checks the user service as systemd reads it (systemd-analyze verify), with
# the built program in place of kvxtest, which systemd looks for in /usr/bin
# and /usr/local/bin. Any word from systemd fails it. Exit status 77 (ctest:
# skipped) where systemd-analyze is missing.
# Arguments: the unit, the built program, a scratch folder.
unit=$1 programm=$2 ordner=$3
command -v systemd-analyze >/dev/null 2>&1 || exit 77
rm -rf "$ordner"
mkdir -p "$ordner/laufzeit"
chmod 700 "$ordner/laufzeit"
name=$(basename "$unit")
sed "s|^ExecStart=kvxtest |ExecStart=$programm |" "$unit" >"$ordner/$name"
if ! grep -q "^ExecStart=$programm --ohne-fenster --web " "$ordner/$name"; then
    echo "$unit: ExecStart startet nicht kvxtest --ohne-fenster --web"
    exit 1
fi
out=$(XDG_RUNTIME_DIR="$ordner/laufzeit" systemd-analyze --user --man=no verify "$ordner/$name" 2>&1)
rc=$?
[ -n "$out" ] && echo "$out"
rm -rf "$ordner"
[ $rc -eq 0 ] && [ -z "$out" ]
