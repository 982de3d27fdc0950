#!/bin/bash
# Fails when a C or C++ file of the project is not laid out as .clang-format says, naming each
# one; --fix formats them in place. Tables laid out by hand sit between
# "// clang-format off" and "// clang-format on".
#   check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
# One run for all files; each misplaced line is reported as "FILE:LINE:COL: error: ...".
if report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    echo "format: ${#files[@]} files as .clang-format lays them out"
    exit 0
fi
grep -oE '^[^:]+:[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /; s/$/ (scripts\/check-format.sh --fix)/'
exit 1
