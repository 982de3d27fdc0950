#!/bin/bash
# Starts or stops the throwaway Wine environment of one test run under DIR: LANES lanes
# (default 1), each with a fresh WINEPREFIX, one persistent wineserver, an Xvfb display with
# a window manager, a 64 KiB disk that the disk-full tests fill up, and a read-only one. A test program runs
# in whichever lane is free (wine-run.sh), so lanes let programs that set the registry or
# move the focus run side by side without meeting.
#   wine-env.sh start DIR [LANES] | stop DIR
# Every desktop has a window manager; without one Wine waits about two seconds whenever a
# window hides, and focus and activation do not behave as users see them.
set -euo pipefail
action=$1
dir=$(realpath -m "$2")
lanes=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
wineserver=/usr/lib/wine/wineserver64
wine=/usr/lib/wine/wine64

stop_lane() {
    local lane=$1
    WINEPREFIX=$lane/prefix "$wineserver" -k 2>/dev/null || true
    [ -f "$lane/idle.pid" ] && kill "$(cat "$lane/idle.pid")" 2>/dev/null || true
    "$here/desktop.sh" stop "$lane"
    "$here/small-disk.sh" umount "$lane/small-disk"
    "$here/small-disk.sh" umount "$lane/one-file-disk"
    "$here/small-disk.sh" umount "$lane/read-only-disk"
}

start_lane() {
    local lane=$1 display small_disk= one_file_disk= read_only_disk=
    mkdir -p "$lane/prefix"
    display=$("$here/desktop.sh" start "$lane")
    export WINEPREFIX=$lane/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$wineserver" -p </dev/null >/dev/null 2>&1
    DISPLAY=$display "$wine" wineboot -i </dev/null >"$lane/wineboot.log" 2>&1
    # Wine ends its service processes a few seconds after the last program has ended, and a
    # program started while they go waits about ten seconds. An idle program (a command
    # prompt reading from a pipe nobody writes to) keeps them for the whole run.
    mkfifo "$lane/idle"
    sleep infinity >"$lane/idle" 2>/dev/null </dev/null &
    echo $! >"$lane/idle.pid"
    DISPLAY=$display "$wine" cmd.exe <"$lane/idle" >/dev/null 2>&1 &
    if "$here/small-disk.sh" mount "$lane/small-disk"; then
        small_disk=$lane/small-disk
    fi
    # Room for one file and no more: a folder that refuses new files but lets the one in it
    # be written, as a standard user with rights on the hosts file alone finds etc.
    if "$here/small-disk.sh" mount "$lane/one-file-disk" nr_inodes=2; then
        one_file_disk=$lane/one-file-disk
    fi
    if "$here/small-disk.sh" mount-read-only "$lane/read-only-disk"; then
        read_only_disk=$lane/read-only-disk
    fi
    # TZ: a zone away from UTC without daylight saving, so that a file time shown in UTC
    # instead of local time is caught.
    {
        echo "export WINEPREFIX='$WINEPREFIX'"
        echo "export WINEDEBUG=-all"
        echo "export WINEDLLOVERRIDES='mscoree,mshtml='"
        echo "export DISPLAY=$display"
        echo "export TZ=JST-9"
        echo "export NORVIK_SMALL_DISK='$small_disk'"
        echo "export NORVIK_ONE_FILE_DISK='$one_file_disk'"
        echo "export NORVIK_READ_ONLY_DISK='$read_only_disk'"
    } >"$lane/env.new"
    mv "$lane/env.new" "$lane/env"
}

stop() {
    if [ -d "$dir" ]; then
        for lane in "$dir"/lane*; do
            [ -d "$lane" ] && stop_lane "$lane"
        done
    fi
    rm -rf "$dir"
}

case $action in
start)
    stop
    mkdir -p "$dir"
    pids=()
    for ((i = 0; i < lanes; ++i)); do
        start_lane "$dir/lane$i" &
        pids+=($!)
    done
    status=0
    for pid in "${pids[@]}"; do
        wait "$pid" || status=1
    done
    exit $status
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start DIR [LANES] | stop DIR" >&2
    exit 2
    ;;
esac
