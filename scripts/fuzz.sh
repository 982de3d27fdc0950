#!/bin/bash
# A long run of every libFuzzer target, one after another, the time shared among them.
#   fuzz.sh [seconds]      all targets together; 600 when not given
# Installs what is missing, builds its own tree (build/fuzz-long), keeps each target's
# corpus there from one run to the next (merged down to the inputs that add coverage), and
# prints for each target its executions, speed, coverage, corpus and any crash file.
# Fails when a target found something or did not run.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
total=${1:-600}
if ! [[ $total =~ ^[0-9]+$ ]] || [ "$total" -eq 0 ]; then
    echo "usage: $0 [seconds]" >&2
    exit 2
fi
scripts/install-deps.sh test || exit 1

tree=build/fuzz-long
mkdir -p build
if ! { cmake -S . -B "$tree" -G Ninja -Wno-dev -DNORVIK_FUZZ=ON -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ && cmake --build "$tree"; } >"$tree.log" 2>&1; then
    cat "$tree.log"
    exit 1
fi

# One line per target: name, seed folder, options (tab-separated), written by the build.
mapfile -t rows <"$tree/tests/fuzz/fuzz-targets.txt"
count=${#rows[@]}
share=$((total / count))
[ "$share" -ge 1 ] || share=1
echo "== $count targets, $share s each"

# The value after "name:" in a libFuzzer log, or "?".
final_stat() {
    local value
    value=$(grep -oE "^stat::$1: *[0-9]+" "$2" | tail -1 | grep -oE '[0-9]+$')
    echo "${value:-?}"
}

failed=0
for row in "${rows[@]}"; do
    IFS=$'\t' read -r name seeds options <<<"$row"
    corpus=$tree/corpus/$name
    artifacts=$tree/artifacts/$name
    log=$tree/logs/$name.log
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    # Crash files of earlier runs stay, but only this run's are reported.
    touch "$log.start"
    # shellcheck disable=SC2086 # options are separate words
    "$tree/bin/$name" -max_total_time="$share" -print_final_stats=1 -artifact_prefix="$artifacts/" $options \
        "$corpus" "$seeds" >"$log" 2>&1
    status=$?
    # Keep only the inputs that add coverage, so later runs start from a small corpus.
    rm -rf "$corpus.merged"
    mkdir -p "$corpus.merged"
    # shellcheck disable=SC2086
    if "$tree/bin/$name" -merge=1 $options "$corpus.merged" "$corpus" >"$log.merge" 2>&1; then
        rm -rf "$corpus"
        mv "$corpus.merged" "$corpus"
    else
        rm -rf "$corpus.merged"
    fi

    runs=$(final_stat number_of_executed_units "$log")
    speed=$(final_stat average_exec_per_sec "$log")
    coverage=$(grep -E '^#[0-9]+[[:space:]].* cov: ' "$log" | tail -1 |
        sed -E 's/.* cov: ([0-9]+) ft: ([0-9]+) corp: ([0-9]+)\/([0-9]+[a-zA-Z]*).*/cov \1, ft \2, corpus \3 inputs \/ \4/')
    files=$(find "$corpus" -type f | wc -l)
    echo "$name: $runs executions, $speed exec/s, ${coverage:-no coverage line}; $files files kept in $corpus"
    findings=$(find "$artifacts" -type f -newer "$log.start" | sort)
    if [ -n "$findings" ]; then
        while read -r file; do echo "   finding: $file"; done <<<"$findings"
        failed=1
    fi
    if [ "$status" -ne 0 ]; then
        echo "   exit status $status; log: $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|check failed|.*runtime error)' "$log" | head -5 | sed 's/^/   /'
        failed=1
    fi
done
exit "$failed"
