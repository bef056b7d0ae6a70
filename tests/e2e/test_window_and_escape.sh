# The game opens its 800 x 600 window titled "Tessel 2020", clears to white, and a released
# Escape ends it with exit code 0 and no GL or GLFW error on the way.
source "$(dirname "$0")/lib.sh"

copy_assets
start_xvfb
start_game
wait_for_window

screenshot "$WORK_DIR/shot.png"
size=$(identify -format '%w x %h' "$WORK_DIR/shot.png")
[ "$size" = "800 x 600" ] || fail "window is $size, expected 800 x 600"
# The sky above the arena, right of the countdown, turns from the black of a window not yet
# drawn into to the white clear colour.
wait_for_drawn_frame

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
grep -q "^ERROR" "$GAME_LOG" && fail "unexpected ERROR line"
grep -q "^GLFW error" "$GAME_LOG" && fail "unexpected GLFW error"
grep -q "^OpenGL Error" "$GAME_LOG" && fail "OpenGL reported a problem"
echo PASS
