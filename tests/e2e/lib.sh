# Shared helpers for the end-to-end tests. A test script is called as
#   bash test_<name>.sh <path-to-tessel> <source-dir>
# and sources this file. The game runs from a private copy of the assets in a temporary
# folder (tests may break that copy on purpose), against a private Xvfb display, with
# standard input closed and a time limit, so that no run can hang or disturb another.

set -u

TESSEL=$(realpath "$1")
SOURCE_DIR=$(realpath "$2")
WORK_DIR=$(mktemp -d /tmp/tessel-e2e.XXXXXX)
GAME_LOG="$WORK_DIR/game.log"
GAME_PID=""
XVFB_PID=""
WINDOW_ID=""

source "$SOURCE_DIR/tools/xvfb.sh"

# The game reads the player's own settings from $XDG_CONFIG_HOME/tessel/settings.ini (or
# ~/.config/tessel/settings.ini). Every run points both at empty folders of its own, so that a
# developer's own file never changes what a test sees; a test of the player's file sets
# XDG_CONFIG_HOME itself. Caches (Mesa's compiled shaders) stay where they were.
[ -n "${HOME:-}" ] && export XDG_CACHE_HOME=${XDG_CACHE_HOME:-$HOME/.cache}
mkdir -p "$WORK_DIR/home" "$WORK_DIR/config"
export HOME="$WORK_DIR/home" XDG_CONFIG_HOME="$WORK_DIR/config"

# The game plays its sound into OpenAL Soft's null output: the same code runs on a machine with a
# sound card or without one, and no test makes a noise. A test that listens chooses the wave
# writer instead (test_sound.sh).
export ALSOFT_DRIVERS=null

# TESSEL_E2E_KEEP=FOLDER keeps each test's screenshots and game output there, for a look at what
# a test saw.
cleanup() {
    if [ -n "${TESSEL_E2E_KEEP:-}" ]; then
        local keep="$TESSEL_E2E_KEEP/$(basename "$0" .sh)"
        mkdir -p "$keep" && cp "$WORK_DIR"/*.png "$WORK_DIR"/*.log "$keep/" 2>/dev/null
    fi
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then kill "$GAME_PID" 2>/dev/null; fi
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then kill "$XVFB_PID" 2>/dev/null; fi
    rm -rf "$WORK_DIR"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -f "$GAME_LOG" ]; then
        echo "---- game output ----"
        cat "$GAME_LOG"
    fi
    exit 1
}

# Copies the assets folder into the working folder, where the game will run. The copy draws the
# scene at every pixel (render_scale = 1) instead of the shipped automatic scale, which follows
# how fast the machine is: what a test sees must not depend on that.
copy_assets() {
    cp -r "$SOURCE_DIR/assets" "$WORK_DIR/assets"
    sed -i 's/^render_scale = auto$/render_scale = 1/' "$WORK_DIR/assets/settings.ini"
    grep -q '^render_scale = 1$' "$WORK_DIR/assets/settings.ini" || fail "could not pin render_scale"
}

# Starts a private Xvfb for this test and exports DISPLAY; its screen is the size of the game's
# window (800 x 600) unless one is given. The pointer starts in the middle of the screen, so it
# is already where the game centres it when it captures the cursor. (Elsewhere, the jump to the
# centre would reach the game as mouse travel in its first frame, and turn the camera of a game
# paused by then, whose camera flies freely. Xvfb's pointer cannot be moved by xdotool.)
start_xvfb() {
    start_private_xvfb "$WORK_DIR" "${1:-800x600}" || fail "Xvfb did not start"
}

# Starts the game in the background from the working folder, ended after LIMIT seconds (default
# 120) at the latest; its output goes to GAME_LOG.
start_game() {
    local limit=${1:-120}
    (cd "$WORK_DIR" && exec timeout "$limit" "$TESSEL" </dev/null >"$GAME_LOG" 2>&1) &
    GAME_PID=$!
}

# Runs the game in the foreground from the working folder with a time limit; sets GAME_RC.
run_game() {
    local limit=${1:-30}
    (cd "$WORK_DIR" && exec timeout "$limit" "$TESSEL" </dev/null >"$GAME_LOG" 2>&1)
    GAME_RC=$?
}

# Waits for the game's window and sets WINDOW_ID.
wait_for_window() {
    local title=${1:-Tessel 2020}
    WINDOW_ID=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1)
    [ -n "$WINDOW_ID" ] || fail "no window titled '$title'"
    xdotool windowfocus "$WINDOW_ID" 2>/dev/null || true
}

# Holds a key long enough for the game's polling to see it (a bare `xdotool key` can be
# missed between two frames).
hold_key() {
    local key=$1 seconds=${2:-0.5}
    xdotool windowfocus "$WINDOW_ID"
    xdotool keydown --window "$WINDOW_ID" "$key"
    sleep "$seconds"
    xdotool keyup --window "$WINDOW_ID" "$key"
}

# Captures the game window into a PNG file.
screenshot() {
    import -window "$WINDOW_ID" "$1" || fail "screenshot failed"
}

# Fraction (0 to 1) of the pixels of a region WxH+X+Y that are strongly red: the HUD's colour.
red_fraction() {
    convert "$1" -crop "$2" +repage -fx '(r > 0.6 && g < 0.35 && b < 0.35) ? 1 : 0' \
        -format '%[fx:mean]' info:
}

# Fraction of the pixels of a region WxH+X+Y that are near black: the countdown's colour.
near_black_fraction() {
    convert "$1" -crop "$2" +repage -fx '(r < 0.3 && g < 0.3 && b < 0.3) ? 1 : 0' \
        -format '%[fx:mean]' info:
}

# Polls until a condition holds, taking a fresh screenshot into $WORK_DIR/poll.png before each
# try; fails the test with DESCRIPTION if it does not hold within LIMIT seconds. The condition
# is a command that reads the screenshot. Waiting for what a test looks at, rather than for a
# number of seconds, keeps the tests independent of how fast the machine draws.
#   wait_until LIMIT DESCRIPTION COMMAND...
wait_until() {
    local limit=$1 description=$2
    shift 2
    local deadline=$((SECONDS + limit))
    while :; do
        import -window "$WINDOW_ID" "$WORK_DIR/poll.png" 2>/dev/null && "$@" && return 0
        [ "$SECONDS" -ge "$deadline" ] && fail "$description (waited $limit s)"
        kill -0 "$GAME_PID" 2>/dev/null || fail "$description (the game ended)"
        sleep 0.2
    done
}

# The sky at the top of the frame is the white clear colour: the frame loop has drawn (a window
# that has not been drawn into yet is black).
sky_is_white() {
    at_least "$(mean_brightness "$WORK_DIR/poll.png" "${SKY_REGION:-300x30+480+5}")" 0.99
}
wait_for_drawn_frame() {
    wait_until 60 "the game drew no frame" sky_is_white
}

# The HUD's status line reads the red "- PAUSED -" (the countdown is black until its last ten
# seconds).
status_is_paused() {
    at_least "$(red_fraction "$WORK_DIR/poll.png" "${STATUS_REGION:-340x50+5+5}")" 0.03
}
status_is_running() {
    at_least 0.005 "$(red_fraction "$WORK_DIR/poll.png" "${STATUS_REGION:-340x50+5+5}")"
}

# F4 acts on its release, in the frame after it arrives. Sent as soon as the window exists, it
# pauses the game within its first few frames, before the ball has rolled into view from behind
# the camera, so that everything a test then looks at stands still (only the smoke goes on).
# Waits until the HUD says so.
pause_game() {
    xdotool key --window "$WINDOW_ID" F4
    wait_until 60 "the game did not pause" status_is_paused
}
resume_game() {
    xdotool key --window "$WINDOW_ID" F4
    wait_until 60 "the game did not resume" status_is_running
}

# The text of one line of the HUD in a region WxH+X+Y of an image, read by OCR (tesseract),
# enlarged first: the HUD's font is small for it.
read_text() {
    convert "$1" -crop "$2" +repage -resize 200% "$WORK_DIR/ocr.png" &&
        tesseract "$WORK_DIR/ocr.png" - --psm 7 2>/dev/null | tr -d '\f' | head -n 1
}

# A number in the HUD's red in a region WxH+X+Y of an image, read by OCR from its red pixels
# alone (the scene behind it would confuse the reader); empty when none can be read.
read_red_number() {
    convert "$1" -crop "$2" +repage -fx '(r > 0.6 && g < 0.35 && b < 0.35) ? 0 : 1' \
        -resize 300% "$WORK_DIR/ocr.png" &&
        tesseract "$WORK_DIR/ocr.png" - --psm 7 -c tessedit_char_whitelist=0123456789 \
            2>/dev/null | tr -cd '0-9'
}

# Fraction of a region's pixels in the robot's yellow and orange paint (grass has more green
# than red).
paint_fraction() {
    convert "$1" -crop "$2" +repage -fx '(r > 0.6 && b < 0.35 && r > 0.9 * g) ? 1 : 0' \
        -format '%[fx:mean]' info:
}

# Drives off from the start with W and A together, so that the robot leaves the ball's line
# (x = 0) at once: a quarter turn at 135 degrees a second, then straight on towards -x for
# SECONDS (default 3.3), mowing a strip.
drive_off_with_a_quarter_turn() {
    xdotool keydown --window "$WINDOW_ID" w
    xdotool keydown --window "$WINDOW_ID" a
    sleep 0.67
    xdotool keyup --window "$WINDOW_ID" a
    sleep "${1:-3.3}"
    xdotool keyup --window "$WINDOW_ID" w
}

# Mean brightness (0 to 1) of a region WxH+X+Y of an image, or of the whole image.
mean_brightness() {
    local image=$1 region=${2:-}
    if [ -n "$region" ]; then
        convert "$image" -crop "$region" +repage -format '%[fx:mean]' info:
    else
        convert "$image" -format '%[fx:mean]' info:
    fi
}

# Succeeds when the first number is at least the second.
at_least() {
    awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'
}

# Waits for the background game to end and sets GAME_RC.
wait_for_game() {
    wait "$GAME_PID"
    GAME_RC=$?
    GAME_PID=""
}

# Waits until the background game has printed LINE (a whole line), within LIMIT seconds.
wait_for_output_line() {
    local limit=$1 line=$2
    local deadline=$((SECONDS + limit))
    until grep -aqxF -- "$line" "$GAME_LOG" 2>/dev/null; do
        [ "$SECONDS" -ge "$deadline" ] && fail "the game did not print '$line' (waited $limit s)"
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game did not print '$line' (it ended)"
        sleep 0.2
    done
}

expect_output_line() {
    grep -qxF -- "$1" "$GAME_LOG" || fail "expected the line: $1"
}
