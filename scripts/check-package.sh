#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks it with lintian
# (errors fail, warnings are shown) and installs it with apt-get into a fresh
# Debian 12 root made by mmdebstrap from the Debian mirror, where
# scripts/check-installed.sh runs the program as an ordinary user and purges
# the package again. The root lives in a temporary folder mmdebstrap removes.
# RAVOLT_DEBIAN_MIRROR overrides the mirror (default deb.debian.org).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

deb=$(scripts/package.sh)
scripts/setup.sh --packages-only lintian mmdebstrap
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

echo "lintian $deb"
lintian --fail-on error "$deb"

version=$(dpkg-deb -f "$deb" Version)
mirror=${RAVOLT_DEBIAN_MIRROR:-http://deb.debian.org}
# A minimal root (the essential packages and apt): the package must bring
# everything else it needs through its dependencies.
$sudo_cmd mmdebstrap --mode=root --variant=apt --format=null --skip=essential/unlink \
    --customize-hook="copy-in $deb scripts/check-installed.sh /tmp" \
    --customize-hook='du -sb "$1"/var/cache/apt/archives | sed "s/\t.*/ bytes of packages in the bare root/"' \
    --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/$(basename "$deb")" \
    --customize-hook='du -sb "$1"/var/cache/apt/archives | sed "s/\t.*/ bytes of packages with ravolt installed/"' \
    --customize-hook="chroot \"\$1\" sh /tmp/check-installed.sh $version" \
    bookworm /dev/null \
    "deb $mirror/debian bookworm main" \
    "deb $mirror/debian bookworm-updates main" \
    "deb $mirror/debian-security bookworm-security main"

echo "check-package: $(basename "$deb") passed in $(($(date +%s) - started)) s"
