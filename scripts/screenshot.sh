#!/usr/bin/env bash
# Makes docs/main-window.png: a demonstration logbook generated with a fixed seed, the program
# started on it under Xvfb, and the screen taken as soon as the window is there. Prints how long
# the program took from launch to its window. Then docs/totals-window.png: the program started
# again on the same logbook as if on a day late in its last year, the totals opened with Ctrl+J.
# Then docs/chart-window.png: the chart opened with F6 in that run, quarterly, with night and IFR
# time beside the total.
# Needs a build in ./build (scripts/build.sh build) and the packages xvfb, x11-utils,
# imagemagick, xdotool and faketime.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flights=${1:-1200}
work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

cli="$root/build/src/cli/velmarsk-cli"
"$cli" --datadir "$work" create >/dev/null
"$cli" --datadir "$work" generate "$flights" --seed 7 >/dev/null
printf '[USER]\nNAME=Brandt\nFUNCTION=P\nAIRCRAFT=CH-53\nBIRTHDAY=14.08.78\n' >> "$work/tarnoki.ini"

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
wait "$app" 2>/dev/null || true

# Waits up to ten seconds for a window of this title.
wait_for_window() {
  for _ in $(seq 500); do
    xwininfo -name "$1" >/dev/null 2>&1 && return 0
    sleep 0.02
  done
  echo "no window \"$1\"" >&2
  return 1
}
window_id() { xwininfo -name "$1" | awk '/Window id:/ {print $4}'; }

# The generated flights end with 2024: the totals window opens on the current year, so the program
# sees the last day of 2024, with yearly requirements to hold the year against.
printf '[TCTP]\nGESVFR=9000\nGESNITE=1500\nGESIFR=1200\nNITEIFR=300\nSIMGES=1800\nARGES=30\nLANDGES=150\nLANDNITE=30\nPRECGES=24\nNONPRECGES=12\nGES1911=1200\nSIM1911GES=600\nPREC1911GES=12\nNBSYMB=N510\n' >> "$work/tarnoki.ini"
rm -f "$work/Flug.lck"  # left by the first run, which was killed
faketime=$(dpkg -L libfaketime | grep '/libfaketime\.so\.1$' | head -n 1)
LD_PRELOAD=$faketime FAKETIME='@2024-12-31 18:00:00' FAKETIME_DONT_FAKE_MONOTONIC=1 \
  "$root/build/src/app/velmarsk" --datadir "$work" &
app=$!
wait_for_window Velmarskverwaltung
sleep 1
xdotool windowfocus --sync "$(window_id Velmarskverwaltung)"
xdotool key ctrl+j
wait_for_window "Summe aller Verfahren und Zeiten"
sleep 1
import -window "$(window_id "Summe aller Verfahren und Zeiten")" "$root/docs/totals-window.png"

# The chart: F6 opens the selection with every year of the logbook; Tab to the modes, Down to
# "Quartal", Tab through the boxes checking "Nachtflug" and "IFR", Enter for OK.
xdotool windowfocus --sync "$(window_id Velmarskverwaltung)"
xdotool key F6
wait_for_window "Grafik darstellen"
sleep 0.5
xdotool windowfocus --sync "$(window_id "Grafik darstellen")"
xdotool key Tab Tab Down Tab Tab space Tab space Return
wait_for_window "Grafische Auswertung"
sleep 1
import -window "$(window_id "Grafische Auswertung")" "$root/docs/chart-window.png"
kill "$app"
wait "$app" 2>/dev/null || true
