# Another round in the real game. The robot drives off and mows; R then starts the round again:
# the countdown reads 04:00 (or 03:59) again, and paused in the new round's first second the
# view is the one of a round started before any driving, with the grass standing where the robot
# had mown. Then, with the game's clock running twenty times as fast (faketime), the round runs
# out: "GAME OVER!" shows with "Press R to play again" under it, and R starts a new round.
source "$(dirname "$0")/lib.sh"

status_region=340x50+5+5     # "Time left: 0M:SS" at (20, H - 50)
behind_robot=120x120+340+460 # the robot's track, seen from behind
robot=160x120+320+200        # the centre of the view, where the camera keeps the robot
invitation=420x50+40+325     # "Press R to play again" under the end text at the middle

# The robot's paint at the centre of the view: placed where the round starts.
robot_in_view() {
    at_least "$(paint_fraction "$WORK_DIR/poll.png" $robot)" 0.05
}
# The invitation's light yellow text on its dark shadow.
invitation_shown() {
    at_least "$(convert "$WORK_DIR/poll.png" -crop $invitation +repage \
        -fx '(r > 0.8 && g > 0.7 && b < 0.4) ? 1 : 0' -format '%[fx:mean]' info:)" 0.03
}
# The invitation, and no countdown at the top any more: the ball, which rolls through the running
# game's view too, can show the invitation's yellow, but never hides the countdown.
end_view_shown() {
    invitation_shown && [[ "$(read_text "$WORK_DIR/poll.png" $status_region)" != Time* ]]
}
invitation_gone() {
    ! invitation_shown && status_is_running
}
# A new round, paused in its first second: the robot stands at the start, and the ball, put back
# 30 behind it, has not yet rolled into view (it keeps real time, however slowly the frames come).
new_round_view() {
    xdotool key --window "$WINDOW_ID" r
    sleep 0.5
    pause_game
    wait_until 60 "R did not bring the robot back into the middle of the view" robot_in_view
    screenshot "$1"
}

copy_assets
start_xvfb
start_game
wait_for_window
new_round_view "$WORK_DIR/start.png"

resume_game
drive_off_with_a_quarter_turn
screenshot "$WORK_DIR/driven.png"
before_r=$(read_text "$WORK_DIR/driven.png" $status_region)
echo "countdown before R: $before_r"
[[ "$before_r" =~ ^"Time left: 03:"([0-4][0-9]|5[0-7])$ ]] ||
    fail "the countdown read '$before_r' after four seconds of driving"

# R starts the new round, and F4 sent with it holds the new round's countdown at its start.
# Resumed, the first frames show it: read from screenshots taken as fast as they come, and
# looked at afterwards, so that a slow machine cannot let the countdown run on meanwhile.
xdotool key --window "$WINDOW_ID" r F4
wait_until 60 "the game did not pause after R and F4" status_is_paused
xdotool key --window "$WINDOW_ID" F4
for shot in 1 2 3 4 5 6; do
    import -window "$WINDOW_ID" -crop $status_region +repage "$WORK_DIR/resumed_$shot.png"
done
after_r=""
for shot in 1 2 3 4 5 6; do
    after_r=$(read_text "$WORK_DIR/resumed_$shot.png" 100%x100%+0+0)
    [ "${after_r#Time left}" != "$after_r" ] && break
done
echo "countdown after R: $after_r"
[ "$after_r" = "Time left: 04:00" ] || [ "$after_r" = "Time left: 03:59" ] ||
    fail "after R the countdown read '$after_r', not 04:00 or 03:59"

# Paused in a new round's first second again, the view is the start view.
new_round_view "$WORK_DIR/restarted.png"

track_start=$(mean_brightness "$WORK_DIR/start.png" $behind_robot)
track_driven=$(mean_brightness "$WORK_DIR/driven.png" $behind_robot)
track_restarted=$(mean_brightness "$WORK_DIR/restarted.png" $behind_robot)
# The first seconds of the first round also show which key lists the controls, under the
# countdown: the views are compared below it.
for shot in start restarted; do
    convert "$WORK_DIR/$shot.png" -crop 800x500+0+100 +repage "$WORK_DIR/${shot}_below_hint.png"
done
whole_difference=$(compare -metric RMSE "$WORK_DIR/start_below_hint.png" \
    "$WORK_DIR/restarted_below_hint.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
echo "behind the robot: $track_start at the start, $track_driven after driving," \
    "$track_restarted after R; the whole view differs from the start view by $whole_difference"
at_least "$track_driven" "$(awk -v a="$track_start" 'BEGIN { print a + 0.06 }')" ||
    fail "the robot did not mow a strip before R"
awk -v a="$track_start" -v b="$track_restarted" 'BEGIN { d = a - b; exit !(d < 0.03 && d > -0.03) }' ||
    fail "after R the grass behind the robot is not as it was at the start"
# Only the smoke differs much between the two views.
at_least 0.04 "$whole_difference" || fail "after R the view is not the start view"
hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

# A round that runs out, on a clock twenty times as fast: four minutes in twelve seconds.
(cd "$WORK_DIR" && exec faketime -f '+0 x20' timeout 120 "$TESSEL" </dev/null >"$GAME_LOG" 2>&1) &
GAME_PID=$!
wait_for_window
wait_until 90 "no 'Press R to play again' after the round ran out" end_view_shown
screenshot "$WORK_DIR/ended.png"
at_least "$(red_fraction "$WORK_DIR/ended.png" 700x100+40+200)" 0.05 ||
    fail "no red 'GAME OVER!' above the invitation"
xdotool key --window "$WINDOW_ID" r
wait_until 30 "R after the end did not start a new round" invitation_gone
hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
echo PASS
