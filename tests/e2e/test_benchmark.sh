# The frame benchmark runs the game's start-up and a handful of frames of each run, prints every
# section of its report and ends cleanly; a short picture run writes an image of the window's
# size that compares equal to itself. Only that it runs is checked, never how fast.
source "$(dirname "$0")/lib.sh"

BENCH="$(dirname "$TESSEL")/tools/bench/tessel_bench"
COMPARE="$(dirname "$TESSEL")/tools/bench/tessel_compare_pictures"
[ -x "$BENCH" ] || fail "no benchmark binary at $BENCH"
[ -x "$COMPARE" ] || fail "no picture comparer at $COMPARE"

copy_assets
start_xvfb
# The game's own edge shader stands in for another checkout's.
(cd "$WORK_DIR" && exec timeout 120 "$BENCH" --frames 5 --physics-steps 20 \
    --compare-edge assets/shader </dev/null >"$GAME_LOG" 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "benchmark exit code $rc"

for heading in "==== Tessel frame benchmark ====" "Start-up" "Game frame (as the game runs it)" \
    "Time per phase in ms (glFinish after every phase)" \
    "Floor (same window, post-processing pass and HUD, no scene)" \
    "Bare window (cleared and swapped, nothing drawn)" \
    "Paired blocks (game, floor and bare window in turn)" \
    "Draw calls per game frame (median over the frames of the phase table)" \
    "Fragments per game frame in thousands (median over the 5 frames after the phase table)" \
    "Edge shader against assets/shader (5 frames each, in turn, glFinish after every phase)"; do
    expect_output_line "$heading"
done
for row in "frames per second (median)" "frame time 99th percentile" "to the first frame shown" \
    "physics step" "grass fields" "post-processing pass" "sound" "swap and events" "whole frame" \
    "game / floor, median frame time" "step + robot move + triggers, p99" \
    "game / floor, wall time" "game / floor, processor time" "floor / bare, wall time" \
    "floor / bare, processor time" "platform: bare window" "fixed passes: floor - bare window" \
    "scene: game - floor" "processor time per frame, game" "processor time per frame, bare" \
    "post-processing pass, this build" "post-processing pass, the other" \
    "this build / the other, per frame pair"; do
    grep -qF -- "  $row" "$GAME_LOG" || fail "no row '$row'"
done
grep -q "^  blocks  *1 of each kind, up to 10 frames each$" "$GAME_LOG" || fail "not one block of 5"
# Draw calls are counted, not timed: the grass fields and the smoke take one each, so the scene
# stays within a few dozen however much grass stands.
scene_draws=$(awk '/^Draw calls per game frame/ { on = 1 } on && /^  scene / { print $(NF - 2); exit }' \
    "$GAME_LOG")
[ -n "$scene_draws" ] || fail "no scene draw calls"
[ "$scene_draws" -ge 1 ] && [ "$scene_draws" -le 20 ] ||
    fail "$scene_draws scene draw calls per frame, expected 1 to 20"
# All the HUD's text goes into one draw.
grep -q "^  HUD  *1 (most 1)$" "$GAME_LOG" || fail "not one HUD draw call"
grep -q "^  smoke  *[0-9-][0-9.]*  *[0-9][0-9.]*$" "$GAME_LOG" || fail "no smoke fragments"
grep -q "^Physics alone (20 steps of 1/60 s, 2288 grass tiles at the start)$" "$GAME_LOG" ||
    fail "physics run without all 2288 tiles"

# A picture of three frames: a binary PPM of the 800 x 600 window, equal to itself.
picture="$WORK_DIR/picture.ppm"
(cd "$WORK_DIR" && exec timeout 120 "$BENCH" --frames 3 --picture "$picture" </dev/null \
    >"$GAME_LOG" 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "picture run exit code $rc"
[ -f "$picture" ] || fail "no picture written"
[ "$(head -c 15 "$picture")" = "$(printf 'P6\n800 600\n255\n')" ] || fail "not an 800 x 600 PPM"
[ "$(stat -c %s "$picture")" -eq $((15 + 800 * 600 * 3)) ] || fail "picture of the wrong length"
grep -qF "  written to" "$GAME_LOG" || fail "the picture run did not say where it wrote"
"$COMPARE" "$picture" "$picture" >"$WORK_DIR/compare.log" 2>&1 || fail "picture differs from itself"
grep -q "^  largest channel difference  *0 of 255$" "$WORK_DIR/compare.log" ||
    fail "no largest difference of 0 against itself"

# Bad arguments are refused with a message and exit code 2 before any window opens.
(cd "$WORK_DIR" && timeout 30 "$BENCH" --frames many </dev/null >"$WORK_DIR/bad.log" 2>&1)
rc=$?
[ "$rc" -eq 2 ] || fail "bad argument gave exit code $rc, expected 2"
grep -q "^tessel_bench: --frames wants a whole number" "$WORK_DIR/bad.log" ||
    fail "no message for a bad argument"
(cd "$WORK_DIR" && DISPLAY= timeout 30 "$BENCH" --compare-edge "$WORK_DIR/nowhere" </dev/null \
    >"$WORK_DIR/bad.log" 2>&1)
rc=$?
[ "$rc" -eq 2 ] || fail "a missing edge shader folder gave exit code $rc, expected 2"
grep -qF "tessel_bench: cannot read $WORK_DIR/nowhere/edge.vert" "$WORK_DIR/bad.log" ||
    fail "no message for a missing edge shader folder"
"$COMPARE" "$picture" "$WORK_DIR/missing.ppm" >"$WORK_DIR/bad.log" 2>&1
rc=$?
[ "$rc" -eq 2 ] || fail "comparing with a missing picture gave exit code $rc, expected 2"
echo PASS
