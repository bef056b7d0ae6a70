# A shader that does not compile is a fatal stop with the file name and the compiler log.
source "$(dirname "$0")/lib.sh"

copy_assets
printf '#version 430 core\nvoid main() { this is not glsl; }\n' >"$WORK_DIR/assets/shader/edge.frag"
start_xvfb
run_game 30
[ "$GAME_RC" -eq 1 ] || fail "exit code $GAME_RC, expected 1"
expect_output_line "Failed to compile shader: edge.frag"
# The compiler log follows on the next line.
log_line=$(grep -A1 -xF "Failed to compile shader: edge.frag" "$GAME_LOG" | tail -n 1)
[ -n "$log_line" ] && [ "$log_line" != "Failed to compile shader: edge.frag" ] || fail "no compiler log"
echo PASS
