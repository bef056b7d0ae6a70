# A driver that refuses an OpenGL 4.3 core context (Mesa capped at 3.3 here) ends the game
# with the window system's error line, "ERROR: Failed to create window" and exit code 1.
source "$(dirname "$0")/lib.sh"

copy_assets
start_xvfb
export MESA_GL_VERSION_OVERRIDE=3.3
run_game 30
[ "$GAME_RC" -eq 1 ] || fail "exit code $GAME_RC, expected 1"
grep -q "^GLFW error [0-9]*: " "$GAME_LOG" || fail "no 'GLFW error' line"
expect_output_line "ERROR: Failed to create window"
echo PASS
