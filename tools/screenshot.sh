#!/usr/bin/env bash
# Takes the README's screenshot: plays a few seconds of the game under a private Xvfb display
# (drives forwards and turns a little, so the robot trails smoke) and saves the game window as
# docs/screenshot.png. Run from anywhere after building:
#   bash tools/screenshot.sh [path-to-tessel]   (default build/tessel)
set -eo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tessel=${1:-$root/build/tessel}
[ -x "$tessel" ] || { echo "no game binary at $tessel (build it first)"; exit 1; }

# The end-to-end helpers: a private display, the game in a scratch folder, key presses.
set -- "$tessel" "$root"
source "$root/tests/e2e/lib.sh"

copy_assets
start_xvfb
start_game
wait_for_window
sleep 2
hold_key w 1.5
hold_key a 0.4
sleep 1.5

# Orbit a little to the side with the left button held, so the smoke shows beside the robot;
# the view snaps back when the button is released, so the shot is taken while it is held.
xdotool mousedown --window "$WINDOW_ID" 1
for step in 1 2 3; do
    xdotool mousemove_relative -- 15 -4
    sleep 0.3
done
sleep 0.5
screenshot "$WORK_DIR/shot.png"
xdotool mouseup --window "$WINDOW_ID" 1
hold_key Escape 0.3
wait_for_game

mkdir -p "$root/docs"
convert "$WORK_DIR/shot.png" -strip -colors 256 "PNG8:$root/docs/screenshot.png"
echo "saved docs/screenshot.png ($(stat -c %s "$root/docs/screenshot.png") bytes)"
