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

# Wine reads the command line's file names in the terminal's character set.
export LC_ALL=C.UTF-8
export ODDMENTS_WINEPREFIX=$top/build/wine/demo
export WINEPREFIX=$ODDMENTS_WINEPREFIX
trap 'wineserver -k 2>/dev/null || true' EXIT

# Wine makes the prefix on first use; the samples go onto its C: drive.
scripts/wine-run cmd /c exit >/dev/null 2>&1
samples="$WINEPREFIX/drive_c/Oddments Demo"
mkdir -p "$samples/Sub folder"
rm -f "$samples"/*.txt
printf 'Plain ANSI text\r\n' >"$samples/notes.txt"
printf 'Second file\r\n' >"$samples/read me.txt"
# One file for each byte-order mark, and UTF-8 with a broken sequence.
printf '\xff\xfeU\x00T\x00F\x00-\x001\x006\x00 \x00\xe9\x00\r\x00\n\x00' >"$samples/utf16.txt"
printf '\xef\xbb\xbfUTF-8 \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xf0\x9f\x98\x80\r\n' >"$samples/utf8.txt"
printf 'ANSI caf\xe9 \x80 5\r\n' >"$samples/ansi.txt"
printf '\xef\xbb\xbfbroken \xc3( and \xed\xa0\x80 here\r\n' >"$samples/bad utf8.txt"
# A name that no Western code page holds.
printf '\xef\xbb\xbfReport \xe5\xa0\xb1\xe5\x91\x8a\r\n' >"$samples/報告 Привет.txt"

# No browser here: http URLs go to a stand-in that logs them.
mkdir -p "$WINEPREFIX/drive_c/InetPub/wwwroot/docs"
printf '<html>hello</html>\r\n' >"$WINEPREFIX/drive_c/InetPub/wwwroot/docs/Read Me.htm"
printf '<html>other</html>\r\n' >"$WINEPREFIX/drive_c/InetPub/wwwroot/docs/other.htm"
recorder=$(printf 'Z:%s' "$top/build/win64/url_recorder.exe" | tr / '\\')
scripts/wine-run reg add 'HKCR\http\shell\open\command' /ve /f \
  /d "\"$recorder\" \"C:\\Oddments Demo\\opened URLs.log\" \"%1\"" >/dev/null

run_host() {
  local arch=$1
  shift
  echo
  echo "== $arch: oddments-host $*"
  scripts/wine-run "build/$arch/oddments-host.exe" "$@" || echo "(host exit status $?)"
}

# Only what a command did: the invocation, any message box, and with
# --clipboard what the clipboard then holds.
run_command() {
  local arch=$1 shown='InvokeCommand|message box|answered|opened URL'
  shift
  if [ "$1" = --clipboard ]; then
    shown="$shown|clipboard|CF_"
    shift
  fi
  echo
  echo "== $arch: oddments-host $*"
  scripts/wine-run "build/$arch/oddments-host.exe" --answer ok --url-log 'C:\Oddments Demo\opened URLs.log' "$@" |
    grep -aE "$shown" || echo "(host failed)"
}

attributes() {
  for path in "$@"; do scripts/wine-run cmd /c attrib "$path" | tr -d '\r'; done
}
write_time() { stat -c '%y' "$samples/$1"; }
# Wine keeps the read-only attribute as the file's lack of write permission.
unix_mode() { stat -c '%A  %n' "$samples/$1" | sed "s|$samples/||"; }

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

D='C:\Oddments Demo'
notes='C:\Oddments Demo\notes.txt'
readme='C:\Oddments Demo\read me.txt'
folder='C:\Oddments Demo\Sub folder'
unicode='C:\Oddments Demo\報告 Привет.txt'

for arch in win32 win64; do
  dll=$(windows_path "$top/build/$arch/shexOddments.dll")
  echo
  echo "== $arch: regsvr32 $dll"
  # A 32-bit DLL needs the 32-bit regsvr32, which Wine keeps in syswow64.
  regsvr32='C:\windows\system32\regsvr32.exe'
  [ "$arch" = win32 ] && regsvr32='C:\windows\syswow64\regsvr32.exe'
  scripts/wine-run "$regsvr32" /s "$dll" && echo "registered" || echo "regsvr32 failed: $?"

  # The whole way, once: activation, selection, the menu.
  run_host "$arch" --run "Copy UNC" "$notes" "$readme" "$folder"
  run_command "$arch" --clipboard --run "Copy UNC" --ctrl "$notes" "$readme" "$folder"

  run_command "$arch" --run "Set read-only" "$notes" "$readme"
  attributes "$notes" "$readme"
  run_command "$arch" --run "Set read-only" --ctrl "$notes" "$readme"
  attributes "$notes" "$readme"

  # Joined from the last selected to the first.
  run_command "$arch" --clipboard --run "Copy content" "$D\\ansi.txt" "$D\\utf8.txt" "$D\\utf16.txt" "$D\\bad utf8.txt"
  run_command "$arch" --clipboard --run "Copy content" --ctrl "$notes"

  # Names outside the ANSI code page: whole in CF_UNICODETEXT; CF_TEXT has
  # what the shell's own ANSI calls make of them.
  run_command "$arch" --clipboard --run "Copy UNC" "$unicode"
  run_command "$arch" --clipboard --run "Copy content" "$unicode"
  run_command "$arch" --run "Set read-only" "$unicode"
  unix_mode "報告 Привет.txt"
  run_command "$arch" --run "Set read-only" --ctrl "$unicode"
  unix_mode "報告 Привет.txt"

  # Under the seeded C:\InetPub\wwwroot (only the first path opens), and
  # outside the map.
  run_command "$arch" --run "Open URL" 'C:\InetPub\wwwroot\docs\Read Me.htm' 'C:\InetPub\wwwroot\docs\other.htm'
  run_command "$arch" --clipboard --run "Open URL" "$notes"

  touch -d '2001-02-03 04:05:06' "$samples/notes.txt"
  echo "before Touch: $(write_time notes.txt)"
  run_command "$arch" --run "Touch (set date)" "$notes"
  echo "after Touch:  $(write_time notes.txt)"
done

# The release as a Windows user gets it: a silent install for this user
# alone, what it wrote, and a silent uninstall.
echo
echo "== installer: make dist, then setup /S (for this user, no administrator)"
setup=$(scripts/dist.sh | grep -- '-setup[.]exe$')
scripts/wine-run "$(windows_path "$setup")" /S && echo "installed" || echo "setup failed: $?"
user_key='HKCU\Software\Classes\CLSID\{FC02AD06-B816-4EA4-94BD-65178B1A0E10}\InprocServer32'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Oddments'
installed=$(scripts/wine-run reg query "$user_key" /ve | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
scripts/wine-run cmd /c dir /s /b '%LOCALAPPDATA%\Programs\Oddments' | tr -d '\r'
scripts/wine-run reg query "$user_key" | tr -d '\r' | grep -v '^$'
scripts/wine-run reg query "$uninstall_key" | tr -d '\r' | grep -v '^$'
run_command win64 --clipboard --dll "$installed" --run "Copy UNC" "$notes"

echo
echo "== installer: the uninstaller, silently"
quiet=$(scripts/wine-run reg query "$uninstall_key" /v QuietUninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
echo "$quiet"
uninstaller=$(printf '%s' "$quiet" | sed 's/^"\([^"]*\)".*/\1/')
scripts/wine-run "$uninstaller" /S || echo "uninstaller failed: $?"
# It runs from a copy of itself; wait for that copy to finish.
for _ in $(seq 100); do scripts/wine-run reg query "$uninstall_key" >/dev/null 2>&1 || break; sleep 0.2; done
scripts/wine-run reg query "$user_key" >/dev/null 2>&1 && echo "still registered" || echo "user's registration gone"
scripts/wine-run reg query "$uninstall_key" >/dev/null 2>&1 && echo "entry still there" || echo "uninstall entry gone"
scripts/wine-run reg query 'HKCU\SOFTWARE\Marrowgate Code Workshop\Oddments\URLs' | tr -d '\r' | grep -v '^$'
