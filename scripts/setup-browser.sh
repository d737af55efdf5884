#!/usr/bin/env bash
# Installs Debian's chromium when it is missing: the live results pages are
# watched in it (a test, scripts/live-screenshots.sh). Not needed to build or
# run the program, so scripts/setup.sh leaves it out; CI runs this.
set -euo pipefail
command -v chromium >/dev/null && exit 0
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends chromium
