# Full screen on a screen of another shape than the 800 x 600 window (1920 x 1080, 16:9): F11
# draws the scene for the screen's own size with the same vertical field of view, so the ball
# stays round, and scales the HUD by one factor, the screen's height over 600, each text anchored
# where it stands in the window. F11 again gives back the 800 x 600 window in the middle of the
# screen, its HUD as at the start. TESSEL_E2E_SCREEN=2560x1080 (or 1280x1024) picks another
# screen; TESSEL_E2E_FULLSCREEN_AT_START=1 starts full screen (fullscreen = true, which Xvfb
# cannot switch to 800 x 600) and measures the window after F11 instead of before it.
source "$(dirname "$0")/lib.sh"

screen=${TESSEL_E2E_SCREEN:-1920x1080}
screen_width=${screen%x*} screen_height=${screen#*x}
at_start=${TESSEL_E2E_FULLSCREEN_AT_START:-0}
scale=$(awk -v h="$screen_height" 'BEGIN { print h / 600 }')
status_region=340x50+5+5    # "- PAUSED -" at the window's top left
speed_region=300x60+495+535 # the speed read-out at its bottom right

# A region WxH+X+Y of the window grown to full screen from its top-left corner, or from the
# bottom-right one with "right".
scaled() {
    awk -v s="$scale" -v W="$screen_width" -v H="$screen_height" -v right="${2:-}" '{
        split($0, g, /[x+]/); x = int(g[3] * s); y = int(g[4] * s)
        if (right) { x = W - int((800 - g[3]) * s); y = H - int((600 - g[4]) * s) }
        print int(g[1] * s) "x" int(g[2] * s) "+" x "+" y }' <<<"$1"
}

# "W H X Y" of the bounding box of the HUD's red ink in a region WxH+X+Y of an image: red at
# least half above both other channels, the same share of a letter's antialiased rim at any size.
red_box() {
    convert "$1" -crop "$2" +repage -channel RGB -separate +channel \
        \( -clone 1,2 -compose lighten -composite \) -delete 1,2 -compose minus_src -composite \
        -threshold 50% -format '%@' info: 2>/dev/null |
        awk -v region="$2" '{ split($0, b, /[x+]/); split(region, r, /[x+]/)
            if (b[1] > 0) print b[1], b[2], b[3] + r[3], b[4] + r[4] }'
}

# The largest blob of the ball's magenta (red and blue above green, however dark its shaded
# side): "W H X Y CX CY AREA" of its bounding box, centroid and pixel count.
ball_blob() {
    convert "$1" -channel RGB -separate +channel \( -clone 0,2 -compose darken -composite \) \
        -delete 0,2 +swap -compose minus_src -composite -threshold 8% \
        -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
        awk '/gray\(255\)|white/ && $4 > best { best = $4; split($2, b, /[x+]/); split($3, c, ",")
            line = b[1] " " b[2] " " b[3] " " b[4] " " c[1] " " c[2] " " $4 } END { print line }'
}

# Whether the latest screenshot shows the whole ball: 80 pixels across or more (a pixel is 1.3%
# of that), off the edges, its pixels pi/4 of its box and centred in it (the robot or an edge
# cutting a piece off breaks both). Sets BALL to its width/height, the one expected where it
# stands, and a description. A sphere seen at an angle t off the view's axis, its rim at an angle
# a from its centre, projects to an ellipse cos a / sqrt(cos^2 t - sin^2 a) (about 1 / cos t)
# times as long along the line from the picture's centre as across it: tan t is the distance
# from the centre over the focal length f = (height / 2) / tan(fov / 2), and the short half-axis
# b gives sin^2 a = b^2 cos^2 t / (f^2 + b^2). (The 4:3 picture stretched to 16:9 measured 1.33
# times that.)
ball_whole() {
    BALL=$(ball_blob "$WORK_DIR/poll.png" | awk -v W="$screen_width" -v H="$screen_height" \
        -v fov="$fov" 'NF == 7 { w = $1; h = $2; cx = $3 + w / 2 - W / 2; cy = $4 + h / 2 - H / 2
        if (w < 80 || h < 80 || $3 < 1 || $4 < 1 || $3 + w >= W || $4 + h >= H) exit 1
        fill = $7 / (w * h)
        if (fill < 0.76 || fill > 0.81) exit 1
        offX = $5 - $3 - (w - 1) / 2; offY = $6 - $4 - (h - 1) / 2
        if (offX ^ 2 > (0.02 * w) ^ 2 || offY ^ 2 > (0.02 * h) ^ 2) exit 1
        f = H / 2 * cos(fov * 3.14159265 / 360) / sin(fov * 3.14159265 / 360)
        r2 = cx * cx + cy * cy; cos2 = 1 / (1 + r2 / (f * f)); b = (w < h ? w : h) / 2
        sin2 = b * b * cos2 / (f * f + b * b); k2 = (1 - sin2) / (cos2 - sin2)
        ratio = r2 < 1 ? 1 : sqrt((k2 * cx * cx + cy * cy) / (k2 * cy * cy + cx * cx))
        printf "%.4f %.4f %dx%d at (%+d, %+d) from the centre, fill %.3f\n",
            w / h, ratio, w, h, cx, cy, fill
        found = 1 } END { exit !found }')
}

# Width x height + x + y of the game's window.
geometry_is() {
    [ "$(xwininfo -id "$WINDOW_ID" | awk '/Absolute upper-left X/ { x = $4 }
        /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print w "x" h "+" x "+" y }')" = "$1" ]
}

# Sets STATUS and SPEED to the boxes of the status line and the speed read-out in a new
# screenshot NAME.png.
measure_hud() { # status-region speed-region name
    screenshot "$WORK_DIR/$3.png"
    STATUS=$(red_box "$WORK_DIR/$3.png" "$1") SPEED=$(red_box "$WORK_DIR/$3.png" "$2")
    [ -n "$STATUS" ] && [ -n "$SPEED" ] || fail "no red status line or speed read-out ($3)"
    echo "$3: status $STATUS, speed $SPEED (W H X Y)"
}

# Fails unless a text's box in full screen is its box in the window grown by the scale: the same
# width/height within 3%, the height within 5%, and as far from the corner it is anchored at
# (top left, or bottom right with "right") as the scale times in the window, within two window
# pixels.
check_text() { # name window-box full-box [right]
    local report verdict
    report=$(awk -v s="$scale" -v W="$screen_width" -v H="$screen_height" -v right="${4:-}" \
        -v window="$2" -v full="$3" 'BEGIN { split(window, a, " "); split(full, b, " ")
        shape = (b[1] / b[2]) / (a[1] / a[2]) - 1; grow = b[2] / (a[2] * s) - 1
        dx = b[3] - s * a[3]; dy = b[4] - s * a[4]
        if (right) {
            dx = W - b[3] - b[1] - s * (800 - a[3] - a[1])
            dy = H - b[4] - b[2] - s * (600 - a[4] - a[2])
        }
        printf "width/height %.3f in the window, %.3f full (%+.1f%%); height %.3f times " \
            "(scale %.3f); corner off by (%+.1f, %+.1f) px\n",
            a[1] / a[2], b[1] / b[2], 100 * shape, b[2] / a[2], s, dx, dy
        exit !(shape ^ 2 <= 0.03 ^ 2 && grow ^ 2 <= 0.05 ^ 2 && dx ^ 2 <= 4 * s * s &&
            dy ^ 2 <= 4 * s * s) }')
    verdict=$?
    echo "$1: $report"
    [ $verdict -eq 0 ] || fail "the $1 in full screen is not the window's grown $scale times"
}

# The test's own assets: the scene at full size, a ball of one colour (a 4 x 4 DXT1 texture of
# one block: both colours 5:6:5 magenta, every texel colour 0), and no grass, whose unit-high
# tiles would hide the foot of the ball wherever it rolls (they are drawn beyond the far plane,
# as the shader already does with their hidden sides).
copy_assets
settings="$WORK_DIR/assets/settings.ini"
sed -i 's/^render_scale = .*/render_scale = 1/' "$settings"
[ "$at_start" != 1 ] || sed -i 's/^fullscreen = false$/fullscreen = true/' "$settings"
grep -q '^render_scale = 1$' "$settings" || fail "could not pin the render scale"
fov=$(awk -F= '/^fov *=/ { print $2 + 0 }' "$settings")
{
    # The header's size, its flags, height and width 4, and 8 bytes of data.
    printf 'DDS \x7c\0\0\0\x07\x10\x08\0\x04\0\0\0\x04\0\0\0\x08\0\0\0'
    head -c 52 /dev/zero
    printf '\x20\0\0\0\x04\0\0\0DXT1' # the pixel format: by its four-character code
    head -c 20 /dev/zero
    printf '\0\x10\0\0' # a texture
    head -c 16 /dev/zero
    printf '\x1f\xf8\x1f\xf8\0\0\0\0' # the block
} >"$WORK_DIR/assets/textures/beachball.dds"
grass="$WORK_DIR/assets/shader/grass.vert"
beyond='gl_Position = vec4(0.0, 0.0, 2.0, 1.0);'
sed -i "\$ s/^}\$/    $beyond\n}/" "$grass"
tail -n 2 "$grass" | grep -qF "$beyond" || fail "could not hide the grass"

start_xvfb "$screen"
start_game 280 # a few frames a second at this size
wait_for_window
full_status=$(scaled $status_region) full_speed=$(scaled $speed_region right)
if [ "$at_start" = 1 ]; then
    wait_until 60 "the window is not full screen" geometry_is "$screen+0+0"
    STATUS_REGION=$full_status pause_game
else
    pause_game
    measure_hud $status_region $speed_region window
    window_status=$STATUS window_speed=$SPEED
    xdotool key --window "$WINDOW_ID" F11
    wait_until 60 "F11 did not take the window full screen" geometry_is "$screen+0+0"
    STATUS_REGION=$full_status wait_until 60 "no paused HUD in full screen" status_is_paused
fi
measure_hud "$full_status" "$full_speed" full
full_status_box=$STATUS full_speed_box=$SPEED

# The ball rolls in from behind the camera after some seconds, then about the arena. The first
# picture of it whole decides. Where a slow machine caught it whole in no picture before it rolled
# off into a far corner, R starts a new round, which rolls it in again.
caught_whole_ball() {
    local deadline=$((SECONDS + $1))
    while [ "$SECONDS" -lt "$deadline" ]; do
        import -window "$WINDOW_ID" "$WORK_DIR/poll.png" 2>/dev/null && ball_whole && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while the ball was awaited"
        sleep 0.2
    done
    return 1
}
STATUS_REGION=$full_status resume_game
for round in 1 2 3; do
    caught_whole_ball 60 && break
    [ "$round" -lt 3 ] || fail "the ball was never whole in view in three rounds"
    echo "the ball was not caught whole in round $round; a new round"
    xdotool key --window "$WINDOW_ID" r
done
cp "$WORK_DIR/poll.png" "$WORK_DIR/ball.png"
read -r measured expected description <<<"$BALL"
echo "ball: $description: width/height $measured, expected $expected"
awk -v m="$measured" -v e="$expected" 'BEGIN { exit !((m / e - 1) ^ 2 <= 0.03 ^ 2) }' ||
    fail "the ball is not round: width/height $measured, expected $expected"
at_least "$(near_black_fraction "$WORK_DIR/ball.png" "$full_status")" 0.03 ||
    fail "no countdown at the top left in full screen"
STATUS_REGION=$full_status pause_game

xdotool key --window "$WINDOW_ID" F11
centred=800x600+$(((screen_width - 800) / 2))+$(((screen_height - 600) / 2))
wait_until 60 "F11 again did not give back the window in the middle" geometry_is "$centred"
wait_until 60 "no paused HUD in the window" status_is_paused
measure_hud $status_region $speed_region window-after
if [ "$at_start" = 1 ]; then
    window_status=$STATUS window_speed=$SPEED
else
    # The window's HUD is where it was at the start, to a pixel.
    awk -v a="$window_status $window_speed" -v b="$STATUS $SPEED" 'BEGIN { n = split(a, x, " ")
        split(b, y, " "); for (i = 1; i <= n; i++) if ((x[i] - y[i]) ^ 2 > 1) exit 1 }' ||
        fail "the HUD moved: $STATUS, $SPEED; at the start $window_status, $window_speed"
fi
check_text "status line" "$window_status" "$full_status_box"
check_text "speed read-out" "$window_speed" "$full_speed_box" right

hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"
grep -aq "^ERROR" "$GAME_LOG" && fail "an error was printed"
grep -aq "^OpenGL Error" "$GAME_LOG" && fail "OpenGL reported a problem"
echo PASS
