#!/bin/bash
# Packs a Windows build as scripts/package.sh does, unpacks the archive into a fresh folder,
# checks that it holds exactly what a host developer gets, builds the minimal host from it
# with its CMake package and the C host with its CMake package (C only), gcc and clang, and
# runs them and the packaged sample host under Wine (the GUI test program's
# SampleHost.DISABLED_FromThePackage, DISABLED_MinimalHostFromThePackage and
# DISABLED_CHostFromThePackage cases).
#   check-package.sh BUILD_DIR --no-run
#   check-package.sh BUILD_DIR WINE_RUN [ARGS...] GUI_TEST_PROGRAM
set -euo pipefail
build=$(realpath "$1")
shift
work=$build/package-check
rm -rf "$work"
mkdir -p "$work/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
zip=$(echo "$work"/norvik-*-win*.zip)
[ -f "$zip" ] || { echo "no archive in $work"; exit 1; }
(cd "$work/unpacked" && cmake -E tar xf "$zip")
top=$work/unpacked/$(basename "$zip" .zip)

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
config=$(cache_value CMAKE_BUILD_TYPE | tr '[:upper:]' '[:lower:]')
expected="LICENSE.txt
README-host.txt
THIRD-PARTY-NOTICES.txt
bin/hostsdump.exe
bin/norvik.dll
bin/norvikhost.exe
examples/c-host/CMakeLists.txt
examples/c-host/main.c
examples/minimal-host/CMakeLists.txt
examples/minimal-host/main.cpp
include/norvik/EditorHost.h
include/norvik/NorvikApi.h
include/norvik/NorvikModule.h
include/norvik/norvik.h
lib/cmake/norvik/norvikConfig.cmake
lib/cmake/norvik/norvikConfigVersion.cmake
lib/cmake/norvik/norvikTargets-${config:-noconfig}.cmake
lib/cmake/norvik/norvikTargets.cmake
lib/libnorvik.dll.a
lib/norvik.def"
if ! diff <(echo "$expected") <(cd "$top" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); then
    echo "$(basename "$zip") holds other files than these (< expected, > found)"
    exit 1
fi
echo "$(basename "$zip"): $(echo "$expected" | wc -l) files, as expected"

# The minimal host, as a host developer builds it: its own build folder, the archive's CMake
# package found through CMAKE_PREFIX_PATH alone, the compilers of the archive's architecture.
minimal=$work/minimal-host
toolchain=$(cache_value CMAKE_TOOLCHAIN_FILE)
[[ $toolchain = /* ]] || toolchain=$(cache_value CMAKE_HOME_DIRECTORY)/$toolchain
{
    cmake -S "$top/examples/minimal-host" -B "$minimal" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$top" &&
        cmake --build "$minimal"
} >"$work/minimal-host.log" 2>&1 || { cat "$work/minimal-host.log"; exit 1; }
# And with the one g++ line README-host.txt gives.
gxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' "$toolchain")
(cd "$top" && "$gxx" -std=c++17 -municode -mwindows -DUNICODE -Iinclude \
    examples/minimal-host/main.cpp lib/libnorvik.dll.a -static -o "$work/minimal-host-gxx.exe") ||
    { echo "the g++ line of README-host.txt fails"; exit 1; }
echo "examples/minimal-host: built with the package's norvik::norvik, and with one g++ line"

# The export list an MSVC host makes its import library from names exactly what the DLL exports.
gcc=$(sed -n 's/^set(CMAKE_C_COMPILER \(.*\))$/\1/p' "$toolchain")
triple=$(basename "${gcc%-gcc*}")
listed=$(sed -n 's/^    \([A-Za-z]*\)$/\1/p' "$top/lib/norvik.def" | sort)
exported=$("$triple-objdump" -p "$top/bin/norvik.dll" |
    awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} t{t=0}' | sort)
[ "$listed" = "$exported" ] || { echo "lib/norvik.def lists other exports than norvik.dll has"; exit 1; }

# The C host: with the package's CMake package from a C-only project, and with clang for the
# MinGW target (the GCC runtime's folder given, as clang does not find the -posix one); C99,
# pedantic, no warning, no C++ runtime.
chost=$work/c-host
{
    cmake -S "$top/examples/c-host" -B "$chost" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$top" -DCMAKE_C_FLAGS=-pedantic &&
        cmake --build "$chost" &&
        clang --target="$triple" -std=c99 -pedantic -Wall -Wextra -Werror -municode -mwindows -DUNICODE \
            -I"$top/include" "$top/examples/c-host/main.c" -L"$(dirname "$("$gcc" -print-libgcc-file-name)")" \
            -o "$work/c-host-clang.exe" &&
        # The header alone, as a C host's first file has it.
        printf '#include <windows.h>\n#include "norvik/norvik.h"\nint f(const NorvikHost* h) { return NorvikInit(h); }\n' \
            >"$work/header-only.c" &&
        "$gcc" -std=c99 -pedantic -Wall -Wextra -Werror -I"$top/include" -c "$work/header-only.c" -o "$work/gcc.o" &&
        clang --target="$triple" -std=c99 -pedantic -Wall -Wextra -Werror -I"$top/include" -c "$work/header-only.c" \
            -o "$work/clang.o"
} >"$work/c-host.log" 2>&1 || { cat "$work/c-host.log"; exit 1; }
if "$triple-objdump" -p "$chost/c-host.exe" "$work/c-host-clang.exe" | grep -qi 'DLL Name: libstdc++'; then
    echo "the C host needs the C++ runtime"
    exit 1
fi
echo "examples/c-host: built with the package's CMake package (C only) and gcc, and with clang"

if [ "${1:-}" = --no-run ]; then
    echo "not run: 32-bit programs cannot run on this machine"
    exit 0
fi
# Wine sees the unpacked folder through drive Z:.
export NORVIK_PACKAGE_BIN="Z:${top//\//\\}\\bin"
export NORVIK_MINIMAL_HOST="Z:${minimal//\//\\}\\minimal-host.exe"
export NORVIK_C_HOST="Z:${chost//\//\\}\\c-host.exe"
cp "$work/c-host-clang.exe" "$chost/"
export NORVIK_C_HOST_CLANG="Z:${chost//\//\\}\\c-host-clang.exe"
"$@" --gtest_also_run_disabled_tests \
    --gtest_filter=SampleHost.DISABLED_FromThePackage:SampleHost.DISABLED_MinimalHostFromThePackage:SampleHost.DISABLED_CHostFromThePackage |
    tee "$work/run.log"
# A filter that matches nothing also ends with success.
grep -q '^\[  PASSED  \] 3 tests' "$work/run.log"
