#!/usr/bin/env bash
# Runs every test: the portable logic natively (with ASan and UBSan), then
# both DLLs' tests under Wine, inside one virtual X server for the windows
# and message boxes some tests show.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native --timeout 300

# Wine's desktop process is tied to this run's X server: it stops before the
# X server does.
export WINEPREFIX=$PWD/build/wine/tests
xvfb-run -a bash -c '
  status=0
  ctest --preset win32 -j2 --timeout 300 || status=1
  ctest --preset win64 -j2 --timeout 300 || status=1
  wineserver -k 2>/dev/null || true
  exit $status'
