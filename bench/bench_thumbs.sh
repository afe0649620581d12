#!/usr/bin/env bash
# Thumbnail grid benchmark: lists a folder of 150 generated 6000 x 4000 JPEG photos, waits for
# the first screenful of thumbnails, scrolls through all of them and reports the figures, with
# the same screenful decoded at full size for comparison.
# The photos are made once and cached (default /tmp/borderlux-bench-thumbs; never committed).
#   bench/bench_thumbs.sh [cache folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BORDERLUX_BUILD_DIR:-$root/build}"
cache="${1:-/tmp/borderlux-bench-thumbs}"
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target bench_thumbs_grid --parallel 2
QT_QPA_PLATFORM=offscreen "$build/bench/bench_thumbs_grid" "$cache" 150 6000 4000
