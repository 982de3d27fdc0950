#!/bin/bash
# Installs the Debian packages a build needs, only when some are missing.
#   install-deps.sh run|test
set -euo pipefail
common=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth)
case ${1:-test} in
run) packages=("${common[@]}") ;;
test) packages=("${common[@]}" g++ clang libclang-rt-14-dev g++-mingw-w64-i686-posix libbenchmark-dev) ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
