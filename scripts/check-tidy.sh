#!/bin/bash
# Runs clang-tidy with the project's .clang-tidy on every source of the project: the native
# build's (the portable code, its tests, the benchmark) and the 64-bit Windows build's (the
# Windows code and its Wine tests, parsed for the MinGW-w64 target with its libstdc++).
# Fails on any finding.
#   check-tidy.sh [native|windows]...   (both when none is named)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(native windows)
# Our own sources; GoogleTest's and precompiled headers are not.
sources="^$root/(about|bench|controls|editing|form|host|hosts|module|paths|resources|settings|tests|ui|win32)/.*\\.cpp\$"
status=0
for part in "${parts[@]}"; do
    dir=build/tidy-$part
    extra=()
    case $part in
    native) options=(-DNORVIK_SANITIZE=OFF) ;;
    windows)
        options=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake "-DNORVIK_WINE_LIST_PREFIX=$root/build/wine-list")
        extra=(-extra-arg-before=--target=x86_64-w64-mingw32)
        # clang finds MinGW's C headers itself, but not the posix-thread libstdc++ beside them.
        while read -r include; do
            extra+=("-extra-arg=-isystem$include")
        done < <(echo | x86_64-w64-mingw32-g++-posix -xc++ -E -v - 2>&1 | grep -E '^ /.*/include/c\+\+')
        ;;
    *) echo "usage: $0 [native|windows]..." >&2; exit 2 ;;
    esac
    mkdir -p build
    cmake -S . -B "$dir" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "${options[@]}" \
        >"$dir.log" 2>&1 || { cat "$dir.log"; exit 1; }
    log=$dir/tidy.log
    # run-clang-tidy colours its output whatever it writes to; the log is kept plain.
    if run-clang-tidy -quiet -p "$dir" -j "$(nproc)" "${extra[@]}" "$sources" 2>&1 |
        sed 's/\x1b\[[0-9;]*m//g' >"$log"; then
        echo "tidy $part: $(grep -c '^clang-tidy' "$log") files, no findings"
    else
        grep -E '^/.*: (warning|error): ' "$log" | sort -u | sed "s|^$root/||" || true
        echo "tidy $part: findings above (whole output: $log)"
        status=1
    fi
done
exit "$status"
