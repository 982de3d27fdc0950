#!/bin/bash
# Runs one Windows test program in the run's throwaway Wine environment (see wine-env.sh).
#   wine-run.sh DIR PROGRAM [ARGS...]
set -euo pipefail
dir=$1
shift
if [ ! -f "$dir/env" ]; then
    echo "wine-run.sh: no Wine environment in $dir; run the tests through ctest" >&2
    exit 2
fi
# shellcheck disable=SC1091
. "$dir/env"
exec /usr/lib/wine/wine64 "$@"
