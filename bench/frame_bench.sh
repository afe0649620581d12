#!/usr/bin/env bash
# Framing benchmark: the Apply command's main job (an "a" frame: scaled to the photo, red
# channel as alpha, composited over it) followed by writing the flat picture as JPEG of quality
# 80, against the same composite done with ImageMagick and with vips.
#
#   single: one 6000 x 4000 photo with a 1600 x 1200 frame
#   batch:  20 photos of 1600 x 1067 with the same frame, one command per photo
#
# Each line runs once to warm the caches, then RUNS times (default 5); the table shows the
# median wall time and its ratio to Borderlux's. The inputs are made once and cached (the
# large photo is the one of bench/cli_bench.sh, made by the same recipe).
#
# Borderlux runs as `borderlux-cli PHOTO --apply FRAME OUT` when the cli has that step, else
# through tests/output/frame_tool, which runs the same read, Apply, render and write code.
#
# Usage: bench/frame_bench.sh [RUNS]
# Environment: BORDERLUX_BUILD_DIR (default build/), BORDERLUX_BENCH_CACHE (default
# $TMPDIR/borderlux-bench).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
build="${BORDERLUX_BUILD_DIR:-$root/build}"
cli="$build/program/borderlux-cli"
tool="$build/tests/frame_tool"
cache="${BORDERLUX_BENCH_CACHE:-${TMPDIR:-/tmp}/borderlux-bench}"
width=6000
height=4000
IN="$cache/photo-${width}x${height}.jpg"
FRAME="$cache/frame-bench/a001.png"
batch="$cache/frame-bench/batch"
# Intermediate files of the vips pipeline go to memory when there is a /dev/shm.
shm="/dev/shm"
[ -d "$shm" ] && [ -w "$shm" ] || shm="${TMPDIR:-/tmp}"
work="$(mktemp -d "$shm/borderlux-frame-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

for needed in vips /usr/bin/convert; do
    command -v "$needed" >/dev/null || { echo "frame_bench: $needed is missing" >&2; exit 2; }
done

ensure_borderlux() {
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    if [ -x "$cli" ] && "$cli" --help 2>/dev/null | grep -q -- '--apply'; then
        borderlux() { "$cli" "$1" --apply "$2" "$3"; }
        driver="borderlux-cli --apply"
    else
        cmake --build "$build" --target frame_tool --parallel "$(nproc)" >/dev/null 2>&1 ||
            { echo "frame_bench: cannot build frame_tool in $build" >&2; exit 2; }
        borderlux() { "$tool" "$1" --apply "$2" --save-as "$3"; }
        driver="frame_tool (borderlux-cli has no --apply step yet)"
    fi
}

make_photo() { make_bench_photo "$IN" "$width" "$height" "$work"; }

# The frame is the shipped library's free/a001.png (1600 x 1200, an "a" frame: a light moulding
# that is opaque, a black inside that lets the photo through), drawn by the build.
make_frame() {
    [ -s "$FRAME" ] && return 0
    local shipped="$build/program/frames/free/a001.png"
    if [ ! -s "$shipped" ]; then
        echo "frame_bench: drawing the shipped library in $build"
        cmake --build "$build" --target bl_shipped_library --parallel "$(nproc)" >/dev/null 2>&1 ||
            { echo "frame_bench: cannot draw the shipped library in $build" >&2; exit 2; }
    fi
    mkdir -p "$(dirname "$FRAME")"
    cp "$shipped" "$FRAME"
}

make_batch() {
    [ -s "$batch/p19.jpg" ] && return 0
    mkdir -p "$batch"
    echo "frame_bench: generating 20 photos of 1600 x 1067 in $batch (once)"
    for i in $(seq 0 19); do
        vips extract_area "$IN" "$batch/p$i.jpg[Q=92]" $((i * 210)) $((i * 140)) 1600 1067
    done
}

# The same composite in the two other tools: frame resized to the photo, its red channel as
# alpha, composited over the photo, JPEG quality 80.
imagemagick() {
    local size
    size="$(vips header -f width "$1")x$(vips header -f height "$1")"
    /usr/bin/convert "$1" \( "$2" -filter Triangle -resize "$size!" \
        \( +clone -channel R -separate +channel \) -alpha off -compose CopyOpacity -composite \) \
        -compose Over -composite -quality 80 "$3"
}

vipsjob() {
    local w h t="$work/v"
    w="$(vips header -f width "$1")"
    h="$(vips header -f height "$1")"
    local fw fh
    fw="$(vips header -f width "$2")"
    fh="$(vips header -f height "$2")"
    vips resize "$2" "$t-f.v" "$(awk "BEGIN{print $w/$fw}")" \
        --vscale "$(awk "BEGIN{print $h/$fh}")" --kernel linear
    vips extract_band "$t-f.v" "$t-r.v" 0
    vips bandjoin "$t-f.v $t-r.v" "$t-fa.v"
    vips composite2 "$1" "$t-fa.v" "$3[Q=80]" over
    rm -f "$t-f.v" "$t-r.v" "$t-fa.v"
}

single() { "$1" "$IN" "$FRAME" "$work/out-single.jpg"; }
batchjob() {
    for i in $(seq 0 19); do
        "$1" "$batch/p$i.jpg" "$FRAME" "$work/out-batch.jpg"
    done
}

# Median wall time in seconds of a command, run $runs times after one warm-up.
time_command() {
    local times=() start end
    "$@" >/dev/null 2>&1 || { echo "failed"; return 0; }
    for ((i = 0; i < runs; ++i)); do
        start=$EPOCHREALTIME
        "$@" >/dev/null 2>&1
        end=$EPOCHREALTIME
        times+=("$(awk "BEGIN{printf \"%.4f\", $end - $start}")")
    done
    median "${times[@]}"
}

ensure_borderlux
make_photo
make_frame
make_batch

echo "Borderlux through: $driver"
echo "Photo: $IN (${width} x ${height}); frame: $FRAME (1600 x 1200); JPEG quality 80 out"
echo "Median of $runs runs after one warm-up; vips with its default threads, $(nproc) cores;"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine skews every line)"
echo "Note: Debian's ImageMagick policy caps its memory at 256 MiB, so convert spills the"
echo "      large picture's pixel cache to disk; that is part of its time here."
echo
printf '%-34s %10s %12s\n' "job" "seconds" "x borderlux"
for job in single batchjob; do
    label="24 MP photo"
    [ "$job" = batchjob ] && label="20 photos of 1.7 MP"
    base="$(time_command "$job" borderlux)"
    for tool_name in borderlux imagemagick vipsjob; do
        if [ "$tool_name" = borderlux ]; then
            t="$base"
        else
            t="$(time_command "$job" "$tool_name")"
        fi
        ratio="-"
        if [ "$t" != failed ] && [ "$base" != failed ]; then
            ratio="$(awk "BEGIN{printf \"%.2f\", $t / $base}")"
        fi
        name="$tool_name"
        [ "$tool_name" = vipsjob ] && name="vips"
        printf '%-34s %10s %12s\n' "$label, $name" "$t" "$ratio"
    done
done

# Where Borderlux's time goes (frame_tool only), and what it would be if every large raster
# were given 2 MiB pages when allocated (glibc's malloc does that for all of them with the
# tunable below): first touches of fresh 4 KiB pages are most of the Apply time on this kind
# of machine.
if [ -x "$tool" ]; then
    echo
    echo "Borderlux phases on the 24 MP photo (frame_tool --times), median run of $runs:"
    phases() {
        for ((i = 0; i < runs; ++i)); do
            env "$@" "$tool" "$IN" --apply "$FRAME" --save-as "$work/out-phases.jpg" --times 2>&1
        done | awk -F'[ ,]+' '{print $2 + $5 + $8 + $11, $0}' | sort -g |
            awk '{a[NR]=$0} END{print a[int((NR+1)/2)]}' | cut -d' ' -f2-
    }
    echo "  as built:                 $(phases)"
    echo "  with huge-page malloc:    $(phases GLIBC_TUNABLES=glibc.malloc.hugetlb=1)"
    hugebase="$(time_command env GLIBC_TUNABLES=glibc.malloc.hugetlb=1 "$tool" "$IN" --apply "$FRAME" --save-as "$work/out-huge.jpg")"
    echo "  whole job with huge-page malloc: $hugebase s"
fi
