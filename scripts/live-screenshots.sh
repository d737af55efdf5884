#!/usr/bin/env bash
# Photographs the live results pages of a demo event at phone size (390x844)
# in headless Chromium, for looking at: Strecke (/), Wertung, Starterliste.
#   scripts/live-screenshots.sh [OUTDIR] [FINISHED_RUNS] [WIDTH,HEIGHT]
# FINISHED_RUNS (0..36, default 30): how far the demo slalom has got.
# WIDTH,HEIGHT (default 390,844, a phone): e.g. 1280,800 for a laptop.
# Installs chromium when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/live-screenshots}
finished=${2:-30}
size=${3:-390,844}
scripts/setup-browser.sh
[ -x build/tests/live/live_demo ] || cmake --build build --target live_demo
mkdir -p "$out"
out=$(realpath "$out")
profile=$(mktemp -d)
# The demo server picks a free port, names its address and serves until its
# input closes.
coproc DEMO { exec build/tests/live/live_demo 0 "$finished"; }
trap 'kill "$DEMO_PID" 2>/dev/null || true; rm -rf "$profile"' EXIT
read -r url <&"${DEMO[0]}"
for page in strecke:/ wertung:/wertung starter:/starter; do
    name=${page%%:*}
    # Everything that would reach for the internet is off, or the browser
    # waits for it on a closed network. No sandbox: it needs privileges a
    # build machine may lack, and only our own page on 127.0.0.1 is opened.
    HOME=$profile chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile/data" --window-size="$size" --hide-scrollbars \
        --virtual-time-budget=2000 --screenshot="$out/live-$name.png" "${url%/}${page#*:}" \
        >/dev/null 2>&1
    echo "$out/live-$name.png"
done
