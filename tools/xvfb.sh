# Sourced by the scripts that need a display. start_private_xvfb FOLDER [WIDTHxHEIGHT] starts
# Xvfb with one screen of that size (default 1024x768) on a display number it picks itself
# (-displayfd, so parallel runs never clash), exports DISPLAY and sets XVFB_PID; the caller kills
# XVFB_PID when done. Returns non-zero if Xvfb does not start.
start_private_xvfb() {
    local fifo="$1/displayfd"
    local screen=${2:-1024x768}
    mkfifo "$fifo" || return 1
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local number
    read -r -t 30 number <"$fifo" || return 1
    export DISPLAY=":$number"
}
