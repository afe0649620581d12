#!/usr/bin/env bash
# The real borderlux executable beside a damaged frame list: exit status 1, one line on stderr,
# and no window (the run ends at once, long before the timeout).
#   damaged_library.sh path/to/borderlux path/to/program-folder
set -euo pipefail
program="$(mktemp -d "${TMPDIR:-/tmp}/borderlux-damaged.XXXXXX")"
trap 'rm -rf "$program"' EXIT
cp -r "$2/frames" "$2/stamps" "$program/"
cp "$1" "$program/borderlux"
printf '\r\n' >> "$program/frames/f.dat"
status=0
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$program" timeout 20 "$program/borderlux" \
    2> "$program/stderr" || status=$?
if [ "$status" -ne 1 ]; then
    echo "FAIL: exit status $status, expected 1" >&2
    exit 1
fi
lines=$(grep -c . "$program/stderr" || true)
if [ "$lines" -ne 1 ] || ! grep -q 'digest check failed' "$program/stderr"; then
    echo "FAIL: expected one line about the digest check, got:" >&2
    cat "$program/stderr" >&2
    exit 1
fi
echo "damaged library: exit 1 with one line"
