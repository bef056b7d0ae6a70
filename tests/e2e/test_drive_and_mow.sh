# Driving and mowing in the real game: the robot turns a quarter left and drives off with W;
# the camera follows it, and the tiles it drove through are gone, so that the floor shows in a
# strip behind it while the tiles beside its path still stand. Both views are taken paused:
# before, in the first frames, with the ball still behind the camera; after, once the robot has
# left the ball's patrol line (x = 0) behind it and the camera.
source "$(dirname "$0")/lib.sh"

behind_robot=120x120+340+460  # bottom centre: the robot's track, seen from behind
left_of_path=120x120+40+460   # bottom left and right: tiles the robot never touched
right_of_path=120x120+640+460
robot=160x120+320+200         # the centre of the view, where the camera keeps the robot

copy_assets
start_xvfb
start_game
wait_for_window
pause_game
screenshot "$WORK_DIR/before.png"

resume_game
# A quarter turn and on, then a coast.
drive_off_with_a_quarter_turn
sleep 1.5
pause_game
screenshot "$WORK_DIR/after.png"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

track_before=$(mean_brightness "$WORK_DIR/before.png" $behind_robot)
track_after=$(mean_brightness "$WORK_DIR/after.png" $behind_robot)
left_before=$(mean_brightness "$WORK_DIR/before.png" $left_of_path)
left_after=$(mean_brightness "$WORK_DIR/after.png" $left_of_path)
right_after=$(mean_brightness "$WORK_DIR/after.png" $right_of_path)
paint=$(paint_fraction "$WORK_DIR/after.png" $robot)
echo "track $track_before -> $track_after, left of it $left_before -> $left_after," \
    "right of it $right_after, robot paint at the centre $paint"

# The dark tiles behind the robot gave way to the lighter floor, and only there.
at_least "$track_after" "$(awk -v a="$track_before" 'BEGIN { print a + 0.06 }')" ||
    fail "no mown strip behind the robot after driving"
for beside in "$left_after" "$right_after"; do
    at_least "$track_after" "$(awk -v a="$beside" 'BEGIN { print a + 0.06 }')" ||
        fail "the tiles beside the robot's path are mown too"
done
# Beside the path the tiles still stand, as they did around the start.
awk -v a="$left_before" -v b="$left_after" 'BEGIN { d = a - b; exit !(d < 0.05 && d > -0.05) }' ||
    fail "the tiles beside the robot's path changed"
# The camera followed the robot: it is still in the middle of the view.
at_least "$paint" 0.02 || fail "the robot is not in the middle of the view"
echo PASS
