#!/bin/bash
# Mounts or unmounts a 64 KiB tmpfs at DIR, a disk small enough for a test to fill up, or a
# read-only one holding read-only/hosts (with Wine's read-only attribute) and writable/hosts
# (without), whose attributes nothing can change.
#   small-disk.sh mount DIR [TMPFS-OPTIONS] | mount-read-only DIR | umount DIR
# Mounting needs root (or sudo); without it the disk-full tests report themselves skipped.
set -euo pipefail
action=$1
dir=$(realpath -m "$2")
options=${3:-} # more tmpfs options, e.g. nr_inodes=2: the disk then takes only one file
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo -n)

unmount() {
    if mountpoint -q "$dir"; then
        "${sudo[@]}" umount "$dir"
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
    if ! "${sudo[@]}" mount -t tmpfs -o "size=64k,mode=0777${options:+,$options}" tmpfs "$dir" 2>/dev/null; then
        echo "small-disk.sh: cannot mount a tmpfs on $dir; the disk-full tests will be skipped" >&2
        rmdir "$dir"
        exit 1
    fi
    ;;
mount-read-only)
    "$0" mount "$dir"
    for name in read-only writable; do
        mkdir -p "$dir/$name"
        printf '127.0.0.1 localhost\r\n' >"$dir/$name/hosts"
    done
    chmod a-w "$dir/read-only/hosts"
    "${sudo[@]}" mount -o remount,ro "$dir"
    ;;
umount)
    unmount
    ;;
*)
    echo "usage: $0 mount DIR [TMPFS-OPTIONS] | mount-read-only DIR | umount DIR" >&2
    exit 2
    ;;
esac
