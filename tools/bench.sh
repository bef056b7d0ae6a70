#!/usr/bin/env bash
# Builds the frame benchmark if needed (Release) and runs it on a private Xvfb display from the
# repository root, where it finds assets/. Arguments go to the benchmark:
#   bash tools/bench.sh [--frames N] [--physics-steps N]
# The build folder is build/ unless TESSEL_BUILD_DIR names another.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build_dir=${TESSEL_BUILD_DIR:-build}

for tool in cmake Xvfb; do
    command -v "$tool" >/dev/null || {
        echo "bench: $tool is missing; bash tools/play.sh installs what the game needs"
        exit 1
    }
done

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" --target tessel_bench -j "$(nproc)" >/dev/null

work=$(mktemp -d /tmp/tessel-bench.XXXXXX)
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the pipe.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/displayfd" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display <"$work/displayfd" || { echo "bench: Xvfb did not start"; exit 1; }

DISPLAY=":$display" "$build_dir/tools/bench/tessel_bench" "$@" </dev/null
