#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test; builds the card's tests a
# second time with ThreadSanitizer and runs them too. Exit code: the tests'
# result. Among the tests: desktop-file-validate on the desktop entry,
# appstreamcli validate on the AppStream metadata, an install into a scratch
# prefix and the Debian package (packaging/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
kvx_install "${KVX_BUILD_PACKAGES[@]}" "${KVX_TEST_PACKAGES[@]}" "${KVX_PACKAGE_PACKAGES[@]}"

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVX_SANITIZE=ON -DKVX_BUILD_TESTS=ON
cmake --build build-test

# The card, its threads and the cores of the train-running threads once more
# under ThreadSanitizer, which cannot share
# a build with AddressSanitizer; any race it finds fails the run. Its runtime
# expects a fixed address layout that some kernels randomise beyond
# ("unexpected memory mapping"), so the tests run without address
# randomisation where the system allows that.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVX_TSAN=ON -DKVX_BUILD_GUI=OFF -DKVX_BUILD_TESTS=ON
cmake --build build-tsan --target kvxhard_tests fahrt_tests verdrahtung_tests
tsan_run=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
    tsan_run=(setarch "$(uname -m)" -R)
fi
for t in hardware/kvxhard_tests running/fahrt/fahrt_tests running/verdrahtung/verdrahtung_tests; do
    echo "ThreadSanitizer: build-tsan/tests/$t"
    TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1} \
        "${tsan_run[@]}" "build-tsan/tests/$t" --gtest_brief=1
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd build-test
ctest --output-on-failure --timeout 600
