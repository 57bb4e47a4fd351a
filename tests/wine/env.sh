# Sourced by the wine test scripts: one private prefix, home and display per build tree.
# KOLVANE_WINE_ROOT names the folder (the build tree's "wine").
: "${KOLVANE_WINE_ROOT:?KOLVANE_WINE_ROOT must name the wine folder of the test run}"
export WINEPREFIX="$KOLVANE_WINE_ROOT/prefix"
export HOME="$KOLVANE_WINE_ROOT/home"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
if [ -f "$KOLVANE_WINE_ROOT/display" ]; then
    DISPLAY=$(cat "$KOLVANE_WINE_ROOT/display")
    export DISPLAY
fi
