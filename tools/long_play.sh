#!/usr/bin/env bash
# A long scripted play of the real game, kept out of the default test command because it takes
# ten minutes. It runs the Release binary under a private Xvfb display, drives the robot round
# the arena with W, A, S and D (toggling wireframe, culling and pause now and then), samples the
# game's resident memory (VmRSS in /proc/<pid>/status) every 30 seconds, then quits with Escape.
# It fails when the resident memory at the end is more than 8 MiB above the one at one minute,
# when any OpenGL debug message ("OpenGL Error: ...") was printed, or when the exit code after
# Escape is not 0. From the repository root, after building:
#   bash tools/long_play.sh [path-to-tessel] [output-folder]
# The defaults are build/tessel and /tmp/tessel-long-play; the output folder receives the
# game's console output (game.log), the memory samples (memory.txt) and screenshots of the
# window at one minute and at the end (their bottom-left corner shows the frame number).
# LONG_PLAY_SECONDS shortens or lengthens the play (default 600, at least 90).
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
tessel=${1:-$root/build/tessel}
output=${2:-/tmp/tessel-long-play}
play_seconds=${LONG_PLAY_SECONDS:-600}
allowed_growth_kib=8192
[ -x "$tessel" ] || { echo "no game binary at $tessel (build it first)"; exit 1; }
[ "$play_seconds" -ge 90 ] || { echo "LONG_PLAY_SECONDS must be at least 90"; exit 1; }
mkdir -p "$output"

# The end-to-end helpers: a private display, the game in a scratch folder, key presses.
set -- "$tessel" "$root"
source "$root/tests/e2e/lib.sh"

driver_pid=""
stop_driver() {
    if [ -n "$driver_pid" ] && kill -0 "$driver_pid" 2>/dev/null; then kill "$driver_pid"; fi
    driver_pid=""
}
trap 'stop_driver; cleanup' EXIT

resident_kib() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null
}

# One lap of driving, about 15 seconds: forwards, turns both ways, braking and reversing, and
# the drawing toggles switched on and back off so every path of the frame runs for a while.
drive_lap() {
    hold_key w 1.5
    hold_key a 0.8
    sleep 2
    hold_key d 1.2
    sleep 1
    hold_key s 2.5
    hold_key a 0.6
    sleep 1
    hold_key w 1.0
    xdotool key --window "$WINDOW_ID" F1
    sleep 1
    xdotool key --window "$WINDOW_ID" F1
    xdotool key --window "$WINDOW_ID" F2
    sleep 1
    xdotool key --window "$WINDOW_ID" F2
    xdotool key --window "$WINDOW_ID" F4
    hold_key w 0.5
    xdotool key --window "$WINDOW_ID" F4
    hold_key s 1.0
}

copy_assets
start_xvfb
# The game itself, not a wrapper, so that its own /proc entry is sampled.
(cd "$WORK_DIR" && exec "$TESSEL" </dev/null >"$GAME_LOG" 2>&1) &
GAME_PID=$!
wait_for_window
started=$(date +%s)

(while true; do drive_lap; done) >/dev/null 2>&1 &
driver_pid=$!

: >"$output/memory.txt"
rss_one_minute=""
rss_end=""
next_sample=30
while true; do
    elapsed=$(($(date +%s) - started))
    kill -0 "$GAME_PID" 2>/dev/null || { stop_driver; fail "the game ended after ${elapsed} s"; }
    if [ "$elapsed" -ge "$next_sample" ]; then
        rss=$(resident_kib)
        echo "$elapsed s: $rss KiB" | tee -a "$output/memory.txt"
        if [ -z "$rss_one_minute" ] && [ "$elapsed" -ge 60 ]; then
            rss_one_minute=$rss
            screenshot "$output/one_minute.png"
        fi
        next_sample=$((next_sample + 30))
    fi
    if [ "$elapsed" -ge "$play_seconds" ]; then
        rss_end=$(resident_kib)
        break
    fi
    sleep 1
done

stop_driver
# The driver may have been stopped with a key still held down.
for key in w a s d; do xdotool keyup --window "$WINDOW_ID" "$key"; done
sleep 1
screenshot "$output/end.png"
hold_key Escape 0.3
for _ in $(seq 1 60); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 1; done
if kill -0 "$GAME_PID" 2>/dev/null; then fail "the game did not end within 60 s of Escape"; fi
wait_for_game
cp "$GAME_LOG" "$output/game.log"

gl_messages=$(grep -ac "^OpenGL Error:" "$GAME_LOG")
all_lines=$(wc -l <"$GAME_LOG")
growth=$((rss_end - rss_one_minute))
echo "played ${play_seconds} s; exit code $GAME_RC"
echo "resident memory: $rss_one_minute KiB at one minute, $rss_end KiB at the end" \
    "(growth $growth KiB)"
echo "console: $all_lines lines, $gl_messages OpenGL debug messages"
echo "screenshots: $output/one_minute.png, $output/end.png (frame number at the bottom left)"

status=0
[ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC after Escape, expected 0"; status=1; }
[ "$gl_messages" -eq 0 ] || { echo "FAIL: OpenGL debug messages were printed"; status=1; }
[ "$growth" -le "$allowed_growth_kib" ] ||
    { echo "FAIL: resident memory grew by $growth KiB after the first minute"; status=1; }
[ "$status" -eq 0 ] && echo PASS
exit "$status"
