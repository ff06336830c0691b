#!/usr/bin/env bash
# The Windows release from the two built DLLs: build/dist/shexOddments-<version>-setup.exe,
# the NSIS installer, and build/dist/shexOddments-<version>.zip with the same
# files for registering by hand. With SIGN_PKCS12 (and SIGN_PASS) the DLLs,
# the uninstaller and the installer are signed.
#
# DIST_DIR and DIST_VERSION put the release elsewhere and label it otherwise;
# the tests use them for an older version to upgrade from.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out=${DIST_DIR:-$top/build/dist}
version=${DIST_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt 2>/dev/null)}
if [ -z "$version" ]; then
  echo "error: no project version; build first (make build)" >&2
  exit 1
fi
for arch in win32 win64; do
  if [ ! -f "build/$arch/shexOddments.dll" ]; then
    echo "error: build/$arch/shexOddments.dll is missing; build first (make build)" >&2
    exit 1
  fi
done

# The layout users see: one folder per bitness, each DLL under its own name,
# so that both register with the same registry texts.
stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage/64-bit" "$stage/32-bit"
cp build/win64/shexOddments.dll "$stage/64-bit/"
cp build/win32/shexOddments.dll "$stage/32-bit/"
cp README.md LICENSE "$stage/"

sign=()
if [ -n "${SIGN_PKCS12:-}" ]; then
  export SIGN_PKCS12 SIGN_PASS
  scripts/sign.sh "$stage/64-bit/shexOddments.dll"
  scripts/sign.sh "$stage/32-bit/shexOddments.dll"
  sign=(-DSIGN="$top/scripts/sign.sh")
fi

zip=$out/shexOddments-$version.zip
setup=$out/shexOddments-$version-setup.exe
rm -f "$zip" "$setup"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip 64-bit 32-bit README.md LICENSE)
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "${sign[@]}" installer/shexOddments.nsi
if [ ${#sign[@]} -gt 0 ]; then scripts/sign.sh "$setup"; fi
echo "$setup"
echo "$zip"
