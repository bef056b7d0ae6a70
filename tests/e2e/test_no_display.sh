# Without a display the window system cannot start: its own error line, the fatal line and
# exit code 1, without waiting on the closed standard input.
source "$(dirname "$0")/lib.sh"

copy_assets
unset DISPLAY WAYLAND_DISPLAY
run_game 30
[ "$GAME_RC" -eq 1 ] || fail "exit code $GAME_RC, expected 1"
grep -q "^GLFW error [0-9]*: " "$GAME_LOG" || fail "no 'GLFW error' line"
expect_output_line "ERROR: Failed to init GLFW"
echo PASS
