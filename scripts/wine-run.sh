#!/bin/bash
# Runs one Windows test program in a free lane of the run's throwaway Wine environment
# (see wine-env.sh), waiting for one when all are busy.
#   wine-run.sh [--list-prefix=PREFIX] DIR PROGRAM [ARGS...]
# CTest uses it as the test programs' emulator. Listing a program's test cases
# (--gtest_list_tests) happens at build time, before any environment exists: it runs in
# a prefix of its own (PREFIX, or DIR-list), made once and kept, with no display; build
# trees may share one.
#
# The output goes through a file: Wine starts its helper processes (desktop, services) from
# whichever program needs them first, and they would keep a pipe from CTest open for seconds
# after the program ended.
set -euo pipefail
list_prefix=
if [[ ${1:-} == --list-prefix=* ]]; then
    list_prefix=$(realpath -m "${1#--list-prefix=}")
    shift
fi
dir=$(realpath -m "$1")
shift
list_prefix=${list_prefix:-$dir-list}
wine=/usr/lib/wine/wine64

if [[ " $* " == *" --gtest_list_tests "* ]]; then
    export WINEPREFIX=$list_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$wine" wineboot -i </dev/null >/dev/null 2>&1
        fi
    ) 9>"$list_prefix.lock"
else
    lanes=("$dir"/lane*/env)
    if [ ! -f "${lanes[0]}" ]; then
        echo "wine-run.sh: no Wine environment in $dir; run the tests through ctest" >&2
        exit 2
    fi
    # The first free lane, held for the whole run of the program.
    lock_fd=
    until [ -n "$lock_fd" ]; do
        for env in "${lanes[@]}"; do
            exec {fd}>"${env%/env}/lock"
            if flock -n "$fd"; then
                lock_fd=$fd
                break
            fi
            exec {fd}>&-
        done
        [ -n "$lock_fd" ] || sleep 0.05
    done
    # shellcheck disable=SC1090
    . "$env"
    # A program whose cases want Wine's own checks (heap checking, say) names them.
    if [ -n "${NORVIK_WINEDEBUG:-}" ]; then
        export WINEDEBUG=$NORVIK_WINEDEBUG
    fi
fi
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
run() {
    status=0
    if [ -n "${lock_fd:-}" ]; then
        # Only this script holds the lane: a helper process Wine starts must not keep it locked.
        "$wine" "$@" </dev/null >"$out" 2>"$err" {lock_fd}>&- || status=$?
    else
        "$wine" "$@" </dev/null >"$out" 2>"$err" || status=$?
    fi
}
run "$@"
# A 32-bit Wine program now and then fails before main: its address space collides with what
# Wine maps first. That is Wine failing to start it, not the program failing: once more. A
# program that printed anything has started, and its own failure is never retried.
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && grep -q 'failed to map the shared user data' "$err"; then
    echo "wine-run.sh: Wine could not start $1 (failed to map the shared user data); running it again" >&2
    run "$@"
fi
# Seen once in a thousand runs: the case passed, then the Unix loader failed its own check while
# the process exited. That is no verdict either: once more.
if [ "$status" -ne 0 ] && grep -q 'Inconsistency detected by ld.so: dl-fini.c' "$err" &&
    grep -q '^\[  PASSED  \]' "$out" && ! grep -q '^\[  FAILED  \]' "$out"; then
    echo "wine-run.sh: $1 passed, then Wine failed as it exited (ld.so's dl-fini check); running it again" >&2
    run "$@"
fi
# Every test program prints before it does anything. A failure with no output at all means
# the program never started (seen rarely under load, after a few hundredths of a second):
# that is no verdict on the test, so it runs once more, with Wine's own errors shown.
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    echo "wine-run.sh: $1 ended with status $status and printed nothing (${env:-listing prefix}); running it again" >&2
    WINEDEBUG=err+all run "$@"
fi
# The C runtime writes CR LF; CTest's test listing wants plain lines.
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    echo "wine-run.sh: $1 ended with status $status and printed nothing again (${env:-listing prefix})" >&2
fi
exit "$status"
