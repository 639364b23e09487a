#!/bin/sh
# Builds the port benchmarks (Release) and runs them; arguments go to the
# benchmark binary, e.g. ./bench.sh --benchmark_format=json
# The build directory is build-bench next to this script; KVX_BENCH_BUILD_DIR
# overrides it.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${KVX_BENCH_BUILD_DIR:-"$here/build-bench"}

missing=""
for pkg in cmake ninja-build g++ libbenchmark-dev; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing="$missing $pkg"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing" >&2
    # shellcheck disable=SC2086 # the package list is meant to split
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update >&2 && apt-get install -y $missing >&2
    else
        sudo apt-get update >&2 && sudo apt-get install -y $missing >&2
    fi
fi

# Build output goes to standard error so that standard output carries only
# the benchmark results.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKVX_BUILD_BENCH=ON -DKVX_BUILD_GUI=OFF -DKVX_BUILD_TESTS=OFF >&2
cmake --build "$build" --target kvx_bench >&2

exec "$build/bench/kvx_bench" "$@"
