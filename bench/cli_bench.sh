#!/usr/bin/env bash
# Round-trip benchmark of whole commands: borderlux-cli against the common command-line JPEG
# tools on one large photo-like JPEG (6000 x 4000). Each command runs once to warm the caches,
# then RUNS times (default 5); the table shows the median wall time and its ratio to
# borderlux-cli's (above 1: slower than borderlux-cli).
#
# Usage: bench/cli_bench.sh [RUNS]
# Environment: BORDERLUX_BUILD_DIR (default build/), BORDERLUX_CLI (the executable to time),
# BORDERLUX_BENCH_CACHE (folder of the generated input, default $TMPDIR/borderlux-bench).
#
# To add an operation, add one line to the table in define_operations: a name and a command
# line that reads "$IN" and writes "$OUT" (with the extension the command line gives it).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
build="${BORDERLUX_BUILD_DIR:-$root/build}"
cli="${BORDERLUX_CLI:-$build/program/borderlux-cli}"
cache="${BORDERLUX_BENCH_CACHE:-${TMPDIR:-/tmp}/borderlux-bench}"
width=6000
height=4000
IN="$cache/photo-${width}x${height}.jpg"
work="$(mktemp -d "${TMPDIR:-/tmp}/borderlux-bench-run.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# name | output extension | command line ($IN, $OUT)
define_operations() {
    op "borderlux-cli" jpg '"$cli" "$IN" "$OUT"'
    op "djpeg | cjpeg -quality 80" jpg 'djpeg "$IN" | cjpeg -quality 80 > "$OUT"'
    op "vips copy (1 thread)" jpg 'VIPS_CONCURRENCY=1 vips copy "$IN" "$OUT[Q=80]"'
    op "ImageMagick convert" jpg '/usr/bin/convert "$IN" -quality 80 "$OUT"'
}

names=()
exts=()
commands=()
op() {
    names+=("$1")
    exts+=("$2")
    commands+=("$3")
}

install_peers() {
    local missing=()
    command -v djpeg >/dev/null && command -v cjpeg >/dev/null || missing+=(libjpeg-turbo-progs)
    command -v vips >/dev/null || missing+=(libvips-tools)
    [ -x /usr/bin/convert ] || missing+=(imagemagick)
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "cli_bench: installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get install -y -q "${missing[@]}" || { $sudo apt-get update -q && $sudo apt-get install -y -q "${missing[@]}"; }
}

ensure_cli() {
    if [ ! -x "$cli" ]; then
        echo "cli_bench: building borderlux-cli in $build"
        if [ ! -f "$build/CMakeCache.txt" ]; then
            cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
        fi
        cmake --build "$build" --target borderlux-cli --parallel "$(nproc)" >/dev/null
    fi
}

make_input() { make_bench_photo "$IN" "$width" "$height" "$work"; }


install_peers
ensure_cli
make_input
define_operations

echo "Input: $IN ($(du -h "$IN" | cut -f1), ${width} x ${height}), quality 80 out, median of $runs runs"
echo "Note: Debian's ImageMagick policy (/etc/ImageMagick-6/policy.xml) caps its memory at 256 MiB,"
echo "      so convert spills this picture's pixel cache to disk; that is part of its time here."
echo
# Rounds: every command once per round, so a change of the machine's load during the run
# falls on all commands alike. The first round warms the caches and is not counted.
declare -A times
for ((round = 0; round <= runs; ++round)); do
    for i in "${!names[@]}"; do
        OUT="$work/out-$i.${exts[$i]}"
        # Let the kernel finish what the previous command left (writeback, freeing the memory
        # and files of a large process), so that no command pays for the one before it.
        sync
        sleep 0.5
        t="$(time_once "${commands[$i]}")"
        [ "$round" -eq 0 ] && continue
        times[$i]+="$t "
    done
done
results=()
for i in "${!names[@]}"; do
    # shellcheck disable=SC2086
    if [[ " ${times[$i]} " == *" failed "* ]]; then
        results+=(failed)
    else
        results+=("$(median ${times[$i]})")
    fi
done
base="${results[0]}"
printf '%-30s %10s %12s\n' "command" "seconds" "x borderlux"
for i in "${!names[@]}"; do
    ratio="-"
    if [ "${results[$i]}" != failed ] && [ "$base" != failed ]; then
        ratio="$(awk "BEGIN{printf \"%.2f\", ${results[$i]} / $base}")"
    fi
    printf '%-30s %10s %12s\n' "${names[$i]}" "${results[$i]}" "$ratio"
done
