# The sound outlives its device. The game plays through a PulseAudio server of the test's own
# (OpenAL Soft's pulse output, a null sink), which stops in the middle of a round: the game says
# so and plays on. Started again, the game says so and is heard again. parec records the null
# sink's monitor, SoX measures it; Escape ends the game with exit code 0.
source "$(dirname "$0")/lib.sh"

for tool in pulseaudio pactl parec sox; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done
copy_assets
start_xvfb

# Everything of the server's in the scratch folder: no other test or user server meets it.
export HOME="$WORK_DIR" PULSE_RUNTIME_PATH="$WORK_DIR" XDG_RUNTIME_DIR="$WORK_DIR"
export PULSE_SERVER="unix:$WORK_DIR/native" ALSOFT_DRIVERS=pulse
PULSE_PID=""
stop_server() {
    [ -n "$PULSE_PID" ] && kill "$PULSE_PID" 2>/dev/null && wait "$PULSE_PID" 2>/dev/null
    PULSE_PID=""
}
trap 'stop_server; cleanup' EXIT
# No default script (-n): a null sink and the socket alone. As root it warns, and plays.
start_server() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
        --disable-shm=yes --load=module-null-sink --load=module-native-protocol-unix \
        </dev/null >>"$WORK_DIR/pulse.log" 2>&1 &
    PULSE_PID=$!
    local _
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0 || sleep 0.1; done
    fail "the sound server did not start: $(cat "$WORK_DIR/pulse.log")"
}
# Two seconds of the null sink's monitor are heard: a tenth of the engine's idle hum or more.
heard() {
    timeout 2 parec -d null.monitor --raw --format=s16le --rate=44100 --channels=2 >"$WORK_DIR/$1"
    read -r rms max <<<"$(sox -t raw -e signed -b 16 -r 44100 -c 2 "$WORK_DIR/$1" -n stat 2>&1 |
        awk '/^RMS +amplitude/ { r = $3 } /^Maximum amplitude/ { m = $3 } END { print r, m }')"
    echo "$1: RMS $rms max $max"
    at_least "$rms" 0.005 && at_least "$max" 0.05
}
frame_number() {
    import -window "$WINDOW_ID" -crop 90x25+5+570 +repage "$WORK_DIR/$1.png" 2>/dev/null
}
lost="Sound: the audio device is gone, playing without sound until it is back"
back="Sound: the audio device is back"

start_server
start_game
wait_for_window
wait_for_drawn_frame
heard before.raw || fail "the game was not heard through the server"

stop_server
wait_for_output_line 30 "$lost"
frame_number lost_at
drive_off_with_a_quarter_turn 1
frame_number lost_later
compare -metric AE "$WORK_DIR/lost_at.png" "$WORK_DIR/lost_later.png" null: 2>/dev/null &&
    fail "without its sound server the game stopped drawing"

start_server
wait_for_output_line 30 "$back"
heard after.raw || fail "the game was not heard again"

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
[ "$(grep -acxF -e "$lost" -e "$back" "$GAME_LOG")" -eq 2 ] || fail "the lines came more than once"
echo PASS
