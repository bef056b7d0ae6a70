# F1 acts on release: the scene turns into lines drawn straight into the window (mostly the
# white clear colour shows), and a second release brings the filled, post-processed frame back.
# The game is paused first, so that only the toggle changes the picture.
source "$(dirname "$0")/lib.sh"

frame_brightness() {
    mean_brightness "$WORK_DIR/poll.png"
}

copy_assets
start_xvfb
start_game
wait_for_window
pause_game

screenshot "$WORK_DIR/filled.png"
filled=$(mean_brightness "$WORK_DIR/filled.png")
lines_threshold=$(awk -v f="$filled" 'BEGIN { print f + 0.1 }')

xdotool key --window "$WINDOW_ID" F1
wait_until 30 "F1 did not switch to lines (filled $filled)" \
    eval 'at_least "$(frame_brightness)" "$lines_threshold"'
lines=$(frame_brightness)

xdotool key --window "$WINDOW_ID" F1
wait_until 30 "a second F1 did not switch back to filled polygons (filled $filled, lines $lines)" \
    eval 'at_least "$lines_threshold" "$(frame_brightness)"'
echo "mean brightness: filled $filled, wireframe $lines, filled again $(frame_brightness)"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
echo PASS
