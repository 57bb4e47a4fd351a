#!/usr/bin/env bash
# setup: a display (Xvfb when none is given), a wine prefix with a virtual desktop, and a
# persistent wineserver, shared by every Windows test of the run. cleanup: stops them.
set -uo pipefail
KOLVANE_WINE_ROOT=${KOLVANE_WINE_ROOT:?}
mkdir -p "$KOLVANE_WINE_ROOT"
rm -f "$KOLVANE_WINE_ROOT/display"
source "$(dirname "$0")/env.sh"

case "${1:-}" in
setup)
    if [ -z "${DISPLAY:-}" ]; then
        exec 3>"$KOLVANE_WINE_ROOT/xvfb.display"
        setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$KOLVANE_WINE_ROOT/xvfb.log" 2>&1 &
        echo $! >"$KOLVANE_WINE_ROOT/xvfb.pid"
        exec 3>&-
        for _ in $(seq 100); do
            [ -s "$KOLVANE_WINE_ROOT/xvfb.display" ] && break
            sleep 0.1
        done
        DISPLAY=":$(cat "$KOLVANE_WINE_ROOT/xvfb.display")"
    fi
    echo "$DISPLAY" >"$KOLVANE_WINE_ROOT/display"
    export DISPLAY
    # Wine's shell folders must point into this home, so the desktop exists first.
    mkdir -p "$HOME/Desktop"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot -i >"$KOLVANE_WINE_ROOT/wineboot.log" 2>&1
        # Title-bar buttons are Marlett glyphs; without the font in the prefix they show
        # as letters in screenshots.
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    setsid "$WINESERVER" -p >/dev/null 2>&1 </dev/null
    echo "wine ready on display $DISPLAY"
    ;;
cleanup)
    "$WINESERVER" -k >/dev/null 2>&1
    if [ -f "$KOLVANE_WINE_ROOT/xvfb.pid" ]; then
        kill "$(cat "$KOLVANE_WINE_ROOT/xvfb.pid")" 2>/dev/null
        rm -f "$KOLVANE_WINE_ROOT/xvfb.pid" "$KOLVANE_WINE_ROOT/display"
    fi
    ;;
*)
    echo "usage: $0 setup|cleanup" >&2
    exit 2
    ;;
esac
