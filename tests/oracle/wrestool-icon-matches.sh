#!/usr/bin/env bash
# wrestool-icon-matches.sh EXE ICO SCRATCH: the "MAINICON" group that wrestool extracts
# from EXE is the icon file ICO. wrestool pads the icon it rebuilds with as many zero
# bytes as the group holds (it does so for the linker's own output too): compare the
# icon, then check that only zeros follow.
set -euo pipefail
exe=$1 icon=$2 extracted=$3
wrestool -x -t 14 -n MAINICON -L 0 -o "$extracted" "$exe"
size=$(stat -c %s "$icon")
cmp -n "$size" "$extracted" "$icon"
[ -z "$(tail -c +$((size + 1)) "$extracted" | tr -d '\0')" ]
