# Without the font file the game reports FreeType's message once and plays on without text.
source "$(dirname "$0")/lib.sh"

copy_assets
rm "$WORK_DIR/assets/fonts/calibri.ttf"
start_xvfb
start_game
wait_for_window
sleep 3

screenshot "$WORK_DIR/shot.png"
red=$(convert "$WORK_DIR/shot.png" -crop 190x40+605+555 +repage \
    -fx '(r > 0.6 && g < 0.35 && b < 0.35) ? 1 : 0' -format '%[fx:mean]' info:)
at_least 0.002 "$red" || fail "text drawn without a font"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
expect_output_line "ERROR::FREETYPE: This means that the font file could not be opened or read, or that it is broken"
grep -aq "^Loaded Calibri.ttf" "$GAME_LOG" && fail "reported a font it could not open"
grep -aq "^loading " "$GAME_LOG" && fail "loaded glyphs from a missing font"
echo PASS
