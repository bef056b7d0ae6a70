# Frame pacing the player chooses. With max_fps = 5 the frame number grows by no more than five
# a second (plus one), and the game sleeps between frames rather than spinning: it uses far less
# processor time than the same game uncapped. Both runs keep the shipped vsync = true, which
# must start and play under Xvfb too.
source "$(dirname "$0")/lib.sh"

frame_number=90x25+5+270  # the frame number at the bottom left of a 400 x 300 window
measure_seconds=5

# Reads the frame number in the HUD by OCR into FRAME, and the time of the screenshot it came
# from into FRAME_TIME. OCR cannot read every number (a lone 9 defeats it), so a failed reading
# is taken again for a moment while the frames go on; FRAME stays empty when none was read.
read_frame_number() {
    FRAME="" FRAME_TIME=""
    for _ in 1 2 3 4 5 6; do
        FRAME_TIME=$(date +%s.%N)
        import -window "$WINDOW_ID" -crop $frame_number +repage "$WORK_DIR/frame.png" 2>/dev/null
        FRAME=$(read_red_number "$WORK_DIR/frame.png" 100%x100%+0+0)
        [ -n "$FRAME" ] && return 0
        sleep 0.1
    done
    return 1
}
# Processor time (clock ticks, every thread) the game's process has used so far.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# Runs the game with the given max_fps and sets FRAMES, SECONDS_MEASURED and CPU_SHARE.
measure() {
    sed -i "s/^max_fps = .*/max_fps = $1/" "$WORK_DIR/assets/settings.ini"
    start_game
    wait_for_window
    wait_for_drawn_frame
    local game
    game=$(pgrep -P "$GAME_PID" | head -n 1)
    [ -n "$game" ] || fail "no game process"
    local first last start end ticks_start ticks_end
    wait_until 30 "no frame number readable" read_frame_number
    read_frame_number || fail "the frame number could not be read at the start"
    first=$FRAME start=$FRAME_TIME
    ticks_start=$(cpu_ticks "$game")
    sleep $measure_seconds
    ticks_end=$(cpu_ticks "$game")
    read_frame_number || fail "the frame number could not be read at the end"
    last=$FRAME end=$FRAME_TIME
    hold_key Escape 0.3
    wait_for_game
    [ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
    FRAMES=$((last - first))
    SECONDS_MEASURED=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    CPU_SHARE=$(awk -v t="$((ticks_end - ticks_start))" -v hz="$(getconf CLK_TCK)" \
        -v s="$measure_seconds" 'BEGIN { print t / hz / s }')
}

copy_assets
sed -i 's/^width = .*/width = 400/; s/^height = .*/height = 300/' "$WORK_DIR/assets/settings.ini"
grep -q '^vsync = true' "$WORK_DIR/assets/settings.ini" || fail "the shipped settings lost vsync"
start_xvfb 400x300
SKY_REGION=50x12+340+4

measure 5
capped_frames=$FRAMES capped_seconds=$SECONDS_MEASURED capped_cpu=$CPU_SHARE
measure 0
free_frames=$FRAMES free_seconds=$SECONDS_MEASURED free_cpu=$CPU_SHARE
echo "max_fps = 5: $capped_frames frames in $capped_seconds s, processor $capped_cpu s a second;" \
    "no cap: $free_frames frames in $free_seconds s, processor $free_cpu s a second"

# A frame shown at each end of the measure may be up to one frame interval old, and with the
# processor busy a screenshot may be taken a few tenths of a second after its time stamp. An
# uncapped game draws several times as many frames.
awk -v f="$capped_frames" -v s="$capped_seconds" 'BEGIN { exit !(f <= 5 * (s + 0.5) + 1) }' ||
    fail "max_fps = 5 drew $capped_frames frames in $capped_seconds s"
[ "$capped_frames" -gt 0 ] || fail "max_fps = 5 drew no frame at all"
# Between its frames the capped game sleeps: the processor time it uses beyond what its frames
# cost (at the uncapped game's cost per frame) is small, where a spinning wait would use a
# whole core. Where the uncapped game draws at least twice as many frames, the capped one
# also uses far less processor time.
idle_cpu=$(awk -v c="$capped_cpu" -v cf="$capped_frames" -v cs="$capped_seconds" \
    -v f="$free_cpu" -v ff="$free_frames" -v fs="$free_seconds" \
    'BEGIN { print c - (cf / cs) * (f / (ff / fs)) }')
echo "processor time a second beyond the capped game's frames: $idle_cpu s"
at_least 0.3 "$idle_cpu" || fail "the capped game spins: $idle_cpu s of processor a second between frames"
if awk -v ff="$free_frames" -v fs="$free_seconds" 'BEGIN { exit !(ff / fs >= 10) }'; then
    awk -v c="$capped_cpu" -v f="$free_cpu" 'BEGIN { exit !(c < 0.6 * f) }' ||
        fail "capped at 5 frames a second the game used $capped_cpu s of processor a second," \
            "uncapped $free_cpu"
fi
echo PASS
