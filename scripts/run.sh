#!/bin/bash
# Installs what is missing, builds the 64-bit module and the sample host and runs the editor
# under Wine, in a Wine prefix of this checkout's own (build/wineprefix), on $DISPLAY or on a
# private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh run
cmake -S . -B build/x86_64 -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/x86_64 --target norvik norvikhost >build/x86_64.log 2>&1 || { cat build/x86_64.log; exit 1; }

export WINEPREFIX=${NORVIK_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd build/x86_64/bin
if [ -n "${DISPLAY:-}" ]; then
    /usr/lib/wine/wine64 norvikhost.exe "$@"
else
    echo "No display: running on a private Xvfb (close with Ctrl+C)."
    xvfb-run -a /usr/lib/wine/wine64 norvikhost.exe "$@"
fi
