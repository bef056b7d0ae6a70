# The game heard: OpenAL Soft's wave writer records what the game plays into a WAV file, with no
# sound hardware, while the robot turns and drives off across the grass. SoX measures the levels,
# never the samples. Four runs:
#   - the default volume: the recording is not silent while the robot drives and mows, and goes
#     silent once the game is paused;
#   - volume = 0 in [audio]: the recording is silent throughout;
#   - M released before the drive: the idle hum before it is heard, the drive after it is not;
#   - no audio device: one line says so, and the game plays on and ends as always.
source "$(dirname "$0")/lib.sh"

command -v sox >/dev/null || fail "sox is not installed"
copy_assets
start_xvfb

# The next run of the game records what it plays into FILE.
record_to() {
    printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$1" >"$WORK_DIR/alsoft.conf"
    export ALSOFT_CONF="$WORK_DIR/alsoft.conf" ALSOFT_DRIVERS=wave
}

# "RMS maximum" of a recording, or of the part of it that the SoX trim arguments select.
levels() {
    local file=$1
    shift
    sox "$file" -n trim "$@" stat 2>&1 | awk '/^RMS +amplitude/ { rms = $3 }
        /^Maximum amplitude/ { max = $3 } END { print rms, max }'
}
# Silent: not a sample above the smallest step of 16 bits. Audible: a tenth of the idle hum's
# level or more.
silent() {  # RMS, maximum
    at_least 0.0001 "$2"
}
audible() {  # RMS, maximum
    at_least "$1" 0.005 && at_least "$2" 0.05
}

start_run() {
    start_game
    wait_for_window
    wait_for_drawn_frame
}

# A quarter turn left with W held, then straight on across fresh grass for two seconds.
drive_and_mow() {
    drive_off_with_a_quarter_turn 2
}

quit_run() {  # name of the run, for the log kept beside the recording
    hold_key Escape 0.3
    wait_for_game
    cp "$GAME_LOG" "$WORK_DIR/$1.log"
    [ "$GAME_RC" -eq 0 ] || fail "$1: exit code $GAME_RC after Escape, expected 0"
    grep -aqE "ERROR: AddressSanitizer|runtime error:" "$GAME_LOG" && fail "$1: sanitizer report"
    grep -aq "^ERROR" "$GAME_LOG" && fail "$1: an error was printed"
    return 0
}

# ---- The default volume: heard while driving and mowing, silent while paused.
record_to "$WORK_DIR/played.wav"
start_run
drive_and_mow
pause_game
# Three seconds and a half of the paused game, the last two of which are measured: by then the
# engine has faded out (0.4 s of frame time, a few frames however slow) and every other sound
# stands.
sleep 3.5
quit_run played
[ -s "$WORK_DIR/played.wav" ] || fail "nothing was recorded"
length=$(soxi -D "$WORK_DIR/played.wav")
# Everything but the last four seconds: the game playing, the robot driving and mowing.
before_pause="=$(awk -v total="$length" 'BEGIN { print total - 4 }')"
read -r played_rms played_max <<<"$(levels "$WORK_DIR/played.wav" 0 "$before_pause")"
read -r paused_rms paused_max <<<"$(levels "$WORK_DIR/played.wav" -2)"
echo "played: $length s; while driving and mowing RMS $played_rms max $played_max;" \
    "paused RMS $paused_rms max $paused_max"
audible "$played_rms" "$played_max" ||
    fail "the drive was not heard (RMS $played_rms, max $played_max)"
silent "$paused_rms" "$paused_max" ||
    fail "the paused game was heard (RMS $paused_rms, max $paused_max)"

# ---- volume = 0: silent throughout.
cp "$SOURCE_DIR/assets/settings.ini" "$WORK_DIR/settings.ini"
sed -i 's/^volume = .*/volume = 0/' "$WORK_DIR/assets/settings.ini"
grep -qx "volume = 0" "$WORK_DIR/assets/settings.ini" || fail "no volume line in settings.ini"
record_to "$WORK_DIR/volume0.wav"
start_run
drive_and_mow
quit_run volume0
cp "$WORK_DIR/settings.ini" "$WORK_DIR/assets/settings.ini"
read -r quiet_rms quiet_max <<<"$(levels "$WORK_DIR/volume0.wav" 0)"
echo "volume = 0: $(soxi -D "$WORK_DIR/volume0.wav") s, RMS $quiet_rms max $quiet_max"
silent "$quiet_rms" "$quiet_max" || fail "volume = 0 was heard (RMS $quiet_rms, max $quiet_max)"

# ---- M: the idle hum until the game says it is muted, then nothing, drive and mowing included.
record_to "$WORK_DIR/muted.wav"
start_run
xdotool key --window "$WINDOW_ID" m
wait_for_output_line 60 "Sound: muted"
drive_and_mow
quit_run muted
read -r whole_rms whole_max <<<"$(levels "$WORK_DIR/muted.wav" 0)"
read -r after_rms after_max <<<"$(levels "$WORK_DIR/muted.wav" -2)"
echo "after M: $(soxi -D "$WORK_DIR/muted.wav") s, all of it RMS $whole_rms max $whole_max;" \
    "the last 2 s (driving) RMS $after_rms max $after_max"
at_least "$whole_max" 0.05 || fail "nothing was heard before M (max $whole_max)"
silent "$after_rms" "$after_max" ||
    fail "the drive after M was heard (RMS $after_rms, max $after_max)"

# ---- No audio device: one line, and the game as it always was.
export ALSOFT_DRIVERS=none-such
unset ALSOFT_CONF
start_run
drive_and_mow
quit_run no-device
lines=$(grep -a "^Sound" "$WORK_DIR/no-device.log")
[ "$lines" = "Sound: no audio device, playing without sound" ] ||
    fail "without a device the game said: $lines"
echo PASS
