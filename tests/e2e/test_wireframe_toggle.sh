# F1 acts on release: the scene turns into lines drawn straight into the window (mostly the
# white clear colour shows), and a second release brings the filled, post-processed frame back.
source "$(dirname "$0")/lib.sh"

copy_assets
start_xvfb
start_game
wait_for_window
sleep 2

screenshot "$WORK_DIR/filled.png"
hold_key F1 0.3
sleep 1
screenshot "$WORK_DIR/lines.png"
hold_key F1 0.3
sleep 1
screenshot "$WORK_DIR/filled_again.png"

filled=$(mean_brightness "$WORK_DIR/filled.png")
lines=$(mean_brightness "$WORK_DIR/lines.png")
filled_again=$(mean_brightness "$WORK_DIR/filled_again.png")
echo "mean brightness: filled $filled, wireframe $lines, filled again $filled_again"
at_least "$lines" "$(awk -v f="$filled" 'BEGIN { print f + 0.1 }')" || fail "F1 did not switch to lines"
at_least "$(awk -v f="$filled" 'BEGIN { print f + 0.1 }')" "$filled_again" ||
    fail "a second F1 did not switch back to filled polygons"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
echo PASS
