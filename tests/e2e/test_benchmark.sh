# The frame benchmark runs the game's start-up and a handful of frames of each run, prints every
# section of its report and ends cleanly. Only that it runs is checked, never how fast.
source "$(dirname "$0")/lib.sh"

BENCH="$(dirname "$TESSEL")/tools/bench/tessel_bench"
[ -x "$BENCH" ] || fail "no benchmark binary at $BENCH"

copy_assets
start_xvfb
(cd "$WORK_DIR" && exec timeout 120 "$BENCH" --frames 5 --physics-steps 20 </dev/null \
    >"$GAME_LOG" 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "benchmark exit code $rc"

for heading in "==== Tessel frame benchmark ====" "Start-up" "Game frame (as the game runs it)" \
    "Time per phase in ms (glFinish after every phase)" \
    "Floor (same window, post-processing pass and HUD, no scene)" \
    "Bare window (cleared and swapped, nothing drawn)" \
    "Paired blocks (game, floor and bare window in turn)"; do
    expect_output_line "$heading"
done
for row in "frames per second (median)" "frame time 99th percentile" "to the first frame shown" \
    "physics step" "grass fields" "post-processing pass" "swap and events" "whole frame" \
    "game / floor, median frame time" "step + robot move + triggers, p99" \
    "game / floor, median of the blocks" "floor / bare, median of the blocks" \
    "platform: bare window" "fixed passes: floor - bare window" "scene: game - floor"; do
    grep -qF -- "  $row" "$GAME_LOG" || fail "no row '$row'"
done
grep -q "^  blocks  *1 of each kind, up to 10 frames each$" "$GAME_LOG" || fail "not one block of 5"
grep -q "^Physics alone (20 steps of 1/60 s, 2288 grass tiles at the start)$" "$GAME_LOG" ||
    fail "physics run without all 2288 tiles"

# A bad argument is refused with a message and exit code 2 before any window opens.
(cd "$WORK_DIR" && timeout 30 "$BENCH" --frames many </dev/null >"$WORK_DIR/bad.log" 2>&1)
rc=$?
[ "$rc" -eq 2 ] || fail "bad argument gave exit code $rc, expected 2"
grep -q "^tessel_bench: --frames wants a whole number" "$WORK_DIR/bad.log" ||
    fail "no message for a bad argument"
echo PASS
