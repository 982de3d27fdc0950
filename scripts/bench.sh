#!/bin/bash
# Builds and runs the benchmarks: the portable parser and formatter natively (Google
# Benchmark), then a full load and record save through the worker threads under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test
cmake -S . -B build/bench -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DNORVIK_SANITIZE=OFF >/dev/null
cmake -S . -B build/x86_64 -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target hosts_bench >/dev/null
cmake --build build/x86_64 --target hosts_wine_bench editor_wine_bench >/dev/null

build/bench/bin/hosts_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true

env=$(mktemp -d)
trap 'scripts/wine-env.sh stop "$env"' EXIT
scripts/wine-env.sh start "$env"
scripts/wine-run.sh "$env" build/x86_64/bin/hosts_wine_bench.exe
(cd build/x86_64/bin && "$root/scripts/wine-run.sh" "$env" editor_wine_bench.exe)
