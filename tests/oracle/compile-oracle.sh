#!/usr/bin/env bash
# compile-oracle.sh FOLDER: the setup that the end-to-end compile left in FOLDER (setup.exe,
# compiled with setup.ico) has a valid checksum and the chosen icon as its main icon group.
set -euo pipefail
folder=$1
here=$(cd "$(dirname "$0")" && pwd)
/usr/bin/python3 "$here/icon_oracle.py" main-icon "$folder/setup.exe" "$folder/setup.ico"
"$here/wrestool-icon-matches.sh" "$folder/setup.exe" "$folder/setup.ico" "$folder/extracted.ico"
echo "compiled setup: checksum valid, MAINICON is the chosen icon"
