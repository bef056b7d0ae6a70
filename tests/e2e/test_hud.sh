# The heads-up display over the running game: the font loads with its report; the frames per
# second, the frame number and the speed are drawn in red; F4 turns the status line into the
# red "- PAUSED -" and back into the black countdown; F3 hides all text; Escape still ends the
# game with 0. The text is checked while the game is paused in its first frames, when nothing
# but the smoke moves, except for the countdown, which sits above the horizon.
source "$(dirname "$0")/lib.sh"

status_region=340x50+5+5      # the status line at (20, H - 50), inside the frame's outline
counters_region=90x55+5+540    # "FPS:n" and the frame number at the bottom left
speed_region=190x40+605+555    # "0.000000" ending at the right edge

text_hidden() {
    local region
    for region in $status_region $counters_region $speed_region; do
        at_least 0.002 "$(red_fraction "$WORK_DIR/poll.png" $region)" || return 1
    done
}
counters_shown() {
    at_least "$(red_fraction "$WORK_DIR/poll.png" $counters_region)" 0.03
}

copy_assets
start_xvfb
start_game
wait_for_window
pause_game

screenshot "$WORK_DIR/paused.png"
at_least "$(red_fraction "$WORK_DIR/paused.png" $status_region)" 0.03 ||
    fail "no red '- PAUSED -' after F4"
at_least 0.005 "$(near_black_fraction "$WORK_DIR/paused.png" $status_region)" ||
    fail "the countdown is still drawn while paused"
at_least "$(red_fraction "$WORK_DIR/paused.png" $counters_region)" 0.03 ||
    fail "no red frames-per-second and frame number at the bottom left"
at_least "$(red_fraction "$WORK_DIR/paused.png" $speed_region)" 0.05 ||
    fail "no red speed read-out at the bottom right"

xdotool key --window "$WINDOW_ID" F3
wait_until 30 "text still drawn after F3" text_hidden
xdotool key --window "$WINDOW_ID" F3
wait_until 30 "the text did not come back after a second F3" counters_shown

resume_game
screenshot "$WORK_DIR/running.png"
at_least "$(near_black_fraction "$WORK_DIR/running.png" $status_region)" 0.03 ||
    fail "no black countdown at the top left"
at_least 0.005 "$(red_fraction "$WORK_DIR/running.png" $status_region)" ||
    fail "the countdown is red with minutes left"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

expect_output_line "Loaded Calibri.ttf, num_glyphs: 2782, units_per_EM: 2048, num_fixed_sizes: 0"
loading=$(grep -ac '^loading ' "$GAME_LOG")
[ "$loading" -eq 128 ] || fail "$loading 'loading ...' lines, expected 128"
grep -aq "loading A into memory...$" "$GAME_LOG" || fail "no line for the letter A"
grep -aq "^loading character 7 into memory...$" "$GAME_LOG" || fail "no line for the bell's code"
# Nothing that drives a terminal: no byte below 32 but the line end, and no DEL.
control_bytes=$(tr -d '\n' <"$GAME_LOG" | tr -dc '\000-\037\177' | wc -c)
[ "$control_bytes" -eq 0 ] || fail "$control_bytes control bytes in the game's output"
grep -aq "FREETY" "$GAME_LOG" && fail "unexpected font error"
echo PASS
