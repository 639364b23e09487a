#!/usr/bin/env bash
# For the program built from this folder (./run.sh --gpio) on a system whose
# GPIO chips belong to root alone, such as plain Debian without the package
# kvxtest: makes the group gpio, gives the chips to it with the package's
# udev rule (in /etc/udev/rules.d) and puts the user into it. As root:
#
#   sudo scripts/gpio-zugriff.sh          # the user who called sudo
#   sudo scripts/gpio-zugriff.sh BENUTZER
#
# Raspberry Pi OS needs none of it: its chips belong to gpio already
# (sudo usermod -aG gpio BENUTZER is all).
set -euo pipefail
cd "$(dirname "$0")/.."
benutzer=${1:-${SUDO_USER:-}}
if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/gpio-zugriff.sh braucht root: sudo scripts/gpio-zugriff.sh" >&2
    exit 1
fi
if [ -z "$benutzer" ] || ! id "$benutzer" >/dev/null 2>&1; then
    echo "Welcher Benutzer? sudo scripts/gpio-zugriff.sh BENUTZER" >&2
    exit 2
fi
getent group gpio >/dev/null || groupadd --system gpio
install -m 644 packaging/60-kvxtest-gpio.rules /etc/udev/rules.d/60-kvxtest-gpio.rules
if [ -d /run/udev ]; then
    udevadm control --reload-rules
    udevadm trigger --subsystem-match=gpio --action=change
    udevadm settle
fi
usermod -aG gpio "$benutzer"
ls -l /dev/gpiochip* 2>/dev/null || echo "Dieser Rechner hat keinen GPIO-Baustein."
echo "$benutzer ist in der Gruppe gpio; neu anmelden, dann gilt es."
