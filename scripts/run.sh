#!/usr/bin/env bash
# Builds the 64-bit program and starts the builder under wine64: on $DISPLAY when there
# is one, otherwise on a virtual display, where it saves a screenshot and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target kolvane-installer
program=$PWD/build/win64/src/app/kolvane-installer.exe

own_display=${DISPLAY:-}
export KOLVANE_WINE_ROOT=$PWD/build/run-wine
tests/wine/fixture.sh setup >/dev/null
cleanup() { tests/wine/fixture.sh cleanup; }
trap cleanup EXIT HUP INT PIPE TERM
source tests/wine/env.sh

if [ -z "$own_display" ]; then
    "$WINE" "$program" >"$KOLVANE_WINE_ROOT/program.log" 2>&1 &
    pid=$!
    sleep 6
    screenshot=$PWD/build/builder.png
    import -display "$DISPLAY" -window root "$screenshot"
    echo "The builder runs on a virtual display; screenshot: $screenshot"
    kill "$pid" 2>/dev/null || true
else
    "$WINE" "$program" >"$KOLVANE_WINE_ROOT/program.log" 2>&1
fi
