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

# A photo-like picture: large soft colour areas (Perlin noise at a coarse scale), texture at
# two finer scales, a light-to-dark gradient from top to bottom and a little sensor noise.
# Made once and kept in the cache folder.
make_input() {
    [ -s "$IN" ] && return 0
    mkdir -p "$cache"
    echo "cli_bench: generating $IN (once)"
    local t="$work/gen"
    mkdir -p "$t"
    (
        cd "$t"
        vips perlin r.v $width $height --cell-size 700 --seed 1
        vips perlin g.v $width $height --cell-size 700 --seed 2
        vips perlin b.v $width $height --cell-size 700 --seed 3
        vips perlin mid.v $width $height --cell-size 40 --seed 4
        vips perlin fine.v $width $height --cell-size 5 --seed 5
        vips gaussnoise noise.v $width $height --sigma 0.04 --mean 0
        vips xyz xy.v $width $height
        vips extract_band xy.v y.v 1
        vips linear y.v grad.v -- "$(awk "BEGIN{print -0.6/$height}")" 0.3
        vips bandjoin "r.v g.v b.v" rgb.v
        vips linear mid.v mids.v 0.3 0
        vips linear fine.v fines.v 0.2 0
        vips add rgb.v mids.v s1.v
        vips add s1.v fines.v s2.v
        vips add s2.v noise.v s3.v
        vips add s3.v grad.v s4.v
        vips linear s4.v photo.v 140 128 --uchar
        vips copy photo.v "photo.jpg[Q=92]"
    )
    mv "$t/photo.jpg" "$IN"
    rm -rf "$t"
}

# Wall time in seconds of one run of a command line.
time_once() {
    local start end
    start=$EPOCHREALTIME
    eval "$1" >/dev/null 2>&1 || { echo failed; return 0; }
    end=$EPOCHREALTIME
    awk "BEGIN{printf \"%.4f\", $end - $start}"
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END{print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'
}

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
