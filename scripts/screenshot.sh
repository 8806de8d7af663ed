#!/usr/bin/env bash
# Makes docs/main-window.png: a demonstration logbook generated with a fixed seed, the program
# started on it under Xvfb, and the screen taken as soon as the window is there. Prints how long
# the program took from launch to its window. Then docs/totals-window.png: the program started
# again on the same logbook as if on a day late in its last year, the totals opened with Ctrl+J.
# Then docs/chart-window.png: the chart opened with F6 in that run, quarterly, with night and IFR
# time beside the total. Then docs/group-totals-window.png: the sums per aircraft type, opened with
# Ctrl+Shift+J in that run.
# Needs a build in ./build (scripts/build.sh build). Installs what only the pictures need and the
# build does not (x11-utils, imagemagick, xdotool, libfaketime) through scripts/install-deps.sh.
# Every wait is bounded: a screen or window that does not come ends the script with a message.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flights=${1:-1200}
# Seconds to wait for the virtual screen, and for each window (the first start on a large
# logbook takes longest).
screen_timeout=${SCREENSHOT_SCREEN_TIMEOUT:-20}
window_timeout=${SCREENSHOT_WINDOW_TIMEOUT:-60}

bash "$root/scripts/install-deps.sh" x11-utils imagemagick xdotool libfaketime
for tool in Xvfb xwininfo import xdotool; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
app=""
xvfb=""
stop() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap stop EXIT

fail() {
  echo "screenshot.sh: $*" >&2
  exit 1
}

# Waits up to `window_timeout` seconds for a window of this title; fails when the program ended
# or the time is up.
wait_for_window() {
  local deadline=$((SECONDS + window_timeout))
  until xwininfo -name "$1" >/dev/null 2>&1; do
    kill -0 "$app" 2>/dev/null || fail "the program ended before the window \"$1\" appeared"
    [ "$SECONDS" -lt "$deadline" ] || fail "no window \"$1\" after $window_timeout s"
    sleep 0.02
  done
}
window_id() { xwininfo -name "$1" | awk '/Window id:/ {print $4}'; }
# Runs an X tool that may wait for the screen ("windowfocus --sync"), for at most the window wait.
bounded() { timeout "$window_timeout" "$@" || fail "\"$*\" did not finish within $window_timeout s"; }

cli="$root/build/src/cli/velmarsk-cli"
"$cli" --datadir "$work" create >/dev/null
"$cli" --datadir "$work" generate "$flights" --seed 7 >/dev/null
printf '[USER]\nNAME=Brandt\nFUNCTION=P\nAIRCRAFT=CH-53\nBIRTHDAY=14.08.78\n' >> "$work/tarnoki.ini"

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
deadline=$((SECONDS + screen_timeout))
until [ -s "$work/display" ]; do
  kill -0 "$xvfb" 2>/dev/null || fail "Xvfb ended without a screen"
  [ "$SECONDS" -lt "$deadline" ] || fail "Xvfb gave no screen within $screen_timeout s"
  sleep 0.05
done
DISPLAY=:$(tr -d '[:space:]' <"$work/display")
export DISPLAY
start=$(date +%s%N)
"$root/build/src/app/velmarsk" --datadir "$work" &
app=$!
wait_for_window Velmarskverwaltung
shown=$(date +%s%N)
echo "window shown after $(( (shown - start) / 1000000 )) ms on $flights flights"
sleep 1.5
mkdir -p "$root/docs"
bounded import -window "$(window_id Velmarskverwaltung)" "$root/docs/main-window.png"
kill "$app"
wait "$app" 2>/dev/null || true

# The generated flights end with 2024: the totals window opens on the current year, so the program
# sees the last day of 2024, with yearly requirements to hold the year against.
printf '[TCTP]\nGESVFR=9000\nGESNITE=1500\nGESIFR=1200\nNITEIFR=300\nSIMGES=1800\nARGES=30\nLANDGES=150\nLANDNITE=30\nPRECGES=24\nNONPRECGES=12\nGES1911=1200\nSIM1911GES=600\nPREC1911GES=12\nNBSYMB=N510\n' >> "$work/tarnoki.ini"
rm -f "$work/Flug.lck"  # left by the first run, which was killed
faketime=$(dpkg -L libfaketime | grep '/libfaketime\.so\.1$' | head -n 1)
[ -n "$faketime" ] || fail "libfaketime.so.1 not found in the package libfaketime"
LD_PRELOAD=$faketime FAKETIME='@2024-12-31 18:00:00' FAKETIME_DONT_FAKE_MONOTONIC=1 \
  "$root/build/src/app/velmarsk" --datadir "$work" &
app=$!
wait_for_window Velmarskverwaltung
sleep 1
bounded xdotool windowfocus --sync "$(window_id Velmarskverwaltung)"
xdotool key ctrl+j
wait_for_window "Summe aller Verfahren und Zeiten"
sleep 1
bounded import -window "$(window_id "Summe aller Verfahren und Zeiten")" "$root/docs/totals-window.png"

# The chart: F6 opens the selection with every year of the logbook; Tab to the modes, Down to
# "Quartal", Tab through the boxes checking "Nachtflug" and "IFR", Enter for OK.
bounded xdotool windowfocus --sync "$(window_id Velmarskverwaltung)"
xdotool key F6
wait_for_window "Grafik darstellen"
sleep 0.5
bounded xdotool windowfocus --sync "$(window_id "Grafik darstellen")"
xdotool key Tab Tab Down Tab Tab space Tab space Return
wait_for_window "Grafische Auswertung"
sleep 1
bounded import -window "$(window_id "Grafische Auswertung")" "$root/docs/chart-window.png"

# The sums per aircraft type over the whole logbook: Ctrl+Shift+J from the main window.
bounded xdotool windowfocus --sync "$(window_id Velmarskverwaltung)"
xdotool key ctrl+shift+j
wait_for_window "Summen je Gruppe"
sleep 1
bounded import -window "$(window_id "Summen je Gruppe")" "$root/docs/group-totals-window.png"
kill "$app"
wait "$app" 2>/dev/null || true
