#!/bin/bash
# Starts or stops the throwaway Wine environment of one test run, all under DIR: a fresh
# WINEPREFIX, one persistent wineserver, an Xvfb display with a window manager, and a 64 KiB
# disk that the disk-full tests fill up.
#   wine-env.sh start DIR | stop DIR
# Every desktop has a window manager; without one Wine waits about two seconds whenever a
# window hides, and focus and activation do not behave as users see them.
set -euo pipefail
action=$1
dir=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
wineserver=/usr/lib/wine/wineserver64
export WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop() {
    if [ -d "$dir" ]; then
        "$wineserver" -k 2>/dev/null || true
        "$here/desktop.sh" stop "$dir"
        "$here/small-disk.sh" umount "$dir/small-disk"
    fi
    rm -rf "$dir"
}

case $action in
start)
    stop
    mkdir -p "$dir"
    display=$("$here/desktop.sh" start "$dir")
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p </dev/null >/dev/null 2>&1
    DISPLAY=$display /usr/lib/wine/wine64 wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
    small_disk=
    if "$here/small-disk.sh" mount "$dir/small-disk"; then
        small_disk=$dir/small-disk
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
    } >"$dir/env"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
