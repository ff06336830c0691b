#!/usr/bin/env bash
# Installs the cross toolchain, Wine, Xvfb and the test frameworks on a Debian
# machine; with --fuzz also clang and its fuzzer runtime. Idempotent: when
# everything is present it only checks and exits.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32 wine64 xvfb xauth
  googletest libgtest-dev libbenchmark-dev cmake ninja-build make g++
)
if [ "${1:-}" = --fuzz ]; then packages+=(clang libclang-rt-14-dev); fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# wine32 needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  arch_p=$p
  [ "$p" = wine32 ] && arch_p=wine32:i386
  if ! dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$arch_p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
