# Driving and mowing in the real game: holding W drives the robot forwards, the camera follows
# it, and the tiles it drove through are gone, so that the floor shows in a strip behind it
# while the tiles beside its path still stand.
source "$(dirname "$0")/lib.sh"

behind_robot=120x120+340+460  # bottom centre: the robot's track, seen from behind
beside_path=120x120+40+460    # bottom left: tiles the robot never touched
horizon=800x100+0+150         # grass and wall ahead; the wall draws closer as the robot drives

copy_assets
start_xvfb
start_game
wait_for_window
sleep 3
screenshot "$WORK_DIR/before.png"

hold_key w 5
sleep 1
screenshot "$WORK_DIR/after.png"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

track_before=$(mean_brightness "$WORK_DIR/before.png" $behind_robot)
track_after=$(mean_brightness "$WORK_DIR/after.png" $behind_robot)
side_before=$(mean_brightness "$WORK_DIR/before.png" $beside_path)
side_after=$(mean_brightness "$WORK_DIR/after.png" $beside_path)
horizon_before=$(mean_brightness "$WORK_DIR/before.png" $horizon)
horizon_after=$(mean_brightness "$WORK_DIR/after.png" $horizon)
echo "track $track_before -> $track_after, beside $side_before -> $side_after," \
    "horizon $horizon_before -> $horizon_after"

# The dark tiles behind the robot gave way to the lighter floor.
at_least "$track_after" "$(awk -v a="$track_before" 'BEGIN { print a + 0.06 }')" ||
    fail "no mown strip behind the robot after holding W"
# Beside the path the tiles still stand.
awk -v a="$side_before" -v b="$side_after" 'BEGIN { d = a - b; exit !(d < 0.05 && d > -0.05) }' ||
    fail "the tiles beside the robot's path changed"
# The camera followed the robot towards the wall.
awk -v a="$horizon_before" -v b="$horizon_after" 'BEGIN { d = a - b; exit !(d > 0.03 || d < -0.03) }' ||
    fail "the view did not follow the robot"
echo PASS
