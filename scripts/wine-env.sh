#!/bin/bash
# Starts or stops the throwaway Wine environment of one test run:
# a fresh WINEPREFIX, one persistent wineserver and an Xvfb display, all under DIR.
#   wine-env.sh start DIR | stop DIR
set -euo pipefail
action=$1
dir=$(realpath -m "$2")
wineserver=/usr/lib/wine/wineserver64
export WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop() {
    if [ -f "$dir/env" ]; then
        WINEPREFIX=$dir/prefix "$wineserver" -k 2>/dev/null || true
        [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    fi
    rm -rf "$dir"
}

case $action in
start)
    stop
    mkdir -p "$dir"
    # Xvfb picks a free display and writes its number to the pipe.
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    read -r -t 30 -u "$fd" display
    exec {fd}>&-
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p </dev/null >/dev/null 2>&1
    DISPLAY=:$display /usr/lib/wine/wine64 wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
    {
        echo "export WINEPREFIX='$WINEPREFIX'"
        echo "export WINEDEBUG=-all"
        echo "export WINEDLLOVERRIDES='mscoree,mshtml='"
        echo "export DISPLAY=:$display"
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
