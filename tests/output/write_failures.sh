#!/usr/bin/env bash
# Saving over a photo when the write fails half way: the old file must stay byte for byte and
# the failure must come back with the path and the reason.
#
#   write_failures.sh fsize FRAME_TOOL   file-size limit (ulimit -f) hit in the middle
#   write_failures.sh mount FRAME_TOOL   full file system and read-only file system, on a small
#                                        tmpfs in a private mount namespace (77 = skipped when
#                                        no namespace or mount can be had)
set -uo pipefail

mode="$1"
tool="$2"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect_failed RC OUTPUT PATH REASON
expect_failed() {
    [ "$1" -eq 1 ] || fail "exit status $1, expected 1 (output: $2)"
    [[ "$2" == *"$3"* ]] || fail "message does not name $3: $2"
    [[ "$2" == *"$4"* ]] || fail "message does not give the reason '$4': $2"
}

expect_intact() {
    cmp -s "$1" "$2" || fail "$1 was changed"
}

make_inputs() {
    "$tool" --make "$1/photo.jpg" 800 600 || exit 2
    "$tool" --make "$1/s1.png" 120 90 || exit 2
    cp "$1/photo.jpg" "$1/original.jpg"
}

case "$mode" in
fsize)
    work="$(mktemp -d "${TMPDIR:-/tmp}/bl-write-fsize.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
    make_inputs "$work"
    # Half the photo's size, in the 1024-byte blocks of bash's ulimit -f.
    limit=$(($(stat -c %s "$work/photo.jpg") / 2048))
    [ "$limit" -ge 1 ] || limit=1

    # With the limit signal ignored the write gets EFBIG and the command reports it.
    out="$( (trap '' XFSZ; ulimit -f "$limit"; exec "$tool" "$work/photo.jpg" \
        --apply "$work/s1.png" --save) 2>&1)"
    expect_failed $? "$out" "$work/photo.jpg" "too large"
    expect_intact "$work/photo.jpg" "$work/original.jpg"
    leftovers="$(find "$work" -name '.photo.jpg.*' | wc -l)"
    [ "$leftovers" -eq 0 ] || fail "$leftovers temporary files left behind"

    # Save as to a new name: no partial file appears under that name.
    out="$( (trap '' XFSZ; ulimit -f "$limit"; exec "$tool" "$work/photo.jpg" \
        --apply "$work/s1.png" --save-as "$work/framed-photo.jpg") 2>&1)"
    expect_failed $? "$out" "$work/framed-photo.jpg" "too large"
    [ ! -e "$work/framed-photo.jpg" ] || fail "a partial framed-photo.jpg was left"

    # Killed by the limit signal in the middle of the write: the old photo is still whole.
    # (The outer subshell keeps the shell's "File size limit exceeded" notice out of the log.)
    ( (ulimit -f "$limit"; exec "$tool" "$work/photo.jpg" --apply "$work/s1.png" --save); exit $?) \
        >/dev/null 2>&1
    rc=$?
    [ "$rc" -gt 128 ] || fail "expected the tool to be killed by SIGXFSZ, exit status $rc"
    expect_intact "$work/photo.jpg" "$work/original.jpg"

    # And without a limit the same command does replace it.
    "$tool" "$work/photo.jpg" --apply "$work/s1.png" --save || fail "unlimited save failed"
    cmp -s "$work/photo.jpg" "$work/original.jpg" && fail "unlimited save left the photo as it was"
    ;;
mount)
    command -v unshare >/dev/null || { echo "SKIP: no unshare"; exit 77; }
    unshare -m true 2>/dev/null || { echo "SKIP: no private mount namespace"; exit 77; }
    work="$(mktemp -d "${TMPDIR:-/tmp}/bl-write-mount.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
    make_inputs "$work"
    mkdir "$work/mnt"
    unshare -m --propagation private bash "$0" mount-inner "$tool" "$work"
    exit $?
    ;;
mount-inner)
    work="$3"
    mnt="$work/mnt"
    mount -t tmpfs -o size=1m tmpfs "$mnt" 2>/dev/null || { echo "SKIP: cannot mount tmpfs"; exit 77; }
    cp "$work/photo.jpg" "$work/s1.png" "$mnt/"

    # Full file system: fill what is left, then save over the photo.
    dd if=/dev/zero of="$mnt/filler" bs=4096 >/dev/null 2>&1
    out="$("$tool" "$mnt/photo.jpg" --apply "$mnt/s1.png" --save 2>&1)"
    expect_failed $? "$out" "$mnt/photo.jpg" "No space left on device"
    expect_intact "$mnt/photo.jpg" "$work/original.jpg"
    leftovers="$(find "$mnt" -name '.photo.jpg.*' | wc -l)"
    [ "$leftovers" -eq 0 ] || fail "$leftovers temporary files left on the full disk"
    rm -f "$mnt/filler"

    # Read-only file system: even root cannot write there.
    mount -o remount,ro "$mnt" || { echo "SKIP: cannot remount read-only"; exit 77; }
    out="$("$tool" "$mnt/photo.jpg" --apply "$mnt/s1.png" --save 2>&1)"
    expect_failed $? "$out" "$mnt/photo.jpg" "Read-only file system"
    expect_intact "$mnt/photo.jpg" "$work/original.jpg"
    umount "$mnt"
    ;;
*)
    echo "usage: $0 fsize|mount FRAME_TOOL" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "ok"
