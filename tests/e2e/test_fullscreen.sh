# With "fullscreen" on, the window is the whole screen of the display, here 1024 x 768, which
# Xvfb cannot switch to the 800 x 600 of the settings. The picture fills it: the arena reaches
# the bottom-right corner (grass, not the white clear colour) and the HUD, scaled with it, shows
# the countdown at the top left and the counters at the bottom left.
source "$(dirname "$0")/lib.sh"

copy_assets
sed -i 's/^fullscreen = false$/fullscreen = true/' "$WORK_DIR/assets/settings.ini"
grep -q '^fullscreen = true$' "$WORK_DIR/assets/settings.ini" || fail "could not turn full screen on"
start_xvfb 1024x768
start_game
wait_for_window

# The HUD and the sky scale with the window: 1024 / 800 = 1.28 times.
SKY_REGION=384x38+614+6
wait_for_drawn_frame
shot="$WORK_DIR/poll.png"
size=$(identify -format '%w x %h' "$shot")
[ "$size" = "1024 x 768" ] || fail "window is $size, expected the screen's 1024 x 768"

# The ball, which rolls in from behind the camera after some seconds, stays near the middle.
corner=100x80+914+610  # above the speed read-out
brightness=$(mean_brightness "$shot" $corner)
green=$(convert "$shot" -crop $corner +repage -format '%[fx:mean.g]' info:)
red=$(convert "$shot" -crop $corner +repage -format '%[fx:mean.r]' info:)
echo "bottom-right corner: brightness $brightness, red $red, green $green"
at_least 0.8 "$brightness" || fail "the bottom-right corner is white, not the arena"
at_least "$green" "$(awk -v r="$red" 'BEGIN { print r * 1.2 }')" ||
    fail "the bottom-right corner is not grass"
at_least "$(near_black_fraction "$shot" 435x64+6+6)" 0.03 || fail "no countdown at the top left"
at_least "$(red_fraction "$shot" 115x70+6+691)" 0.03 || fail "no counters at the bottom left"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
grep -q "^ERROR" "$GAME_LOG" && fail "unexpected ERROR line"
grep -q "^OpenGL Error" "$GAME_LOG" && fail "OpenGL reported a problem"
echo PASS
