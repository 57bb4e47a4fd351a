#!/usr/bin/env bash
# run-e2e.sh DRIVER PROGRAM [gtest arguments]: runs the end-to-end driver against the
# program under wine64, then turns the screenshots it saved into PNG files.
set -uo pipefail
driver=$1 program=$2
shift 2
root=$(dirname "$driver")
work="$root/e2e-work" shots="$root/screenshots"
rm -rf "$work"
mkdir -p "$work" "$shots"
windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }
export KOLVANE_PROGRAM=$(windows_path "$program")
export KOLVANE_E2E_WORK=$(windows_path "$work")
export KOLVANE_SCREENSHOTS=$(windows_path "$shots")
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
"$(dirname "$0")/../wine/run.sh" "$driver" "$@"
status=$?
for bitmap in "$shots"/*.bmp; do
    [ -e "$bitmap" ] || continue
    convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
echo "screenshots: $shots"
exit $status
