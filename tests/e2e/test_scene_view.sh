# The lit arena under the edge pass: a green floor, brown wooden walls, the orange robot and
# dark outlines; after F1 the same view in lines on white, and back again after a second F1.
# The views are checked with the game paused in its first frames, when the ball is still behind
# the camera; then it runs on, and no OpenGL debug message is printed on the way.
source "$(dirname "$0")/lib.sh"

floor=300x120+250+430

# Mean of one channel (r, g or b) over a region WxH+X+Y.
channel_mean() {
    convert "$1" -crop "$2" +repage -format "%[fx:mean.$3]" info:
}

# Fraction of a region's pixels darker than 0.12: the outlines.
dark_fraction() {
    convert "$1" -crop "$2" +repage -colorspace Gray -threshold 12% -negate -format '%[fx:mean]' info:
}

floor_is_white() {
    at_least "$(mean_brightness "$WORK_DIR/poll.png" $floor)" 0.85
}
floor_is_lit() {
    at_least "$(channel_mean "$WORK_DIR/poll.png" $floor g)" 0.2 &&
        at_least 0.85 "$(mean_brightness "$WORK_DIR/poll.png" $floor)"
}

copy_assets
start_xvfb
start_game
wait_for_window
pause_game

screenshot "$WORK_DIR/lit.png"
red=$(channel_mean "$WORK_DIR/lit.png" $floor r)
green=$(channel_mean "$WORK_DIR/lit.png" $floor g)
blue=$(channel_mean "$WORK_DIR/lit.png" $floor b)
at_least "$green" 0.2 || fail "floor is too dark (green $green)"
at_least "$green" "$(awk -v r="$red" 'BEGIN { print r * 1.3 }')" || fail "floor is not green (r $red g $green)"
at_least "$green" "$(awk -v b="$blue" 'BEGIN { print b * 1.3 }')" || fail "floor is not green (g $green b $blue)"

# Somewhere in the upper half there is wood or robot paint: more red than blue.
upper=800x240+0+60
at_least "$(channel_mean "$WORK_DIR/lit.png" $upper r)" \
    "$(awk -v b="$(channel_mean "$WORK_DIR/lit.png" $upper b)" 'BEGIN { print b * 1.2 }')" ||
    fail "no brown walls or orange robot in the upper half"

outlines=$(dark_fraction "$WORK_DIR/lit.png" 800x480+0+60)
at_least "$outlines" 0.002 || fail "no dark outlines in the lit view ($outlines)"

# In lines the floor is the white clear colour between thin lines, not a filled surface.
xdotool key --window "$WINDOW_ID" F1
wait_until 30 "wireframe floor is not white" floor_is_white

# Back to the lit view: the same pass, nothing recreated.
xdotool key --window "$WINDOW_ID" F1
wait_until 30 "the lit view did not come back" floor_is_lit

# The game runs on for a while (some hundred frames here) before its output is checked.
resume_game
sleep 10
hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
grep -q "^OpenGL Error" "$GAME_LOG" && fail "OpenGL reported a problem"
grep -q "^ERROR" "$GAME_LOG" && fail "unexpected ERROR line"
echo PASS
