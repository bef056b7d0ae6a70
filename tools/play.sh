#!/usr/bin/env bash
# Installs what is missing, builds the game (Release) and starts it from the repository root,
# where it finds its assets/ folder:
#   bash tools/play.sh
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

build_dir=${TESSEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF
cmake --build "$build_dir" --target tessel -j "$(nproc)"
exec "$build_dir/tessel"
