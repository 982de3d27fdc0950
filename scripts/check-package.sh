#!/bin/bash
# Packs a Windows build as scripts/package.sh does, unpacks the archive into a fresh folder,
# checks that it holds exactly what a host developer gets, and runs the packaged sample host
# from there under Wine (the GUI test program's SampleHost.DISABLED_FromThePackage case).
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

expected="LICENSE.txt
README-host.txt
THIRD-PARTY-NOTICES.txt
bin/hostsdump.exe
bin/norvik.dll
bin/norvikhost.exe
include/module/EditorHost.h
include/module/NorvikApi.h
include/module/NorvikModule.h
lib/libnorvik.dll.a"
if ! diff <(echo "$expected") <(cd "$top" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); then
    echo "$(basename "$zip") holds other files than these (< expected, > found)"
    exit 1
fi
echo "$(basename "$zip"): $(echo "$expected" | wc -l) files, as expected"

if [ "${1:-}" = --no-run ]; then
    echo "not run: 32-bit programs cannot run on this machine"
    exit 0
fi
# Wine sees the unpacked folder through drive Z:.
export NORVIK_PACKAGE_BIN="Z:${top//\//\\}\\bin"
"$@" --gtest_also_run_disabled_tests --gtest_filter=SampleHost.DISABLED_FromThePackage | tee "$work/run.log"
# A filter that matches nothing also ends with success.
grep -q '^\[  PASSED  \] 1 test' "$work/run.log"
