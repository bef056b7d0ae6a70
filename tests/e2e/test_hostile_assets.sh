# The game with every kind of data file it reads broken at once: unusable settings, a robot
# model of junk bytes, an empty wheel model, a font of junk bytes, a truncated and an empty
# texture, sounds of junk bytes, empty, cut short and missing. Each is reported in its own words,
# the game opens its default window, plays on without the missing pieces and ends with exit code
# 0 on Escape.
source "$(dirname "$0")/lib.sh"

copy_assets
assets="$WORK_DIR/assets"
printf '[window]\nwidth=0\nheight=600\n[camera]\nfov=nan\nnear=0.5\nfar=0.25\n[audio]\nvolume=7\n' \
    >"$assets/settings.ini"
head -c 4096 /dev/urandom >"$assets/objects/roboterWheelCentered.obj"
: >"$assets/objects/wheel.obj"
head -c 2048 /dev/urandom >"$assets/fonts/calibri.ttf"
cp "$SOURCE_DIR/tests/fuzz/corpus/dds/truncated_data.dds" "$assets/textures/beachball.dds"
: >"$assets/textures/wood_texture.dds"
head -c 3000 /dev/urandom >"$assets/sounds/engine.flac"
: >"$assets/sounds/cut.flac"
head -c 42 "$SOURCE_DIR/assets/sounds/won.flac" >"$assets/sounds/won.flac"
rm "$assets/sounds/tick.flac"

start_xvfb
start_game
wait_for_window
geometry=$(xdotool getwindowgeometry "$WINDOW_ID" | awk '/Geometry:/ { print $2 }')
[ "$geometry" = "800x600" ] || fail "window is $geometry, expected the default 800x600"
wait_for_drawn_frame
hold_key w 1.5
hold_key a 0.5
sleep 1
screenshot "$WORK_DIR/shot.png"
hold_key Escape 0.3
wait_for_game
[ "$GAME_RC" -eq 0 ] || fail "exit code $GAME_RC after Escape, expected 0"

expect_output_line "ERROR: Setting 'width' in [window] cannot be used: '0'. Using the default 800 instead."
expect_output_line "ERROR: Setting 'fov' in [camera] cannot be used: 'nan'. Using the default 60 instead."
expect_output_line "ERROR: Setting 'far' in [camera] cannot be used: '0.25'. Using the default 100 instead."
expect_output_line "ERROR: Setting 'volume' in [audio] cannot be used: '7'. Using the default 1 instead."
expect_output_line "ERROR::FREETYPE: the font file could be opened and read, but it appears that its font format is unsupported"
grep -aq "^ERROR: 'assets/objects/roboterWheelCentered.obj' has 0 of the " "$GAME_LOG" ||
    fail "the robot model's missing meshes were not reported"
grep -aq "^ERROR: 'assets/objects/wheel.obj' has 0 of the " "$GAME_LOG" ||
    fail "the wheel model's missing meshes were not reported"
for sound in engine cut won; do
    grep -aq "^ERROR: Failed to load sound 'assets/sounds/$sound.flac': .*\. It stays silent\.$" "$GAME_LOG" ||
        fail "the broken $sound.flac was not reported"
done
expect_output_line "ERROR: Failed to load sound 'assets/sounds/tick.flac': System error : No such file or directory. It stays silent."
grep -aq "^OpenGL Error:" "$GAME_LOG" && fail "OpenGL debug messages were printed"
grep -aqE "ERROR: AddressSanitizer|runtime error:" "$GAME_LOG" && fail "sanitizer report"
# The arena is still drawn: the frame is not one flat colour.
spread=$(convert "$WORK_DIR/shot.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
at_least "$spread" 0.05 || fail "the frame is nearly flat (deviation $spread)"
echo PASS
