#!/bin/bash
# Installs what is missing, builds every configuration and runs every test case:
# native (ASan+UBSan), 64-bit and 32-bit Windows under Wine, the fuzz targets, and the
# benchmarks (built only); then the project's checks (layering, layout, clang-tidy).
# Ends with one line: tests: N passed, M failed, K skipped.
#
# The two Wine suites and the native suite run side by side: each Wine build has an
# environment of its own (prefix, wineserver, display), so they cannot disturb each other.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
scripts/install-deps.sh test || exit 1
started=$(date +%s)

configure() {
    local dir=$1
    shift
    mkdir -p build
    cmake -S . -B "build/$dir" -G Ninja -Wno-dev "$@" >"build/$dir.log" 2>&1 || { cat "build/$dir.log"; return 1; }
}
set -e
configure native -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Both Windows builds list their test cases in one Wine prefix, made once.
list_prefix=-DNORVIK_WINE_LIST_PREFIX=$root/build/wine-list
configure x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release "$list_prefix"
configure i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release "$list_prefix"
configure fuzz -DNORVIK_FUZZ=ON -DNORVIK_FUZZ_SECONDS=30 -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
configure bench -DCMAKE_BUILD_TYPE=Release -DNORVIK_SANITIZE=OFF
for dir in native x86_64 i686 fuzz bench; do
    echo "== build $dir"
    cmake --build "build/$dir" >"build/$dir.log" 2>&1 || { cat "build/$dir.log"; exit 1; }
done
set +e
echo "== built in $(($(date +%s) - started)) s"

# One CTest run; its log is build/DIR/test.log.
run_tests() {
    local dir=$1
    ctest --test-dir "build/$dir" --output-on-failure -j2 >"build/$dir/test.log" 2>&1
}
run_tests x86_64 &
lane_x86_64=$!
run_tests i686 &
lane_i686=$!
(run_tests native; run_tests fuzz) &
lane_native=$!
# Static analysis reads the sources meanwhile: the Wine cases spend much of their time waiting.
scripts/check-tidy.sh >build/tidy.log 2>&1 &
tidy=$!
wait "$lane_x86_64" "$lane_i686" "$lane_native"

passed=0
failed=0
skipped=0
for dir in native fuzz i686 x86_64; do
    log=build/$dir/test.log
    # One line per finished test; the Wine environment's set-up and clean-up are not cases.
    results=$(grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$log" | grep -Ev ' wine_env_(start|stop) ')
    ok=$(grep -c ' Passed ' <<<"$results")
    skip=$(grep -c '\*\*\*Skipped' <<<"$results")
    bad=$(grep -Evc ' Passed |\*\*\*Skipped' <<<"$results")
    [ -n "$results" ] || bad=0
    if ! grep -qE 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log"; then
        bad=$((bad + 1)) # CTest itself did not finish
    fi
    echo "== test $dir: $ok passed, $bad failed, $skip skipped"
    if [ "$skip" -gt 0 ]; then
        grep '\*\*\*Skipped' <<<"$results" | sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+).*/   skipped: \1/'
    fi
    if [ "$bad" -gt 0 ]; then
        cat "$log"
    fi
    passed=$((passed + ok))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
done
# The project's own checks, one result each: the folders' layering (a lower one never
# includes a higher one), the code's layout, and static analysis.
for check in check-layers check-format; do
    if scripts/$check.sh; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
if wait "$tidy"; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi
cat build/tidy.log
echo "== finished in $(($(date +%s) - started)) s"
echo
echo "tests: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
