#!/bin/bash
# Starts or stops a private X display with a window manager, as a desktop has:
# an Xvfb server and openbox on it, their process ids kept in DIR.
#   desktop.sh start DIR    prints the display (":N") once the window manager runs
#   desktop.sh stop DIR
set -euo pipefail
action=$1
dir=$(realpath -m "$2")

stop() {
    for name in openbox xvfb; do
        if [ -f "$dir/$name.pid" ]; then
            kill "$(cat "$dir/$name.pid")" 2>/dev/null || true
            rm -f "$dir/$name.pid"
        fi
    done
}

case $action in
start)
    stop
    mkdir -p "$dir"
    # Xvfb picks a free display and writes its number to the pipe.
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    read -r -t 30 -u "$fd" number || { echo "desktop.sh: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
    exec {fd}>&-
    # openbox runs the startup command once it manages the screen.
    rm -f "$dir/openbox.ready"
    DISPLAY=:$number openbox --sm-disable --startup "touch '$dir/openbox.ready'" </dev/null >"$dir/openbox.log" 2>&1 &
    echo $! >"$dir/openbox.pid"
    for _ in $(seq 300); do
        [ -f "$dir/openbox.ready" ] && break
        sleep 0.05
    done
    [ -f "$dir/openbox.ready" ] || { echo "desktop.sh: openbox did not start" >&2; cat "$dir/openbox.log" >&2; exit 1; }
    echo ":$number"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
