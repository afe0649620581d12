# Shared pieces of the benchmark scripts; source it: . "$root/bench/bench_lib.sh"

# Wall time in seconds of one run of a command line (eval'd); "failed" when it fails.
time_once() {
    local start end
    start=$EPOCHREALTIME
    eval "$1" >/dev/null 2>&1 || { echo failed; return 0; }
    end=$EPOCHREALTIME
    awk "BEGIN{printf \"%.4f\", $end - $start}"
}

# Median of the numbers given as arguments.
median() {
    printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END{print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'
}

# make_bench_photo OUT WIDTH HEIGHT SCRATCH: a photo-like JPEG, made once (nothing happens when
# OUT exists): large soft colour areas (Perlin noise at a coarse scale), texture at two finer
# scales, a light-to-dark gradient from top to bottom and a little sensor noise. Needs vips.
make_bench_photo() {
    local out="$1" width="$2" height="$3" t="$4/gen"
    [ -s "$out" ] && return 0
    mkdir -p "$(dirname "$out")" "$t"
    echo "bench: generating $out (once)"
    (
        cd "$t"
        vips perlin r.v "$width" "$height" --cell-size 700 --seed 1
        vips perlin g.v "$width" "$height" --cell-size 700 --seed 2
        vips perlin b.v "$width" "$height" --cell-size 700 --seed 3
        vips perlin mid.v "$width" "$height" --cell-size 40 --seed 4
        vips perlin fine.v "$width" "$height" --cell-size 5 --seed 5
        vips gaussnoise noise.v "$width" "$height" --sigma 0.04 --mean 0
        vips xyz xy.v "$width" "$height"
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
    mv "$t/photo.jpg" "$out"
    rm -rf "$t"
}
