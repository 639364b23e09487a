# Sourced by the scripts at the top: installs the Debian packages that the
# build and the tests need, only when something is missing. As root directly,
# otherwise through sudo.

kvx_install() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installiere: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# What every build needs; Qt's German translations for its own dialogs;
# libgpiod for the card's lines on a GPIO header (--gpio); Qt's WebSockets
# and libqrencode for the web page and the QR code of its address.
KVX_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libcap-dev libgpiod-dev qt6-base-dev qt6-translations-l10n
                    fonts-liberation2 qt6-websockets-dev libqrencode-dev)
# The tests also check the desktop entry and the AppStream metadata, the
# udev rule (udevadm) and the user service (systemd-analyze, from systemd,
# which udev brings), and open the web page in a headless Chromium through
# chromedriver.
KVX_TEST_PACKAGES=(libgtest-dev desktop-file-utils appstream udev chromium chromium-driver python3 zbar-tools)
# The Debian package (cpack -G DEB): dpkg-shlibdeps finds its dependencies,
# file picks out the binaries for it.
KVX_PACKAGE_PACKAGES=(dpkg-dev file)
KVX_BENCH_PACKAGES=(libbenchmark-dev)
# ./fuzz.sh: clang with its runtime libraries (libFuzzer and the sanitizers;
# on Debian 12 libclang-rt-dev brings libclang-rt-14-dev).
KVX_FUZZ_PACKAGES=(clang libclang-rt-dev)
# The cross build for arm64 (scripts/debian13.sh): the compilers, the arm64
# pkg-config and qemu to run its tests; the arm64 development packages are
# those of the lists above.
KVX_CROSS_ARM64_PACKAGES=(crossbuild-essential-arm64 pkgconf:arm64 qemu-user)
