#!/usr/bin/env bash
# Compiles a project of 200 files totalling 512 MiB through the builder window under
# wine64 and, in the same run, concatenates the same files with a plain Win32 program.
# Also prints the size of the program without a package, for both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" --target kolvane-installer
done
cmake --build --preset win64 -j "$(nproc)" --target compile_bench concat_files

data=$PWD/build/bench-data
files=$data/files
if [ ! -f "$files/f199.bin" ]; then
    rm -rf "$files" && mkdir -p "$files"
    total=$((512 << 20)) count=200
    for i in $(seq 0 $((count - 1))); do
        size=$((total / count)); [ "$i" = $((count - 1)) ] && size=$((total - size * (count - 1)))
        head -c "$size" /dev/urandom >"$files/$(printf 'f%03d.bin' "$i")"
    done
fi

windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }
export KOLVANE_WINE_ROOT=$PWD/build/bench-wine
tests/wine/fixture.sh setup >/dev/null
trap 'tests/wine/fixture.sh cleanup' EXIT HUP INT PIPE TERM
mkdir -p "$data/work" "$data/shots"
export KOLVANE_PROGRAM=$(windows_path build/win64/src/app/kolvane-installer.exe)
export KOLVANE_E2E_WORK=$(windows_path "$data/work")
export KOLVANE_SCREENSHOTS=$(windows_path "$data/shots")
tests/wine/run.sh build/win64/bench/compile_bench.exe "$(windows_path "$files")\\" \
    "$(windows_path build/win64/bench/concat_files.exe)" "$(windows_path tests/fixtures/pictures/setup.ico)"
echo "program without a package: win32 $(stat -c %s build/win32/src/app/kolvane-installer.exe) bytes," \
     "win64 $(stat -c %s build/win64/src/app/kolvane-installer.exe) bytes"
