#!/bin/bash
# Takes pictures of the editor under Xvfb for a person to look at: build/screenshots/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --build build/x86_64 --target gui_wine_tests norvik >/dev/null
out=$root/build/screenshots
rm -rf "$out"
mkdir -p "$out"
env=$(mktemp -d)
trap 'scripts/wine-env.sh stop "$env"' EXIT
scripts/wine-env.sh start "$env"
(cd build/x86_64/bin && NORVIK_SCREENSHOTS=$(WINEPREFIX=$env/prefix /usr/lib/wine/wine64 winepath -w "$out" 2>/dev/null | tr -d '\r') \
    "$root/scripts/wine-run.sh" "$env" gui_wine_tests.exe --gtest_also_run_disabled_tests \
    --gtest_filter='Screenshots.DISABLED_*:*.DISABLED_Screenshot*')
for bmp in "$out"/*.bmp; do
    /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"
