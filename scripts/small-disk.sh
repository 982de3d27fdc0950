#!/bin/bash
# Mounts or unmounts a 64 KiB tmpfs at DIR, a disk small enough for a test to fill up.
#   small-disk.sh mount DIR | umount DIR
# Mounting needs root; without it the disk-full tests skip themselves.
set -euo pipefail
action=$1
dir=$(realpath -m "$2")

unmount() {
    if mountpoint -q "$dir"; then
        umount "$dir"
    fi
    if [ -d "$dir" ]; then
        rmdir "$dir"
    fi
}

case $action in
mount)
    # A mount left over from an aborted run goes first: the tests expect an empty disk.
    unmount
    mkdir -p "$dir"
    if ! mount -t tmpfs -o size=64k tmpfs "$dir"; then
        echo "small-disk.sh: cannot mount a tmpfs on $dir; the disk-full tests will skip" >&2
        rmdir "$dir"
    fi
    ;;
umount)
    unmount
    ;;
*)
    echo "usage: $0 mount|umount DIR" >&2
    exit 2
    ;;
esac
