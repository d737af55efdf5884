#!/usr/bin/env bash
# Photographs the desk under a virtual display (Xvfb).
#   scripts/screenshot.sh [OUT.png] [WIDTHxHEIGHT] [SCALE] [SCENE]
# SCENE: idle (default), running (two lanes timing), hover (pointer over
# START), settings (settings dialog open), help (help window open). The
# window takes the whole screen of the given size; the default makes
# docs/ravolt.png for the README. The desk speaks German, so it is shown
# with German dates and numbers.
# Installs Xvfb, ImageMagick and xdotool when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/ravolt.png}
size=${2:-754x488}
scale=${3:-1}
scene=${4:-idle}

missing=()
for p in xvfb xauth imagemagick xdotool; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
[ -x build/app/ravolt ] || cmake --build build --target ravolt

width=${size%x*}
height=${size#*x}
home=$(mktemp -d)
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/config/Quintaro" "$home/bin"
cp build/app/ravolt resources/*.wav resources/*.html resources/Protokollvorlage.doc "$home/bin/"
# The window fills the screen in logical pixels.
printf '[General]\nLeft=0\nTop=0\nWidth=%d\nHeight=%d\nSound=0\nPort=0\n' \
    $((width / scale)) $((height / scale)) > "$home/config/Quintaro/ravolt.conf"

# Xvfb picks a free display and names it once it is ready.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$home/display" &
xvfb=$!
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.1; done
display=:$(head -1 "$home/display")
export DISPLAY=$display QT_QPA_PLATFORM=xcb
LANG=de_DE.UTF-8 XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" QT_SCALE_FACTOR=$scale \
    "$home/bin/ravolt" &
app=$!
win=""
for _ in $(seq 100); do
    win=$(xdotool search --name '^Ravolt' 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "the program did not open its window" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$win" 2>/dev/null || true
case $scene in
    running) xdotool key F5; sleep 1.3; xdotool key F5; sleep 0.8 ;;
    hover)
        # START sits at (12, 346) in the window: below the top bar, in the left panel.
        xdotool mousemove $(((12 + 55) * scale)) $(((38 + 1 + 306 + 20) * scale)); sleep 0.5 ;;
    settings) xdotool key F2; sleep 1 ;;
    help) xdotool key F1; sleep 1 ;;
esac
mkdir -p "$(dirname "$out")"
import -display "$display" -window root "$out"
echo "$out"
