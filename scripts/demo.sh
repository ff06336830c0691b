#!/usr/bin/env bash
# The extension at work outside Explorer: sample files in a Wine prefix of
# the demo's own, each DLL registered there with regsvr32, and the try-out
# host reaching the handler through COM activation as Explorer does.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

# One virtual X server for the whole demo: Wine's desktop process stays tied
# to the display it first ran on.
if [ -z "${ODDMENTS_DEMO_DISPLAY:-}" ]; then
  exec env ODDMENTS_DEMO_DISPLAY=1 xvfb-run -a "$0" "$@"
fi

export ODDMENTS_WINEPREFIX=$top/build/wine/demo
export WINEPREFIX=$ODDMENTS_WINEPREFIX
trap 'wineserver -k 2>/dev/null || true' EXIT

# Wine makes the prefix on first use; the samples go onto its C: drive.
scripts/wine-run cmd /c exit >/dev/null 2>&1
samples="$WINEPREFIX/drive_c/Oddments Demo"
mkdir -p "$samples/Sub folder"
printf 'Plain ANSI text\r\n' >"$samples/notes.txt"
printf 'Second file\r\n' >"$samples/read me.txt"

run_host() {
  local arch=$1
  shift
  echo
  echo "== $arch: oddments-host $*"
  scripts/wine-run "build/$arch/oddments-host.exe" "$@" || echo "(host exit status $?)"
}

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

for arch in win32 win64; do
  dll=$(windows_path "$top/build/$arch/shexOddments.dll")
  echo
  echo "== $arch: regsvr32 $dll"
  # A 32-bit DLL needs the 32-bit regsvr32, which Wine keeps in syswow64.
  regsvr32='C:\windows\system32\regsvr32.exe'
  [ "$arch" = win32 ] && regsvr32='C:\windows\syswow64\regsvr32.exe'
  scripts/wine-run "$regsvr32" /s "$dll" && echo "registered" || echo "regsvr32 failed: $?"
  run_host "$arch" 'C:\Oddments Demo\notes.txt' 'C:\Oddments Demo\read me.txt'
  run_host "$arch" 'C:\Oddments Demo\Sub folder'
done
