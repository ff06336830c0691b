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

echo "== native: decoders against memcpy"
build/native-release/decode_bench --benchmark_min_time=0.2 | grep -E '^(P[0-9]|Decode|Memcpy|Copy)'

for arch in win32 win64; do
  echo "== $arch: decoder against MultiByteToWideChar"
  scripts/wine-run "build/$arch/decode_wine_bench.exe"
  echo "== $arch: menu and Copy UNC"
  scripts/wine-run "build/$arch/menu_bench.exe"
  echo "== $arch: Copy content"
  scripts/wine-run "build/$arch/copy_content_bench.exe"
done
