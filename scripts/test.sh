#!/bin/bash
# Installs what is missing, builds every configuration and runs every test:
# native (ASan+UBSan), 64-bit Windows under Wine, 32-bit Windows (built and inspected),
# the line parser's fuzz target, and the benchmarks (built only).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
scripts/install-deps.sh test || exit 1

configure() {
    local dir=$1
    shift
    mkdir -p build
    cmake -S . -B "build/$dir" -G Ninja -Wno-dev "$@" >"build/$dir.log" 2>&1 || { cat "build/$dir.log"; return 1; }
}
set -e
configure native -DCMAKE_BUILD_TYPE=RelWithDebInfo
configure x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
configure i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
configure fuzz -DNORVIK_FUZZ=ON -DNORVIK_FUZZ_SECONDS=30 -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
configure bench -DCMAKE_BUILD_TYPE=Release -DNORVIK_SANITIZE=OFF
for dir in native x86_64 i686 fuzz bench; do
    echo "== build $dir"
    cmake --build "build/$dir" >"build/$dir.log" 2>&1 || { cat "build/$dir.log"; exit 1; }
done
set +e

passed=0
failed=0
for dir in native i686 x86_64 fuzz; do
    echo "== test $dir"
    log=$(mktemp)
    ctest --test-dir "build/$dir" --output-on-failure 2>&1 | tee "$log"
    summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [ -z "$summary" ]; then
        failed=$((failed + 1))
        continue
    fi
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
done
echo
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
