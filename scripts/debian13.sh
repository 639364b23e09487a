#!/usr/bin/env bash
# Builds and tests the program on Debian 13 (trixie), in a chroot that this
# script makes with debootstrap: every test of a Debug build for amd64, its
# Debian package installed and started, then a cross build for arm64 whose
# tests run under qemu-aarch64, and its package. As root.
#
#   scripts/debian13.sh            # chroot as needed, amd64, arm64
#   scripts/debian13.sh amd64      # only the amd64 part (or: arm64)
#   scripts/debian13.sh chroot     # only make or refresh the chroot
#   scripts/debian13.sh paket      # the Release package for arm64, copied out
#
# "paket" cross-builds the program alone (Release, no tests) for a Raspberry
# Pi with a 64-bit system and copies its Debian package into build-pakete/
# of the work tree, owned by whoever owns the work tree (not root).
#
# Under qemu the arm64 run runs every test, the window tests offscreen;
# KVX_ARM64_KURZ=1 builds only the program and the tests that need no window
# (ctest label qemu); KVX_ARM64_TESTS="ohnefenster_test pruefen_test" builds
# the program and those tests alone and runs only them.
#
# The chroot lies in /var/cache/kvxtest/trixie (KVX_CHROOT) and is kept
# between runs; it installs the package lists of scripts/deps.sh as they are
# when it runs, and again whenever they change. The packages come from the
# mirror of this machine's own apt sources. The work tree is mounted into the
# chroot read-only at /src/kvxtest; the builds lie in the chroot's /build,
# compiled through ccache (the chroot's /var/cache/ccache). Every mount lives
# in a mount namespace of its own and goes with the script.
set -euo pipefail
cd "$(dirname "$0")/.."
quelle=$PWD

ROOT=${KVX_CHROOT:-/var/cache/kvxtest/trixie}
SUITE=trixie
teile=${1:-alle}
case "$teile" in
    alle | amd64 | arm64 | chroot | paket) ;;
    *) echo "Aufruf: $0 [alle|amd64|arm64|chroot|paket]" >&2; exit 2 ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/debian13.sh braucht root (debootstrap, chroot, mount)." >&2
    exit 1
fi

# The inner part: runs in its own mount namespace (see the end of the file).
innen() {
    . scripts/deps.sh
    . scripts/spiegel.sh
    local spiegel sicherheit
    read -r spiegel sicherheit < <(kvx_spiegel)
    if [ -z "$spiegel" ]; then
        echo "In den apt-Quellen dieses Rechners steht kein Debian-Spiegel." >&2
        exit 1
    fi
    kvx_install debootstrap
    chroot_anlegen "$spiegel"
    quellen_schreiben "$spiegel" "$sicherheit"
    pakete_installieren
    [ "$teile" = chroot ] && return 0

    einhaengen
    trap aushaengen EXIT
    local fehler=0
    if [ "$teile" = alle ] || [ "$teile" = amd64 ]; then
        teil amd64 im_chroot bauen_amd64 installiert_als_root || fehler=1
    fi
    if [ "$teile" = alle ] || [ "$teile" = arm64 ]; then
        teil arm64 im_chroot bauen_arm64 || fehler=1
    fi
    if [ "$teile" = paket ]; then
        teil "Paket arm64" paket_heraus || fehler=1
    fi
    return $fehler
}

# The Release package for arm64, built in the chroot, into build-pakete/ of
# the work tree with the work tree's owner.
paket_heraus() {
    im_chroot paket_arm64
    local ziel="$quelle/build-pakete" eigner deb
    eigner=$(stat -c %u:%g "$quelle")
    deb=$(ls "$ROOT"/build/paket-arm64/kvxtest_*_arm64.deb)
    install -d -o "${eigner%:*}" -g "${eigner#*:}" "$ziel"
    install -m 644 -o "${eigner%:*}" -g "${eigner#*:}" "$deb" "$ziel/"
    echo "$ziel/$(basename "$deb")"
}

# teil NAME BEFEHL...: runs one part and says how long it took and whether
# it passed; a part that fails does not keep the next from running.
teil() {
    local name=$1 start=$SECONDS rc=0
    shift
    echo "=== Debian 13 $name"
    "$@" || rc=$?
    echo "=== Debian 13 $name: $((SECONDS - start)) s, $([ $rc -eq 0 ] && echo bestanden || echo "FEHLER ($rc)")"
    return $rc
}

chroot_anlegen() {
    [ -e "$ROOT/.kvx-debootstrap-fertig" ] && return 0
    echo "=== Debian 13: debootstrap nach $ROOT"
    local start=$SECONDS
    rm -rf "$ROOT.neu"
    mkdir -p "$(dirname "$ROOT")"
    debootstrap --variant=minbase --arch=amd64 "$SUITE" "$ROOT.neu" "$1"
    rm -rf "$ROOT"
    mv "$ROOT.neu" "$ROOT"
    touch "$ROOT/.kvx-debootstrap-fertig"
    echo "=== Debian 13: debootstrap $((SECONDS - start)) s"
}

quellen_schreiben() {
    local spiegel=$1 sicherheit=$2
    rm -f "$ROOT/etc/apt/sources.list"
    {
        printf 'Types: deb\nURIs: %s\nSuites: %s %s-updates\nComponents: main\n' "$spiegel" "$SUITE" "$SUITE"
        printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
        if [ -n "$sicherheit" ]; then
            printf '\nTypes: deb\nURIs: %s\nSuites: %s-security\nComponents: main\n' "$sicherheit" "$SUITE"
            printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
        fi
    } > "$ROOT/etc/apt/sources.list.d/debian.sources"
    # What this machine's apt is told about the mirror (a proxy, a snapshot
    # whose Release files have expired) holds in the chroot too; the
    # software centre's metadata is read by nothing there.
    {
        apt-config dump | grep -E '^Acquire::(Check-Valid-Until|Check-Date|https?::Proxy) ' || true
        echo 'Acquire::IndexTargets::deb::DEP-11 { DefaultEnabled "false"; };'
        echo 'Acquire::IndexTargets::deb::DEP-11-icons { DefaultEnabled "false"; };'
        echo 'Acquire::IndexTargets::deb::DEP-11-icons-small { DefaultEnabled "false"; };'
        echo 'APT::Install-Recommends "false";'
    } > "$ROOT/etc/apt/apt.conf.d/90kvxtest"
}

# The packages of scripts/deps.sh for amd64; for the cross build the
# compilers, qemu and every development package of the build and the tests
# for arm64 as well.
paketliste() {
    local p
    printf '%s\n' "${KVX_BUILD_PACKAGES[@]}" "${KVX_TEST_PACKAGES[@]}" "${KVX_PACKAGE_PACKAGES[@]}" ccache
    printf '%s\n' "${KVX_CROSS_ARM64_PACKAGES[@]}"
    for p in "${KVX_BUILD_PACKAGES[@]}" "${KVX_TEST_PACKAGES[@]}"; do
        case "$p" in lib*-dev | qt6-*-dev) echo "$p:arm64" ;; esac
    done
}

pakete_installieren() {
    local liste stempel="$ROOT/.kvx-pakete"
    liste=$(paketliste | sort -u)
    [ -e "$stempel" ] && [ "$(cat "$stempel")" = "$liste" ] && return 0
    echo "=== Debian 13: Pakete im chroot"
    local start=$SECONDS
    cp /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true
    chroot "$ROOT" dpkg --add-architecture arm64
    chroot "$ROOT" apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive chroot "$ROOT" apt-get install -y -qq $liste
    chroot "$ROOT" apt-get clean
    printf '%s' "$liste" > "$stempel"
    echo "=== Debian 13: Pakete $((SECONDS - start)) s"
}

einhaengen() {
    mkdir -p "$ROOT/src/kvxtest" "$ROOT/build"
    mount -t proc proc "$ROOT/proc"
    # libgpiod asks sysfs whether a device is a GPIO chip.
    mount --bind /sys "$ROOT/sys"
    mount -o remount,bind,ro "$ROOT/sys"
    mount --bind /dev "$ROOT/dev"
    mount -t tmpfs -o mode=1777 shm "$ROOT/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$ROOT/dev/pts"
    mount --bind "$quelle" "$ROOT/src/kvxtest"
    mount -o remount,bind,ro "$ROOT/src/kvxtest"
}

aushaengen() {
    local m
    for m in src/kvxtest dev/pts dev/shm dev sys proc; do
        umount -l "$ROOT/$m" 2>/dev/null || true
    done
}

# im_chroot FUNKTION [HILFE...]: runs one of the functions below inside the
# chroot, with the functions it calls.
im_chroot() {
    chroot "$ROOT" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
        CCACHE_DIR=/var/cache/ccache CCACHE_BASEDIR=/src/kvxtest CCACHE_MAXSIZE=5G \
        KVX_JOBS="${KVX_JOBS:-$(nproc)}" KVX_ARM64_KURZ="${KVX_ARM64_KURZ:-0}" KVX_ARM64_TESTS="${KVX_ARM64_TESTS:-}" \
        bash -c "$(declare -f "$@"); $(declare -p KVX_CMAKE_TYP); set -euo pipefail; cd /src/kvxtest; $1"
}

# A Debug build without debug information: the quickest to compile on a
# machine of two cores, and the packages are stripped anyway.
KVX_CMAKE_TYP=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0)

bauen_amd64() {
    local b=/build/amd64
    rm -rf "$b"
    cmake -S . -B "$b" -G Ninja "${KVX_CMAKE_TYP[@]}" -DKVX_BUILD_TESTS=ON -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    cmake --build "$b" -j "$KVX_JOBS"
    (cd "$b" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j "$KVX_JOBS" -LE browser)
    # The package as a user gets it: installed with what it depends on (from
    # the mirror as it is now), started.
    rm -f "$b"/kvxtest_*.deb
    (cd "$b" && cpack -G DEB >/dev/null)
    # The chroot is kept between runs: the group goes first, so that the
    # check below sees the package make it.
    groupdel gpio 2>/dev/null || true
    apt-get update -qq
    apt-get install -y -qq "$(ls "$b"/kvxtest_*_amd64.deb)" >/dev/null
    QT_QPA_PLATFORM=offscreen kvxtest --version
    # Its maintainer script made the group of its udev rule.
    getent group gpio
    installiert_als_root
    dpkg -r kvxtest >/dev/null
}

# The installed program started by root, who may write to /usr/bin: it
# keeps its settings in root's own folder and finds the sample set in
# /usr/share/kvxtest. Ended by SIGTERM once the settings are written.
installiert_als_root() {
    local ini=/root/.config/kvxtest/KVXTEST.INI pid i
    rm -rf /root/.config/kvxtest /root/.local/share/kvxtest
    QT_QPA_PLATFORM=offscreen kvxtest --virtuell &
    pid=$!
    for i in $(seq 120); do
        [ -s "$ini" ] && break
        sleep 0.5
    done
    kill -TERM "$pid"
    wait "$pid"
    grep -q '^\[Karten\]' "$ini"
    if ls /usr/bin/KVXTEST.INI /usr/bin/QJ.* 2>/dev/null; then
        echo "Das installierte Programm hat neben sich geschrieben." >&2
        return 1
    fi
}

# Every test under qemu, the window tests offscreen; with KVX_ARM64_KURZ=1
# only the program and the tests that need no window (ctest label qemu).
# KVX_UNTER_QEMU tells the tests that start the program as a process: qemu
# starts it slowly and catches every signal for it.
bauen_arm64() {
    local b=/build/arm64
    # A run of chosen tests has a folder of its own and builds on what its
    # last run left.
    if [ -n "$KVX_ARM64_TESTS" ]; then
        b=/build/arm64-tests
    else
        rm -rf "$b"
    fi
    cmake -S . -B "$b" -G Ninja "${KVX_CMAKE_TYP[@]}" -DKVX_BUILD_TESTS=ON -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_TOOLCHAIN_FILE=/src/kvxtest/scripts/aarch64-linux-gnu.cmake
    if [ -n "$KVX_ARM64_TESTS" ]; then
        # shellcheck disable=SC2086
        cmake --build "$b" -j "$KVX_JOBS" --target kvxtest $KVX_ARM64_TESTS
        (cd "$b" && KVX_UNTER_QEMU=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 -j "$KVX_JOBS" \
            -R "^($(echo $KVX_ARM64_TESTS | tr ' ' '|'))\$")
        return
    elif [ "$KVX_ARM64_KURZ" != 1 ]; then
        cmake --build "$b" -j "$KVX_JOBS"
        (cd "$b" && KVX_UNTER_QEMU=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 -j "$KVX_JOBS" -LE browser)
    else
        cmake --build "$b" -j "$KVX_JOBS" --target kvxtest kvxtest_man kvx-gpiobild kvxhard_tests fahrt_tests \
            profile_test configuration_test dateiorte_test datendatei_test
        (cd "$b" && KVX_UNTER_QEMU=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 -j "$KVX_JOBS" -L qemu -LE browser)
    fi
    rm -f "$b"/kvxtest_*.deb
    (cd "$b" && cpack -G DEB >/dev/null)
    ls "$b"/kvxtest_*_arm64.deb
}

# The program alone, optimised, as a user installs it; the build folder is
# kept, so that a second run builds only what changed.
paket_arm64() {
    local b=/build/paket-arm64
    cmake -S . -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVX_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_TOOLCHAIN_FILE=/src/kvxtest/scripts/aarch64-linux-gnu.cmake >/dev/null
    cmake --build "$b" -j "$KVX_JOBS"
    rm -f "$b"/kvxtest_*.deb
    (cd "$b" && cpack -G DEB >/dev/null)
}

if [ "${KVX_DEBIAN13_INNEN:-}" = 1 ]; then
    innen
else
    # A mount namespace of its own: whatever happens, no mount outlives the run.
    KVX_DEBIAN13_INNEN=1 exec unshare --mount --propagation private "$quelle/scripts/debian13.sh" "$teile"
fi
