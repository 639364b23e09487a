#!/usr/bin/env bash
# Builds the benchmarks (Release, with the Qt program's libraries) and runs
# them; arguments go to the benchmark binary, e.g. ./bench.sh --benchmark_format=json
# The build directory is build-bench next to this script; KVX_BENCH_BUILD_DIR
# overrides it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${KVX_BENCH_BUILD_DIR:-"$here/build-bench"}

# Installer and build output go to standard error so that standard output
# carries only the benchmark results.
. "$here/scripts/deps.sh"
kvx_install "${KVX_BUILD_PACKAGES[@]}" "${KVX_BENCH_PACKAGES[@]}" >&2

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKVX_BUILD_BENCH=ON -DKVX_BUILD_GUI=ON -DKVX_BUILD_TESTS=OFF >&2
cmake --build "$build" --target kvx_bench >&2

# The help benchmarks need no display.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec "$build/bench/kvx_bench" "$@"
