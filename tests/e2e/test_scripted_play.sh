# Start-up and well over 600 frames of scripted play (driving, turning, reversing, the drawing
# toggles and pause), then Escape: exit code 0, no OpenGL debug message, and in the sanitized
# build no AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer report. The game
# prints nothing per frame, so the play lasts long enough for 600 frames at the slowest rate
# seen: about 30 frames a second in Release and 16 under the sanitizers on software rendering.
source "$(dirname "$0")/lib.sh"

play_seconds=25
if ldd "$TESSEL" | grep -q libasan; then play_seconds=75; fi

copy_assets
start_xvfb
start_game
wait_for_window
started=$(date +%s)
while [ $(($(date +%s) - started)) -lt "$play_seconds" ]; do
    hold_key w 1.0
    hold_key a 0.6
    hold_key d 0.6
    hold_key s 1.2
    xdotool key --window "$WINDOW_ID" F1
    sleep 0.5
    xdotool key --window "$WINDOW_ID" F1 F2
    sleep 0.5
    xdotool key --window "$WINDOW_ID" F2 F4
    hold_key w 0.5
    xdotool key --window "$WINDOW_ID" F4
    kill -0 "$GAME_PID" 2>/dev/null || break
done
hold_key Escape 0.3
wait_for_game

grep -aE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" "$GAME_LOG" &&
    fail "sanitizer report"
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
grep -aq "^OpenGL Error:" "$GAME_LOG" && fail "OpenGL debug messages were printed"
echo "PASS ($play_seconds s of play)"
