#!/usr/bin/env bash
# Makes docs/main-window.png: a demonstration logbook generated with a fixed seed, the program
# started on it under Xvfb, and the screen taken as soon as the window is there. Prints how long
# the program took from launch to its window. Needs a build in ./build (scripts/build.sh build)
# and the packages xvfb, x11-utils and imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flights=${1:-1200}
work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

cli="$root/build/src/cli/velmarsk-cli"
"$cli" --datadir "$work" create >/dev/null
"$cli" --datadir "$work" generate "$flights" --seed 7 >/dev/null
printf '[USER]\nNAME=Brandt\nFUNCTION=P\nAIRCRAFT=CH-53\n' >> "$work/tarnoki.ini"

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display
start=$(date +%s%N)
"$root/build/src/app/velmarsk" --datadir "$work" &
app=$!
until xwininfo -name Velmarskverwaltung >/dev/null 2>&1; do sleep 0.02; done
shown=$(date +%s%N)
echo "window shown after $(( (shown - start) / 1000000 )) ms on $flights flights"
sleep 1.5
mkdir -p "$root/docs"
id=$(xwininfo -name Velmarskverwaltung | awk '/Window id:/ {print $4}')
import -window "$id" "$root/docs/main-window.png"
kill "$app"
