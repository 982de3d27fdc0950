#!/bin/bash
# Builds and runs the benchmarks: the portable parser and formatter natively (Google
# Benchmark), then a full load and record save through the worker threads and the editor on
# the real DLL under Wine, for both Windows builds (i686 is the module's target), on a
# display with a window manager as users have.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test
mkdir -p build
cmake -S . -B build/bench -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DNORVIK_SANITIZE=OFF >/dev/null
cmake --build build/bench --target hosts_bench >/dev/null
for arch in i686 x86_64; do
    cmake -S . -B "build/$arch" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "build/$arch" --target hosts_wine_bench editor_wine_bench >/dev/null
done

build/bench/bin/hosts_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true

env=$(mktemp -d)
trap 'scripts/wine-env.sh stop "$env"' EXIT
scripts/wine-env.sh start "$env"
for arch in i686 x86_64; do
    echo "== $arch under Wine"
    scripts/wine-run.sh "$env" "build/$arch/bin/hosts_wine_bench.exe"
    (cd "build/$arch/bin" && "$root/scripts/wine-run.sh" "$env" editor_wine_bench.exe)
done
