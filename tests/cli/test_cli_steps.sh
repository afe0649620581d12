#!/usr/bin/env bash
# borderlux-cli steps on real files. Pictures are binary PPMs, so every pixel can be checked.
#   test_cli_steps.sh path/to/borderlux-cli
set -euo pipefail
cli="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/borderlux-cli-test.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A 64 x 48 photo whose pixel (x, y) is red x, green y, blue 7.
python3 - "$work/in.ppm" <<'PY'
import sys
w, h = 64, 48
with open(sys.argv[1], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    f.write(bytes(v for y in range(h) for x in range(w) for v in (x, y, 7)))
PY

# pixel FILE X Y -> "r g b"; size FILE -> "w h"
pixel() {
    python3 - "$@" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
w = int(parts[1]); x = int(sys.argv[2]); y = int(sys.argv[3])
pixels = parts[4]
o = 3 * (y * w + x)
print(pixels[o], pixels[o + 1], pixels[o + 2])
PY
}
size() {
    python3 -c 'import sys; p = open(sys.argv[1], "rb").read().split(maxsplit=3); print(p[1].decode(), p[2].decode())' "$1"
}
expect() { # what actual expected
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

# No steps: the photo comes out exactly.
"$cli" "$work/in.ppm" "$work/copy.ppm" 2>/dev/null
cmp -s <(tail -c 9216 "$work/in.ppm") <(tail -c 9216 "$work/copy.ppm") || fail "plain copy changed pixels"

# --resample with -1 keeping the proportion. Reducing 64 -> 32 with linear: column 0 sits on
# source column 0 (weights 126, 64 x 2 mirrored, 2 x 2: the mean stays 0); the last column on
# source 63 with weights 126 (63), 64 (62), 64 (63 mirrored), 2 (61), 2 (62 mirrored): 62.7 -> 62.
"$cli" "$work/in.ppm" --resample 32 -1 linear "$work/half.ppm" 2>/dev/null
expect "resample size" "$(size "$work/half.ppm")" "32 24"
expect "resample top-left" "$(pixel "$work/half.ppm" 0 0)" "0 0 7"
expect "resample bottom-right" "$(pixel "$work/half.ppm" 31 23)" "62 46 7"
"$cli" "$work/in.ppm" --resample 0 96 fastlinear "$work/tall.ppm" 2>/dev/null
expect "resample height only" "$(size "$work/tall.ppm")" "64 96"

# --select limits --negative to the rectangle (inclusive); --select-none lifts it.
"$cli" "$work/in.ppm" --select 2 3 5 6 --negative "$work/neg.ppm" 2>/dev/null
expect "negative inside" "$(pixel "$work/neg.ppm" 2 3)" "253 252 248"
expect "negative corner inside" "$(pixel "$work/neg.ppm" 5 6)" "250 249 248"
expect "outside kept" "$(pixel "$work/neg.ppm" 6 6)" "6 6 7"
expect "outside kept" "$(pixel "$work/neg.ppm" 2 7)" "2 7 7"
"$cli" "$work/in.ppm" --select 2 3 5 6 --select-none --negative "$work/all.ppm" 2>/dev/null
expect "negative everywhere" "$(pixel "$work/all.ppm" 60 40)" "195 215 248"

# Bad arguments: a non-zero exit, nothing written, and one line naming the step and the fault.
bad() { # expected-text args...
    local want="$1"
    shift
    local err status=0
    err="$("$cli" "$work/in.ppm" "$@" "$work/bad.ppm" 2>&1 >/dev/null | grep -v XDG_RUNTIME_DIR)" || status=$?
    [ "$status" -ne 0 ] || fail "'$*' succeeded"
    [ ! -e "$work/bad.ppm" ] || fail "'$*' wrote a file"
    rm -f "$work/bad.ppm"
    [[ "$err" == *"$want"* ]] || fail "'$*' said '$err', expected '$want'"
    [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || fail "'$*' printed more than one line: $err"
}
bad "borderlux-cli: --resample: unknown filter 'cubic'" --resample 10 10 cubic
bad "borderlux-cli: --resample: width 'ten' is not an integer" --resample ten 10 linear
bad "borderlux-cli: --resample: width and height cannot both be negative" --resample -1 -1 linear
bad "borderlux-cli: --select: right 'x' is not an integer" --select 0 0 x 4
bad "borderlux-cli: --select: the rectangle 100,100 - 120,120 lies outside the 64 x 48 photo" --select 100 100 120 120
bad "--select needs 4 parameter(s)" --select 1 2

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all borderlux-cli checks passed"
