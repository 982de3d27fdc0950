#!/bin/bash
# Installs the Debian packages a build needs, only when some are missing.
#   install-deps.sh run|test
# The 32-bit Wine loader (wine32:i386) sits beside the 64-bit one: 64-bit Wine hands
# 32-bit programs to it, so the i686 build runs in the same prefix.
set -euo pipefail
common=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64
        wine32:i386 wine32-preloader:i386 xvfb xauth openbox)
case ${1:-test} in
run) packages=("${common[@]}") ;;
test) packages=("${common[@]}" googletest g++ clang libclang-rt-14-dev libbenchmark-dev clang-format clang-tidy) ;;
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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index (its size or hash); the others are still good.
if ! "${sudo[@]}" apt-get update -qq; then
    echo "install-deps.sh: warning: some package indexes failed to download; going on with the rest" >&2
fi
apt_install() {
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null
}
if ! apt_install; then
    # Without one suite's index, multi-arch twins can come from different suites at different
    # versions (amd64 from the security updates, i386 from the release); the release's own
    # suite alone gives equal ones.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || exit 1
    echo "install-deps.sh: the install did not resolve; trying again preferring the $codename suite" >&2
    apt_install -t "$codename"
fi
