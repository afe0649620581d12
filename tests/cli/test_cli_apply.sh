#!/usr/bin/env bash
# borderlux-cli --apply and batch framing on real files.
#   test_cli_apply.sh path/to/borderlux-cli path/to/program-folder
set -euo pipefail
cli="$1"
program="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/borderlux-cli-apply.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect() { # what actual expected
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

# PPM pictures: a 64 x 48 photo whose pixel (x, y) is red x, green y, blue 7, and a 10 x 6 stamp
# of solid (200, 100, 50).
python3 - "$work/photo.ppm" "$work/s1.ppm" <<'PY'
import sys
w, h = 64, 48
with open(sys.argv[1], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    f.write(bytes(v for y in range(h) for x in range(w) for v in (x, y, 7)))
with open(sys.argv[2], "wb") as f:
    f.write(b"P6\n10 6\n255\n" + bytes([200, 100, 50]) * 60)
PY
pixel() { # FILE X Y -> "r g b"
    python3 - "$@" <<'PY'
import sys
parts = open(sys.argv[1], "rb").read().split(maxsplit=4)
w = int(parts[1]); x = int(sys.argv[2]); y = int(sys.argv[3])
o = 3 * (y * w + x)
print(parts[4][o], parts[4][o + 1], parts[4][o + 2])
PY
}
size() {
    python3 -c 'import sys; p = open(sys.argv[1], "rb").read().split(maxsplit=3); print(p[1].decode(), p[2].decode())' "$1"
}

# An alpha-from-red frame of the shipped library covers the photo exactly: its rim hides the
# photo's corner, its black hole lets the photo through unchanged.
frame="$program/frames/free/a001.png"
"$cli" "$work/photo.ppm" --apply "$frame" "$work/framed.ppm"
expect "frame keeps the photo size" "$(size "$work/framed.ppm")" "64 48"
expect "hole shows the photo" "$(pixel "$work/framed.ppm" 32 24)" "32 24 7"
[ "$(pixel "$work/framed.ppm" 0 0)" != "0 0 7" ] || fail "the frame's rim does not cover the corner"

# A stamp lands centred, Trunc((64 - 10) / 2) = 27 and Trunc((48 - 6) / 2) = 21; moving it past
# the right edge widens the picture, the new area in the background colour.
"$cli" "$work/photo.ppm" --apply "$work/s1.ppm" "$work/stamped.ppm"
expect "stamp top-left" "$(pixel "$work/stamped.ppm" 27 21)" "200 100 50"
expect "left of the stamp" "$(pixel "$work/stamped.ppm" 26 21)" "26 21 7"
expect "below the stamp" "$(pixel "$work/stamped.ppm" 27 27)" "27 27 7"
"$cli" "$work/photo.ppm" --apply "$work/s1.ppm" --move-layer 40 0 --background 0000ff "$work/wide.ppm"
expect "stamp beyond the right edge widens" "$(size "$work/wide.ppm")" "77 48"
expect "uncovered area is background" "$(pixel "$work/wide.ppm" 70 0)" "0 0 255"

# Undo takes the applied layers off again, newest first.
"$cli" "$work/photo.ppm" --apply "$frame" --apply "$work/s1.ppm" --undo --undo "$work/undone.ppm"
expect "two undos remove both layers" "$(pixel "$work/undone.ppm" 0 0)" "0 0 7"

# A name that no rule takes, or a file that cannot be read: one line, non-zero status.
cp "$work/s1.ppm" "$work/Sticker.ppm"
for bad in "$work/Sticker.ppm" "$work/missing.png"; do
    if err=$("$cli" "$work/photo.ppm" --apply "$bad" "$work/x.ppm" 2>&1); then
        fail "--apply $bad succeeded"
    fi
    expect "one error line for $bad" "$(printf '%s\n' "$err" | wc -l)" "1"
done

# Batch: every photo to DIR/framed-NAME, one progress line each, going on past a bad photo and
# failing at the end.
cp "$work/photo.ppm" "$work/one.ppm"
printf 'P6\n99999 99999\n255\n' > "$work/broken.ppm"
status=0
"$cli" --out-dir "$work/out" --apply "$frame" "$work/one.ppm" "$work/broken.ppm" "$work/photo.ppm" \
    2> "$work/batch.log" || status=$?
expect "batch status with a failed photo" "$status" "1"
[ -f "$work/out/framed-one.ppm" ] || fail "framed-one.ppm missing"
[ -f "$work/out/framed-photo.ppm" ] || fail "framed-photo.ppm missing"
[ ! -e "$work/out/framed-broken.ppm" ] || fail "a failed photo left an output"
expect "progress lines" "$(grep -c '^borderlux-cli: \[[1-3]/3\]' "$work/batch.log")" "3"
cmp -s "$work/out/framed-one.ppm" "$work/framed.ppm" || fail "batch output differs from the single run"

# Formats that go through Qt's plugins start Qt on demand and shut it down cleanly.
"$cli" "$work/framed.ppm" "$work/framed.tif" || fail "writing TIFF failed"
"$cli" "$work/framed.tif" "$work/back.ppm" || fail "reading TIFF failed"
cmp -s "$work/framed.ppm" "$work/back.ppm" || fail "TIFF round trip changed the picture"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "cli apply and batch: all checks passed"
