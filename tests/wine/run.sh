#!/usr/bin/env bash
# Runs a Windows program of the tests under wine64 in the test run's prefix and display.
# Wine's helper processes outlive the program and would hold a pipe open, so the
# program's output goes through a file.
set -uo pipefail
source "$(dirname "$0")/env.sh"
log=$(mktemp "$KOLVANE_WINE_ROOT/run.XXXXXX")
"$WINE" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status
