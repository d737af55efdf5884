#!/usr/bin/env bash
# Installs the Debian packages Ravolt needs (only when one is missing), then
# configures and builds into ./build. Safe to run again. With --sanitize it
# builds into ./build-asan under AddressSanitizer and UndefinedBehaviorSanitizer.
# With --packages-only [EXTRA...] it installs the packages (and the extra ones
# named, e.g. the packaging tools) and stops there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
          libgl-dev libxlsxwriter-dev unzip fonts-liberation desktop-file-utils
          locales qt6-translations-l10n libqt6sql6-sqlite libminizip-dev
          qt6-httpserver-dev qt6-websockets-dev libqrencode-dev
          dbus-daemon)
# dbus-daemon gives the tests a private bus to hold the desktop's inhibit on.
# Xvfb, ImageMagick and xdotool are only for looking at the program:
# scripts/screenshot.sh installs them.
only_packages=false
if [ "${1:-}" = "--packages-only" ]; then
    only_packages=true
    shift
    packages+=("$@")
fi

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
$only_packages && exit 0

# The tests run once more under the German locale the program is used with.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "Generating the locale de_DE.UTF-8"
    $sudo_cmd sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen
fi

if [ "${1:-}" = "--sanitize" ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAVOLT_SANITIZE=ON
    cmake --build build-asan
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build
fi
