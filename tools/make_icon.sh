#!/usr/bin/env bash
# Makes the desktop icon of the Debian package, a render of the robot by the game itself: plays
# it under a private Xvfb display with the heads-up display off, zooms in, orbits the camera to
# the robot's front and crops the window around the robot. Writes
# debian/icons/<size>x<size>/tessel.png for 256, 128, 64, 48 and 32 pixels. Run after building:
#   bash tools/make_icon.sh [path-to-tessel]   (default build/tessel)
# The orbit turns a fixed angle per pixel of mouse travel (4/60 degree of yaw, 2/60 of pitch),
# so TESSEL_ICON_ORBIT_STEPS steps of 30 pixels right and 15 up (default 22) give the same
# three-quarter view of the robot's front at any frame rate. The icons are kept in the
# repository; the package build never runs this.
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
hold_key F3 0.3

# Scroll in from the start distance of 20 to 8 (half a unit per notch).
for _ in $(seq 24); do
    xdotool click --window "$WINDOW_ID" 4
    sleep 0.05
done
sleep 1

# Orbit round to the robot's front with the left button held; the view snaps back behind the
# robot when the button is released, so the shot is taken while it is held.
xdotool mousedown --window "$WINDOW_ID" 1
for _ in $(seq "${TESSEL_ICON_ORBIT_STEPS:-22}"); do
    xdotool mousemove_relative -- 30 -15
    sleep 0.2
done
sleep 1
screenshot "$WORK_DIR/shot.png"
xdotool mouseup --window "$WINDOW_ID" 1
hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

for size in 256 128 64 48 32; do
    mkdir -p "$root/debian/icons/${size}x$size"
    convert "$WORK_DIR/shot.png" -crop 500x500+130+70 +repage -resize "${size}x$size" -strip \
        "PNG24:$root/debian/icons/${size}x$size/tessel.png"
done
echo "saved debian/icons/*/tessel.png"
