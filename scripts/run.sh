#!/bin/bash
# Installs what is missing, builds the module and the sample host and runs the editor under
# Wine, in a Wine prefix of this checkout's own (build/wineprefix), on $DISPLAY or on a
# private Xvfb display with a window manager.
#   run.sh [--32] [host arguments...]    --32: the 32-bit build (the module's target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
arch=x86_64
if [ "${1:-}" = --32 ]; then
    arch=i686
    shift
fi
scripts/install-deps.sh run
# Some machines cannot run 32-bit programs at all (no 32-bit execution in the kernel or the
# hypervisor); Wine would only say that ShellExecuteEx failed.
if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "This machine cannot run 32-bit programs, so the 32-bit build cannot be run here." >&2
    echo "Run the x86_64 build instead: scripts/run.sh${*:+ $*}" >&2
    exit 1
fi
mkdir -p build
cmake -S . -B "build/$arch" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "build/$arch" --target norvik norvikhost >"build/$arch.log" 2>&1 || { cat "build/$arch.log"; exit 1; }

export WINEPREFIX=${NORVIK_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd "build/$arch/bin"
if [ -z "${DISPLAY:-}" ]; then
    desktop=$(mktemp -d)
    trap '"$root/scripts/desktop.sh" stop "$desktop"; rm -rf "$desktop"' EXIT
    DISPLAY=$("$root/scripts/desktop.sh" start "$desktop")
    export DISPLAY
    echo "No display: running on a private Xvfb ($DISPLAY; close with Ctrl+C)."
fi
/usr/lib/wine/wine64 norvikhost.exe "$@"
