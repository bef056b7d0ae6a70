# Losing the focus pauses the game: another window takes the focus, and the running game shows
# "- PAUSED -" and then rests, hardly using the processor; given the focus back, it draws again
# and stays paused until the player unpauses, as after F4.
source "$(dirname "$0")/lib.sh"

frame_number=90x25+5+570  # the frame number at the bottom left

# Succeeds once the frame number differs from the one in $WORK_DIR/frame_before.png: the game
# has drawn a new frame since.
new_frame_drawn() {
    convert "$WORK_DIR/poll.png" -crop $frame_number +repage "$WORK_DIR/frame_now.png"
    local differing
    differing=$(compare -metric AE "$WORK_DIR/frame_before.png" "$WORK_DIR/frame_now.png" null: 2>&1)
    [ "${differing%%.*}" -gt 0 ] 2>/dev/null
}
# Waits for two more frames of the game.
wait_for_two_frames() {
    local frame
    for frame in 1 2; do
        screenshot "$WORK_DIR/poll.png"
        convert "$WORK_DIR/poll.png" -crop $frame_number +repage "$WORK_DIR/frame_before.png"
        wait_until 30 "the game drew no new frame" new_frame_drawn
    done
}

copy_assets
start_xvfb
start_game
wait_for_window
wait_for_drawn_frame
wait_until 30 "the game is not running" status_is_running
wait_for_two_frames

xmessage -geometry 200x60-0-0 "Another window" &
other_pid=$!
trap 'kill $other_pid 2>/dev/null; cleanup' EXIT
other=$(timeout 30 xdotool search --sync --onlyvisible --name xmessage | head -n 1)
[ -n "$other" ] || fail "the other window did not open"
xdotool windowfocus "$other"
wait_until 30 "losing the focus did not pause the game" status_is_paused
echo "paused on losing the focus"

# Paused in the background it waits for events instead of drawing: over five seconds, once the
# engine's hum has faded, under a tenth of a core.
game=$(pgrep -P "$GAME_PID" | head -n 1)
sleep 1
ticks=$(awk '{ print -($14 + $15) }' "/proc/$game/stat")
sleep 5
cpu=$(awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" '{ print (t + $14 + $15) / hz / 5 }' \
    "/proc/$game/stat")
echo "paused in the background: $cpu s of processor a second"
at_least 0.1 "$cpu" || fail "paused in the background the game used $cpu s of processor a second"

xdotool windowfocus "$WINDOW_ID"
wait_for_two_frames
screenshot "$WORK_DIR/focused_again.png"
at_least "$(red_fraction "$WORK_DIR/focused_again.png" 340x50+5+5)" 0.03 ||
    fail "given the focus back, the game did not stay paused"

# The player unpauses as usual.
resume_game
hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
echo PASS
