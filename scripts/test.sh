#!/usr/bin/env bash
# Builds every target and runs every test: the host unit tests (with sanitizers), the
# fuzz targets over their corpora, the win64 unit tests under wine64 and the end-to-end
# tests under Xvfb. The win64 build's test list holds them all, so one ctest summary
# closes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for preset in host fuzz win32 win64; do
    echo "== building $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
ctest --preset win64
