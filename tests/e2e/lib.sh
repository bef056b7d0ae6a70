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

cleanup() {
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

# Copies the assets folder into the working folder, where the game will run.
copy_assets() {
    cp -r "$SOURCE_DIR/assets" "$WORK_DIR/assets"
}

# Starts a private Xvfb for this test and exports DISPLAY.
start_xvfb() {
    start_private_xvfb "$WORK_DIR" || fail "Xvfb did not start"
}

# Starts the game in the background from the working folder; its output goes to GAME_LOG.
start_game() {
    (cd "$WORK_DIR" && exec timeout 120 "$TESSEL" </dev/null >"$GAME_LOG" 2>&1) &
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

expect_output_line() {
    grep -qxF -- "$1" "$GAME_LOG" || fail "expected the line: $1"
}
