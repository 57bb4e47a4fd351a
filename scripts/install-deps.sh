#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build and test the project.
# Runs apt-get only when a package is missing, so repeated calls cost nothing.
set -euo pipefail

packages=(
    cmake g++ clang libclang-rt-14-dev make
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    libgtest-dev libgmock-dev libbenchmark-dev googletest
    wine64 fonts-wine xvfb xauth imagemagick x11-utils
    python3 python3-pefile icoutils
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi
