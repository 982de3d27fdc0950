#!/bin/bash
# Builds and runs the benchmarks: the portable parser and formatter natively (Google
# Benchmark, 200,000 and 1,000,000 lines), then for both Windows builds (i686 first, the
# module's target) a load and record save through the worker threads, and the editor on the
# real DLL with 200,000, 1,000,000 and 3,000,000 lines, each size in a process of its own so
# that its peak working set is its own, on a display with a window manager as users have:
# load, save, Refresh, the text view and typing, and how long the host's window kept a user
# waiting meanwhile.
# Ends with a summary table; the full output of each program is kept in the logs folder.
#   BENCH_BUILD         prefix of the Windows build trees (default build/: build/i686, build/x86_64)
#   BENCH_NATIVE_BUILD  the native Release tree (default ${BENCH_BUILD}bench)
# Timings on a shared machine are noisy: compare medians of several runs, not single figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test
prefix=${BENCH_BUILD:-build/}
native=${BENCH_NATIVE_BUILD:-${prefix}bench}
archs=(i686 x86_64)
# Some machines cannot run 32-bit programs at all (no 32-bit execution in the kernel or the
# hypervisor); there the 32-bit build is left out and the summary says so.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    archs=(x86_64)
    echo "32-bit programs cannot run on this machine: only the x86_64 build is measured"
fi
sizes=(200000 1000000 3000000)
# Fewer runs for the big files: a 3,000,000-line load takes long enough to be measured once.
runs_for() {
    case $1 in
    200000) echo 5 ;;
    3000000) echo 1 ;;
    *) echo 3 ;;
    esac
}

# Runs a step silently; its output shows only when it fails.
quiet() {
    local out
    out=$(mktemp)
    "$@" >"$out" 2>&1 || { cat "$out"; rm -f "$out"; return 1; }
    rm -f "$out"
}
mkdir -p "$native" "$(dirname "${prefix}x")"
quiet cmake -S . -B "$native" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DNORVIK_SANITIZE=OFF
quiet cmake --build "$native" --target hosts_bench
# One tree at a time: builds in parallel would only fight over the cores.
for arch in "${archs[@]}"; do
    quiet cmake -S . -B "$prefix$arch" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release
    quiet cmake --build "$prefix$arch" --target hosts_wine_bench editor_wine_bench
done

logs=$root/$native/bench-logs
[[ $native == /* ]] && logs=$native/bench-logs
rm -rf "$logs"
mkdir -p "$logs"

echo "== native model (Google Benchmark)"
"$native/bin/hosts_bench" --benchmark_repetitions=7 --benchmark_report_aggregates_only=true \
    --benchmark_out="$logs/native.csv" --benchmark_out_format=csv | tee "$logs/native.txt"

env=$(mktemp -d)
trap 'scripts/wine-env.sh stop "$env"' EXIT
scripts/wine-env.sh start "$env"

# Runs a Windows program from its build tree; its output goes to the screen and to LOG, and
# its exit status to LOG.status. The program limits its own waits; the timeout is a backstop.
run_wine() {
    local log=$1 dir=$2
    shift 2
    local status=0
    (cd "$dir" && timeout --kill-after=30 1800 "$root/scripts/wine-run.sh" "$env" "$@") >"$log" 2>&1 || status=$?
    cat "$log"
    echo "$status" >"$log.status"
}

for arch in "${archs[@]}"; do
    bin=$prefix$arch/bin
    echo "== $arch: model through its worker threads (hosts_wine_bench)"
    run_wine "$logs/$arch-model.txt" "$bin" hosts_wine_bench.exe
    run_wine "$logs/$arch-model-1m.txt" "$bin" hosts_wine_bench.exe 1000000
    for lines in "${sizes[@]}"; do
        runs=$(runs_for "$lines")
        echo "== $arch: editor on the real DLL, $lines lines, $runs runs (editor_wine_bench)"
        run_wine "$logs/$arch-editor-$lines.txt" "$bin" editor_wine_bench.exe "$lines" "$runs"
    done
done

# key=value from a program's "result:" line, or "-".
field() {
    local value
    value=$(grep -m1 '^result:' "$1" | grep -o " $2=[^ ]*" | cut -d= -f2 || true)
    echo "${value:--}"
}

echo
echo "==== summary (medians; MB = 2^20 bytes; noisy: the machine is shared) ===="
echo "native model (MB/s from CPU time, as Google Benchmark counts it):"
awk -F, '
    $1 ~ /_median"?$/ {
        name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
        split(name, part, "/")
        rate = $6 != "" ? sprintf("%7.1f MB/s", $6 / 1048576) : ""
        printf "  %-16s %8s lines %12s   real %7.1f %s, cpu %7.1f %s\n", part[1], part[2], rate, $3, $5, $4, $5
    }' "$logs/native.csv"
for arch in "${archs[@]}"; do
    for model in model model-1m; do
        echo "$arch model through its threads ($(grep -o '^file: [0-9]* lines' "$logs/$arch-$model.txt" | cut -d' ' -f2) lines; its MB/s count 10^6 bytes):"
        grep -E '^(load|record save)' "$logs/$arch-$model.txt" | sed 's/^/  /' ||
            echo "  (no figures; exit $(cat "$logs/$arch-$model.txt.status"))"
    done
done
echo "editor on the real DLL under Wine (load = Activate to table filled and Refresh enabled; save = SaveHosts after one"
echo "toggle, the load's first, keeping a backup; again = a second save of the same load, none; wait = the host's window's):"
printf '  %-6s %8s %8s %16s %16s %9s %9s %10s %10s %10s  %s\n' arch lines "file MB" "load ms (1st)" "save ms (1st)" \
    "save wait" "again ms" "peak load" "peak save" "WS closed" outcome
for arch in "${archs[@]}"; do
    for lines in "${sizes[@]}"; do
        log=$logs/$arch-editor-$lines.txt
        status=$(cat "$log.status")
        outcome=$(field "$log" outcome)
        case $status in
        0) ;;
        4) outcome="gave up waiting" ;;
        5) outcome="crashed" ;;
        124 | 137) outcome="killed by the backstop timeout" ;;
        *) outcome="$outcome (exit $status)" ;;
        esac
        printf '  %-6s %8s %8s %16s %16s %9s %9s %10s %10s %10s  %s\n' "$arch" "$lines" "$(field "$log" file_mb)" \
            "$(field "$log" load_ms) ($(field "$log" load_first_ms))" \
            "$(field "$log" save_ms) ($(field "$log" save_first_ms))" "$(field "$log" save_stall_ms)" \
            "$(field "$log" save_again_ms)" \
            "$(field "$log" peak_load_mb)" "$(field "$log" peak_save_mb)" "$(field "$log" ws_closed_mb)" "$outcome"
        grep -E '^(load failed|save failed|gave up|crashed)' "$log" | sed 's/^/           /' || true
    done
done
echo "Delete of many rows (ms from the answer Yes to the table without them; the host window's longest wait):"
printf '  %-6s %8s %12s %10s %14s %10s\n' arch lines "first half" wait "every other" wait
for arch in "${archs[@]}"; do
    for lines in "${sizes[@]}"; do
        log=$logs/$arch-editor-$lines.txt
        printf '  %-6s %8s %12s %10s %14s %10s\n' "$arch" "$lines" "$(field "$log" delete_half_ms)" \
            "$(field "$log" delete_half_stall_ms)" "$(field "$log" delete_other_ms)" "$(field "$log" delete_other_stall_ms)"
    done
done
echo "the host's window meanwhile (longest wait for an answer, ms; text view and typing up to 1,000,000 lines):"
printf '  %-6s %8s %10s %12s %12s %14s %14s %10s\n' arch lines "load wait" "refresh ms" "refresh wait" \
    "text view ms" "text wait" "char ms"
for arch in "${archs[@]}"; do
    for lines in "${sizes[@]}"; do
        log=$logs/$arch-editor-$lines.txt
        printf '  %-6s %8s %10s %12s %12s %14s %14s %10s\n' "$arch" "$lines" "$(field "$log" load_stall_ms)" \
            "$(field "$log" refresh_ms)" "$(field "$log" refresh_stall_ms)" "$(field "$log" text_ms)" \
            "$(field "$log" text_stall_ms)" "$(field "$log" char_ms)"
    done
done
echo "full output: $logs"
