# Without the font file the game reports FreeType's message once and plays on without text.
source "$(dirname "$0")/lib.sh"

copy_assets
rm "$WORK_DIR/assets/fonts/calibri.ttf"
start_xvfb
start_game
wait_for_window
wait_for_drawn_frame

# Where the speed would end at the right edge there is no red text. (The ball, which could
# carry red into the view, only rolls in after some seconds, from behind the camera.)
at_least 0.002 "$(red_fraction "$WORK_DIR/poll.png" 190x40+605+555)" || fail "text drawn without a font"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
expect_output_line "ERROR::FREETYPE: This means that the font file could not be opened or read, or that it is broken"
grep -aq "^Loaded Calibri.ttf" "$GAME_LOG" && fail "reported a font it could not open"
grep -aq "^loading " "$GAME_LOG" && fail "loaded glyphs from a missing font"
echo PASS
