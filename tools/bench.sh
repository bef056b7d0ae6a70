#!/usr/bin/env bash
# Builds the frame benchmark and the picture comparer if needed (Release) and runs the benchmark
# on a private Xvfb display from the repository root, where it finds assets/. Arguments go to
# the benchmark:
#   bash tools/bench.sh [--frames N] [--physics-steps N] [--size WxH] [--render-scale S|auto]
#                       [--compare-edge FOLDER] [--picture FILE]
# --size WxH opens a window of that size on a screen as large (default 800 x 600 on 1024 x 768);
# --render-scale draws the scene at that share of it (0.25 to 1), or lets the game choose (auto);
# the default is 1, whatever the settings file says.
# --compare-edge FOLDER adds a run that alternates the game's edge shader with FOLDER's
# edge.vert and edge.frag frame by frame and prints the post-processing pass of each.
# With --picture FILE it renders N frames (default 600) with a fixed 1/60 s frame time and writes
# the last one to FILE (a binary PPM); compare two such files with
#   build-bench/tools/bench/tessel_compare_pictures BEFORE.ppm AFTER.ppm
# The build folder is build-bench/ (tests off, so only the game's own packages are needed)
# unless TESSEL_BUILD_DIR names another (an existing folder keeps its settings).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build_dir=${TESSEL_BUILD_DIR:-build-bench}

source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth

# A new folder is configured without the tests; an existing one keeps its own settings.
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build_dir" --target tessel_bench tessel_compare_pictures -j "$(nproc)" >/dev/null

work=$(mktemp -d /tmp/tessel-bench.XXXXXX)
XVFB_PID=""
cleanup() {
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# The screen holds the window: --size WxH where given, else the default 800 x 600 window.
screen=1024x768
previous=""
for argument in "$@"; do
    [ "$previous" = --size ] && screen=$argument
    previous=$argument
done
source tools/xvfb.sh
start_private_xvfb "$work" "$screen" || { echo "bench: Xvfb did not start"; exit 1; }

# The sound plays into OpenAL Soft's wave writer, thrown away: a real device on any machine,
# sound card or none, so that the sound phase is timed alike everywhere, and nothing is heard.
printf '[general]\ndrivers=wave\n[wave]\nfile=/dev/null\n' >"$work/alsoft.conf"
export ALSOFT_CONF="$work/alsoft.conf" ALSOFT_DRIVERS=wave

"$build_dir/tools/bench/tessel_bench" "$@" </dev/null
