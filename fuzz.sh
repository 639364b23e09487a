#!/usr/bin/env bash
# Installs what is missing, builds the fuzz targets with clang and libFuzzer
# under ASan and UBSan (build-fuzz) and runs each of them for the seconds
# given (600 by default), starting from its corpus in tests/fuzz/corpus/<ziel>/.
# Inputs found on the way collect in build-fuzz/korpus/<ziel>/, findings
# (crash-*, timeout-*, leak-*, oom-*) in build-fuzz/funde/<ziel>/, libFuzzer's
# output in build-fuzz/funde/<ziel>.log. Prints executions and findings per
# target; exit code 1 when anything was found. An input that found a fault
# goes, once mended, into tests/fuzz/corpus/<ziel>/fund-<name>: ./test.sh
# replays it from then on.
#
#   ./fuzz.sh [seconds per target] [target ...]   targets: profile rtfreader datendatei strecke webbefehl webkopf
#                                                 fehlerliste
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
kvx_install "${KVX_BUILD_PACKAGES[@]}" "${KVX_FUZZ_PACKAGES[@]}"

sekunden=${1:-600}
[ $# -gt 0 ] && shift
ziele=("$@")
[ ${#ziele[@]} -gt 0 ] || ziele=(profile rtfreader datendatei strecke webbefehl webkopf fehlerliste)

# The longest input per target: settings files and data files some times
# the size of real ones and past the row and column bounds (their size
# bounds are plain comparisons, which the regression inputs and the tests
# cover; longer inputs would only slow the search), the help text up to
# 256 KB, a route run of about a hundred commands (some twenty-five cycles), a request head a
# little past its limit, a wiring-fault list of some fifty faults.
declare -A laenge=([profile]=4096 [rtfreader]=262144 [datendatei]=8192 [strecke]=256 [webbefehl]=8192 [webkopf]=10240 [fehlerliste]=1024)
for z in "${ziele[@]}"; do
    [ -n "${laenge[$z]:-}" ] || { echo "Unbekanntes Ziel: $z" >&2; exit 2; }
done

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKVX_FUZZ=ON -DKVX_BUILD_TESTS=OFF
cmake --build build-fuzz --target "${ziele[@]/%/_fuzz}"

# The settings target replaces its file through a temporary file and a
# rename, with a sync before: on tmpfs that costs nothing.
[ -w /dev/shm ] && export TMPDIR=/dev/shm
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# A value of libFuzzer's final statistics in a log.
wert() { sed -n "s/^stat::$2: *//p" "$1" | tail -1; }

zeilen=()
gesamt=0
for z in "${ziele[@]}"; do
    korpus=build-fuzz/korpus/$z
    funde=build-fuzz/funde/$z
    mkdir -p "$korpus" "$funde"
    touch "$funde/.beginn"   # findings of earlier runs are not counted again
    echo "Fuzzing $z: $sekunden s"
    # libFuzzer ends at its first finding with a non-zero code; the table
    # below reports it.
    anfang=$SECONDS
    "build-fuzz/tests/fuzz/${z}_fuzz" -max_total_time="$sekunden" -max_len="${laenge[$z]}" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$funde/" "$korpus" "tests/fuzz/corpus/$z" \
        >"$funde.log" 2>&1 || true
    anzahl=$(find "$funde" -maxdepth 1 -type f -newer "$funde/.beginn" \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' -o -name 'oom-*' \) | wc -l)
    gesamt=$((gesamt + anzahl))
    zeilen+=("$(printf '%-11s %9s %14s %9s %6s %6s' "$z" $((SECONDS - anfang)) \
        "$(wert "$funde.log" number_of_executed_units)" "$(wert "$funde.log" average_exec_per_sec)" \
        "$(wert "$funde.log" new_units_added)" "$anzahl")")
done

echo
printf '%-11s %9s %14s %9s %6s %6s\n' Ziel Sekunden Ausführungen 'pro s' neu Funde
printf '%s\n' "${zeilen[@]}"
if [ "$gesamt" -gt 0 ]; then
    echo "Funde in build-fuzz/funde/ (Ausgabe: build-fuzz/funde/<ziel>.log)"
    exit 1
fi
