#!/bin/bash
# Builds the module, the sample host and hostsdump in Release for both architectures and
# writes the packages for host developers to dist/: norvik-VERSION-win32.zip (the 32-bit
# target) and norvik-VERSION-win64.zip. What they hold: packaging/Packaging.cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh run
mkdir -p build dist
for arch in i686 x86_64; do
    log=build/package-$arch.log
    {
        cmake -S . -B "build/$arch" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
            -DCMAKE_BUILD_TYPE=Release &&
            cmake --build "build/$arch" --target norvik norvikhost hostsdump &&
            cpack --config "build/$arch/CPackConfig.cmake" -B "$root/dist"
    } >"$log" 2>&1 || { cat "$log"; exit 1; }
done
rm -rf dist/_CPack_Packages
ls -l dist/*.zip
