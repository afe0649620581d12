#!/usr/bin/env bash
# Core benchmark: the micro-benchmarks of bench_core (each operation as a multiple of one
# memcpy of a 6000 x 4000 24-bit raster, measured in the same run), then one whole command,
# halving a 6000 x 4000 photo-like JPEG with the linear filter, against vips on one thread and
# ImageMagick. Every command runs once to warm the caches, then RUNS rounds (default 5) of all
# commands; the table shows medians.
#
# Usage: bench/core_bench.sh [RUNS]
# Environment: BORDERLUX_BUILD_DIR (default build/), BORDERLUX_BENCH_CACHE (folder of the
# generated input, shared with bench/cli_bench.sh, which makes it).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
build="${BORDERLUX_BUILD_DIR:-$root/build}"
cache="${BORDERLUX_BENCH_CACHE:-${TMPDIR:-/tmp}/borderlux-bench}"
IN="$cache/photo-6000x4000.jpg"
work="$(mktemp -d "${TMPDIR:-/tmp}/borderlux-core-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target bench_core borderlux-cli --parallel 2 >/dev/null
cli="$build/program/borderlux-cli"

echo "== bench_core (x_memcpy: time / one 6000 x 4000 memcpy; argument: threads, 0 = default)"
"$build/bench/bench_core" --benchmark_counters_tabular=true 2>/dev/null
echo

# The photo-like input is made (once, cached) by the reader/writer benchmark's generator.
if [ ! -s "$IN" ]; then
    BORDERLUX_BUILD_DIR="$build" BORDERLUX_BENCH_CACHE="$cache" "$root/bench/cli_bench.sh" 0 >/dev/null
fi

names=("borderlux-cli --resample 3000 2000 linear"
    "vips resize 0.5 --kernel linear (1 thread)"
    "convert -filter Triangle -resize 3000x2000")
commands=("\"$cli\" \"$IN\" --resample 3000 2000 linear \"$work/a.jpg\""
    "VIPS_CONCURRENCY=1 vips resize \"$IN\" \"$work/b.jpg[Q=80]\" 0.5 --kernel linear"
    "/usr/bin/convert \"$IN\" -filter Triangle -resize 3000x2000 -quality 80 \"$work/c.jpg\"")


declare -A times
for ((round = 0; round <= runs; ++round)); do
    for i in "${!names[@]}"; do
        t="$(time_once "${commands[$i]}")"
        [ "$round" -eq 0 ] && continue
        times[$i]+="$t "
    done
done
echo "== whole command on $IN, JPEG quality 80 out, median of $runs rounds"
printf '%-46s %10s %12s\n' "command" "seconds" "x borderlux"
base=""
for i in "${!names[@]}"; do
    # shellcheck disable=SC2086
    m="$(median ${times[$i]})"
    [ -z "$base" ] && base="$m"
    printf '%-46s %10s %12s\n' "${names[$i]}" "$m" "$(awk "BEGIN{printf \"%.2f\", $m / $base}")"
done
echo "Load average while measuring: $(cut -d' ' -f1-3 /proc/loadavg)"
