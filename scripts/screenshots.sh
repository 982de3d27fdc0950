#!/bin/bash
# Takes pictures of the editor under Xvfb, with a window manager as on a desktop, for a
# person to look at: build/screenshots/*.png (the 32-bit build, the module's target).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
arch=${1:-i686}
if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "32-bit programs cannot run on this machine: taking the x86_64 build's pictures"
    arch=x86_64
fi
# Checked by package, not by command: a "convert" on PATH may be a stand-in.
if [ "$(dpkg-query -W -f='${Status}' imagemagick 2>/dev/null || true)" != "install ok installed" ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi
cmake --build "build/$arch" --target gui_wine_tests norvik >/dev/null
out=$root/build/screenshots
rm -rf "$out"
mkdir -p "$out"
env=$(mktemp -d)
trap 'scripts/wine-env.sh stop "$env"' EXIT
scripts/wine-env.sh start "$env"
(cd "build/$arch/bin" && NORVIK_SCREENSHOTS=$(WINEPREFIX=$env/lane0/prefix /usr/lib/wine/wine64 winepath -w "$out" 2>/dev/null | tr -d '\r') \
    "$root/scripts/wine-run.sh" "$env" gui_wine_tests.exe --gtest_also_run_disabled_tests \
    --gtest_filter='Screenshots.DISABLED_*:*.DISABLED_Screenshot*')
for bmp in "$out"/*.bmp; do
    /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"
