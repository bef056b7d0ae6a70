# The controls on screen and full screen at a key, on a 1024 x 768 screen with the shipped 800 x
# 600 window. The first frames say "Press H for the controls"; H shows the panel of every action
# with its keys (OCR finds F4 and R) and hides it again. Moved to (100, 80), the window goes full
# screen at F11, the picture filling the screen, and F11 again gives back a window of the
# settings' size in the middle of the screen. The game ends with 0.
source "$(dirname "$0")/lib.sh"

hint_region=300x34+15+58
labels_region=180x370+15+95  # the panel's left column: nothing else there is yellow
keys_region=110x390+215+80   # its keys, left of the robot's yellow paint

# The HUD's light yellow text in a region, black on white for OCR, enlarged.
read_yellow_text() {  # image region page-segmentation-mode
    convert "$1" -crop "$2" +repage -fx '(r > 0.8 && g > 0.7 && b < 0.4) ? 0 : 1' -resize 300% \
        "$WORK_DIR/ocr.png" && tesseract "$WORK_DIR/ocr.png" - --psm "$3" 2>/dev/null
}
yellow_fraction() {
    convert "$WORK_DIR/poll.png" -crop $labels_region +repage \
        -fx '(r > 0.8 && g > 0.7 && b < 0.4) ? 1 : 0' -format '%[fx:mean]' info:
}
panel_shown() {
    at_least "$(yellow_fraction)" 0.03
}
panel_hidden() {
    at_least 0.001 "$(yellow_fraction)"
}
speed_shown() {
    at_least "$(red_fraction "$WORK_DIR/poll.png" "$1")" 0.05
}
# Width x height + x + y of the game's window.
geometry_is() {
    [ "$(xwininfo -id "$WINDOW_ID" | awk '/Absolute upper-left X/ { x = $4 }
        /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print w "x" h "+" x "+" y }')" = "$1" ]
}

copy_assets
start_xvfb 1024x768
start_game
wait_for_window
pause_game

hint=$(read_yellow_text "$WORK_DIR/poll.png" $hint_region 7 | head -n 1)
echo "hint: $hint"
[ "$hint" = "Press H for the controls" ] || fail "the hint read '$hint'"

xdotool key --window "$WINDOW_ID" h
wait_until 30 "H did not show the controls" panel_shown
keys=$(read_yellow_text "$WORK_DIR/poll.png" $keys_region 6 | grep -v '^\s*$')
echo "keys in the panel: $(tr '\n' '|' <<<"$keys")"
grep -qx "F4" <<<"$keys" || fail "no F4 in the panel"
grep -qx "R" <<<"$keys" || fail "no R in the panel"
xdotool key --window "$WINDOW_ID" h
wait_until 30 "H again did not hide the controls" panel_hidden

# Moved, the window's cursor may turn the paused game's free camera; what follows does not look
# at the scene.
xdotool windowmove "$WINDOW_ID" 100 80
wait_until 30 "the window did not move" geometry_is 800x600+100+80
xdotool key --window "$WINDOW_ID" F11
wait_until 30 "F11 did not take the window full screen" geometry_is 1024x768+0+0
# The picture fills the screen: the HUD, drawn through the same viewport as the scene, reaches
# the bottom-right corner, its speed read-out 1.28 times as large.
wait_until 60 "the picture does not fill the screen" speed_shown 243x51+774+710
xdotool key --window "$WINDOW_ID" F11
wait_until 30 "F11 again did not give back the window" geometry_is 800x600+112+84
wait_until 60 "the picture does not fill the window again" speed_shown 190x40+605+555

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
grep -aq "^ERROR" "$GAME_LOG" && fail "an error was printed"
echo PASS
