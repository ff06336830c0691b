#!/usr/bin/env bash
# Runs the benchmarks and prints their ratios, each on a line of its own
# that starts with its name (P4 1.81). Goals, not tests: nothing fails here.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ODDMENTS_BENCH_DISPLAY:-}" ]; then
  exec env ODDMENTS_BENCH_DISPLAY=1 xvfb-run -a "$0" "$@"
fi
export ODDMENTS_WINEPREFIX=$PWD/build/wine/bench
export WINEPREFIX=$ODDMENTS_WINEPREFIX
trap 'wineserver -k 2>/dev/null || true' EXIT

for arch in win32 win64; do
  echo "== $arch"
  scripts/wine-run "build/$arch/menu_bench.exe"
done
