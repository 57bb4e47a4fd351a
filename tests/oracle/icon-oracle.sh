#!/usr/bin/env bash
# Gives copies of both delivered program files a package behind them and a new main icon,
# then checks the result with pefile and wrestool, and starts the 64-bit copy under wine.
# Usage: icon-oracle.sh CHANGE_ICON_TOOL WIN32_EXE WIN64_EXE WORK_DIR
set -euo pipefail
tool=$1 win32=$2 win64=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work"

/usr/bin/python3 "$here/icon_oracle.py" make-files "$work"
for bits in 32 64; do
    src=$win32; [ "$bits" = 64 ] && src=$win64
    exe="$work/setup$bits.exe"
    cat "$src" "$work/package.bin" > "$exe"
    "$tool" "$exe" MAINICON "$work/new.ico"
    /usr/bin/python3 "$here/icon_oracle.py" check "$exe" "$src" "$work/package.bin" "$work/new.ico"
    "$here/wrestool-icon-matches.sh" "$exe" "$work/new.ico" "$work/extracted$bits.ico"
    echo "win$bits: checksum, resources, package and extracted icon as expected"
done

# The 64-bit copy must still start: a broken image fails at once, a sound one keeps its
# window open until we stop it.
exe="$work/setup64.exe"
cp "$exe" "$work/before.exe"
"$here/../wine/run.sh" "$exe" > "$work/wine.log" 2>&1 &
runner=$!
sleep 4
if ! kill -0 "$runner" 2>/dev/null; then
    wait "$runner" || true
    cat "$work/wine.log"
    echo "the 64-bit copy ended at once" >&2
    exit 1
fi
source "$here/../wine/env.sh"
"$WINESERVER" -k || true
wait "$runner" 2>/dev/null || true
cmp "$exe" "$work/before.exe"
/usr/bin/python3 "$here/icon_oracle.py" package "$exe" "$work/package.bin"
echo "win64 copy started under wine64 and its package is unchanged"
