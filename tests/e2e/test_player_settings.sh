# The player's own settings over the shipped ones, from a scratch XDG_CONFIG_HOME whose
# tessel/settings.ini sets forward = Up and volume = 0, beside one line of each kind the game
# cannot use. Each of those gets its one ERROR line and the game plays: holding Up drives the
# robot, holding W does not, and the recording is silent. Without that folder the shipped
# settings hold again: W drives and the game is heard. A FIFO in the file's place costs one line
# and holds nothing up. The game writes neither the file nor a folder. The speed read-out at the
# bottom right tells whether the robot drives.
source "$(dirname "$0")/lib.sh"

speed_region=190x40+605+555

# The digits of the speed read-out in the last screenshot polled: all zeros while the robot
# stands.
speed_digits() {
    read_red_number "$WORK_DIR/poll.png" $speed_region
}
driving() {
    [[ "$(speed_digits)" =~ [1-9] ]]
}
record_to() {
    printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$1" >"$WORK_DIR/alsoft.conf"
    export ALSOFT_CONF="$WORK_DIR/alsoft.conf" ALSOFT_DRIVERS=wave
}
# The largest sample of a recording.
loudest() {
    sox "$1" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }'
}
quit_game() {
    hold_key Escape 0.3
    wait_for_game
    [ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
}

copy_assets
start_xvfb
player="$WORK_DIR/player"
file="$player/tessel/settings.ini"
mkdir -p "$player/tessel"
printf '%s\n' "[window]" "height = 0" "this line is not a setting" \
    "title = $(printf 'T%.0s' $(seq 200))" "[audio]" "volume = 0" "[keys]" "forward = Up" \
    "left = A, B, C" "right = Foo" "pause = F3" "jump = Space" "backward =" >"$file"
cp "$file" "$WORK_DIR/player.ini"

record_to "$WORK_DIR/player.wav"
XDG_CONFIG_HOME=$player start_game
wait_for_window
wait_for_drawn_frame
hold_key w 1
pause_game
digits=$(speed_digits)
[ -n "$digits" ] && ! driving || fail "W drove the robot: speed digits '$digits'"
resume_game
hold_key Up 1
wait_until 30 "holding Up did not drive the robot" driving
quit_game
errors=$(grep -c "^ERROR" "$GAME_LOG")
for line in "Line 4 of '$file' is longer than 198 characters. It is skipped." \
    "Line 3 of '$file' is not a setting. It is skipped." \
    "Setting 'height' in [window] of '$file' cannot be used: '0'. Using 600 instead." \
    "'left' in [keys] of '$file' has more than two keys: 'A, B, C'. 'left' keeps A, Left." \
    "Key 'Foo' for 'right' in [keys] of '$file' is not a key name. 'right' keeps D, Right." \
    "'jump' in [keys] of '$file' is not an action. The line is ignored." \
    "'backward' in [keys] of '$file' names no key. 'backward' keeps S, Down." \
    "Key 'F3' for 'pause' in [keys] of '$file' is bound to 'hud' already. 'pause' keeps F4."; do
    expect_output_line "ERROR: $line"
done
[ "$errors" -eq 8 ] || fail "$errors ERROR lines, expected 8"
max=$(loudest "$WORK_DIR/player.wav")
echo "with the player's file: $errors ERROR lines, loudest sample $max"
at_least 0.0001 "$max" || fail "volume = 0 was heard (loudest sample $max)"

# Without the player's folder: the shipped keys and volume.
record_to "$WORK_DIR/shipped.wav"
start_game
wait_for_window
wait_for_drawn_frame
hold_key w 1
wait_until 30 "holding W did not drive the robot with the shipped settings" driving
quit_game
max=$(loudest "$WORK_DIR/shipped.wav")
echo "with the shipped settings: loudest sample $max"
at_least "$max" 0.05 || fail "the shipped volume was not heard (loudest sample $max)"
grep -q "^ERROR" "$GAME_LOG" && fail "an error with the shipped settings"

# A FIFO in the file's place, with no one writing to it: one line, and the game starts at once
# and quits on Escape.
fifo_home="$WORK_DIR/fifo"
mkdir -p "$fifo_home/tessel"
mkfifo "$fifo_home/tessel/settings.ini"
XDG_CONFIG_HOME=$fifo_home start_game
wait_for_window
wait_for_drawn_frame
quit_game
expect_output_line "ERROR: Failed to load '$fifo_home/tessel/settings.ini': not a file. Playing without it."
echo "with a FIFO for the player's file: started, said so and quit"

cmp -s "$file" "$WORK_DIR/player.ini" || fail "the player's file changed"
[ "$(ls -A "$player/tessel")" = settings.ini ] || fail "the game wrote into $player/tessel"
[ ! -e "$XDG_CONFIG_HOME/tessel" ] && [ ! -e "$HOME/.config/tessel" ] ||
    fail "the game made a settings folder"
echo PASS
