#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test. Exit code: the tests' result.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
kvx_install "${KVX_BUILD_PACKAGES[@]}" "${KVX_TEST_PACKAGES[@]}"

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVX_SANITIZE=ON -DKVX_BUILD_TESTS=ON
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd build-test
ctest --output-on-failure --timeout 600
