# A missing shader file is a fatal stop: one line naming the file, then exit code 1 at once,
# without waiting for Enter, because standard input is closed.
source "$(dirname "$0")/lib.sh"

copy_assets
rm "$WORK_DIR/assets/shader/text.vert"
start_xvfb
run_game 30
[ "$GAME_RC" -ne 124 ] || fail "the game hung instead of exiting"
[ "$GAME_RC" -eq 1 ] || fail "exit code $GAME_RC, expected 1"
expect_output_line "Couldn't open shader file: assets/shader/text.vert"
echo PASS
