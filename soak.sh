#!/usr/bin/env bash
# Endurance run: the program (Release) runs offscreen on the virtual layout
# for the given minutes (default 10) and drives itself, alternating every
# minute between the sample route with the virtual train going round and the
# occupancy page with the power supply on and a walking occupancy; its layout
# log goes to a file. Every 10 s this script samples the program's resident
# memory and the log's size. It fails when the memory after the first minute
# grows by more than 2 MB, when the log stops growing, or when the log shows
# the keep-alive line stopping (the supply going off) outside the pauses
# between phases and the start-up pattern of a phase. One summary line.
set -euo pipefail
cd "$(dirname "$0")"
minuten=${1:-10}
case $minuten in
    ''|*[!0-9]*|0) echo "Aufruf: ./soak.sh [Minuten]" >&2; exit 2 ;;
esac

. scripts/deps.sh
kvx_install "${KVX_BUILD_PACKAGES[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVX_BUILD_TESTS=OFF >/dev/null
cmake --build build --target kvxtest >/dev/null

arbeit=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true' EXIT
log=$arbeit/anlage.txt
phasen=$arbeit/phasen.txt
proben=$arbeit/proben.txt
(cd build/src/app && QT_QPA_PLATFORM=offscreen exec ./kvxtest --virtuell --protokoll "$log" --dauerlauf "$minuten") \
    >"$phasen" 2>"$arbeit/stderr.txt" &
pid=$!

start=$(date +%s)
: >"$proben"
while kill -0 "$pid" 2>/dev/null; do
    sleep 10
    kill -0 "$pid" 2>/dev/null || break
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    groesse=$(stat -c %s "$log" 2>/dev/null || echo 0)
    echo "$(( $(date +%s) - start )) ${rss:-0} $groesse" >>"$proben"
done
status=0
wait "$pid" || status=$?
trap - EXIT

# Samples: seconds, resident KB, log bytes.
awk -v status="$status" -v logdatei="$log" -v phasen="$phasen" '
    FILENAME == phasen {
        # "<ms>\tPhase\t<n>\t<Strecke|Melder|Ende|Schluss>": the supply may be
        # off from a phase end up to 3 s after the next phase began.
        split($0, f, "\t")
        if (f[4] == "Ende" || f[4] == "Schluss") { pause_von[++np] = f[1] - 500; offen = 1 }
        else { if (!offen) pause_von[++np] = -1e9; pause_bis[np] = f[1] + 3000; offen = 0; begonnen++ }
        next
    }
    FILENAME == logdatei {
        split($0, f, "\t")
        if (f[2] == "SNT" && f[4] == "aus") {
            t = f[1]; erwartet = 0
            for (i = 1; i <= np; i++)
                if (t >= pause_von[i] && ((i in pause_bis) ? t <= pause_bis[i] : 1)) erwartet = 1
            if (!erwartet) { luecken++; if (!erste) erste = t }
        }
        next
    }
    {
        s = $1; rss = $2; bytes = $3; n++
        if (s >= 60 && basis == "") basis = rss
        if (basis != "" && rss - basis > wachstum) wachstum = rss - basis
        if (rss > spitze) spitze = rss
        if (n > 1 && bytes <= vorher) steht++
        vorher = bytes
    }
    END {
        fehler = ""
        if (status != 0) fehler = fehler " Exitstatus " status ";"
        if (wachstum + 0 > 2048) fehler = fehler " Speicher +" wachstum " KB;"
        if (steht + 0 > 0) fehler = fehler " Protokoll stand " steht "x still;"
        if (luecken + 0 > 0) fehler = fehler " " luecken " Lücken der SNT-Leitung (erste bei " erste " ms);"
        if (begonnen + 0 == 0) fehler = fehler " keine Phase begonnen;"
        printf "Dauerlauf: %d Phasen, %d Proben, Speicher %d KB nach 1 min, höchstens +%d KB, Spitze %d KB, Protokoll %d Bytes, %d SNT-Lücken: %s\n",
            begonnen, n, basis, wachstum, spitze, vorher, luecken, (fehler == "" ? "in Ordnung" : "FEHLER:" fehler)
        exit fehler == "" ? 0 : 1
    }
' "$phasen" "$log" "$proben"
