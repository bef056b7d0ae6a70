# The heads-up display over the running game: the font loads with its report, the countdown
# (black), the frames per second, the frame number and the speed (red) are drawn; F4 turns the
# status line into the red "- PAUSED -"; F3 hides all text; Escape still ends the game with 0.
source "$(dirname "$0")/lib.sh"

# Fraction (0 to 1) of the pixels of a region WxH+X+Y that are strongly red, or near black.
red_fraction() {
    convert "$1" -crop "$2" +repage -fx '(r > 0.6 && g < 0.35 && b < 0.35) ? 1 : 0' \
        -format '%[fx:mean]' info:
}
dark_fraction() {
    convert "$1" -crop "$2" +repage -fx '(r < 0.3 && g < 0.3 && b < 0.3) ? 1 : 0' \
        -format '%[fx:mean]' info:
}

status_region=340x50+5+5      # "Time left: 0m:ss" at (20, H - 50), inside the frame's outline
counters_region=90x55+5+540    # "FPS:n" and the frame number at the bottom left
speed_region=190x40+605+555    # "0.000000" ending at the right edge

copy_assets
start_xvfb
start_game
wait_for_window
sleep 3

screenshot "$WORK_DIR/hud.png"
at_least "$(dark_fraction "$WORK_DIR/hud.png" $status_region)" 0.03 ||
    fail "no black countdown at the top left"
at_least "$(red_fraction "$WORK_DIR/hud.png" $counters_region)" 0.03 ||
    fail "no red frames-per-second and frame number at the bottom left"
at_least "$(red_fraction "$WORK_DIR/hud.png" $speed_region)" 0.05 ||
    fail "no red speed read-out at the bottom right"
at_least 0.005 "$(red_fraction "$WORK_DIR/hud.png" $status_region)" ||
    fail "the countdown is red with minutes left"

hold_key F4 0.3
sleep 1
screenshot "$WORK_DIR/paused.png"
at_least "$(red_fraction "$WORK_DIR/paused.png" $status_region)" 0.03 ||
    fail "no red '- PAUSED -' after F4"
at_least 0.005 "$(dark_fraction "$WORK_DIR/paused.png" $status_region)" ||
    fail "the countdown is still drawn while paused"

hold_key F3 0.3
sleep 1
screenshot "$WORK_DIR/hidden.png"
for region in $status_region $counters_region $speed_region; do
    at_least 0.002 "$(red_fraction "$WORK_DIR/hidden.png" $region)" ||
        fail "text still drawn in $region after F3"
done

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

expect_output_line "Loaded Calibri.ttf, num_glyphs: 2782, units_per_EM: 2048, num_fixed_sizes: 0"
loading=$(grep -ac '^loading ' "$GAME_LOG")
[ "$loading" -eq 128 ] || fail "$loading 'loading ...' lines, expected 128"
grep -aq "loading A into memory...$" "$GAME_LOG" || fail "no line for the letter A"
grep -aq "FREETY" "$GAME_LOG" && fail "unexpected font error"
echo PASS
