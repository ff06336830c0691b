#!/usr/bin/env bash
# Installs the cross toolchain, Wine, Xvfb, the test frameworks and the
# installer's tools (NSIS, osslsigncode) on a Debian machine; with --fuzz also
# clang and its fuzzer runtime. Idempotent: when
# everything is present it only checks and exits, without calling apt.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32 wine64 xvfb xauth
  googletest libgtest-dev libbenchmark-dev cmake ninja-build make g++
  nsis osslsigncode openssl
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
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# apt-get update fails as a whole when any one index fails (a mirror caught
# mid-sync, say), though it has read all the others: install from those.
if ! "${sudo_cmd[@]}" apt-get update -qq >"$log" 2>&1; then
  echo "warning: apt-get update failed; installing from the indexes that were read:" >&2
  sed 's/^/  /' "$log" >&2
fi

install() {
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >"$log" 2>&1
}

# Without one suite's index for one architecture (security's i386, say), the
# i386 candidates no longer match the amd64 ones and wine32's multi-arch
# dependencies cannot be met. Holding every architecture to the release's own
# suite makes them match again.
if ! install; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ -z "$codename" ]; then
    echo "error: apt-get install failed, and /etc/os-release names no codename to retry with:" >&2
    cat "$log" >&2
    exit 1
  fi
  echo "warning: apt-get install failed; retrying with every architecture held to $codename" >&2
  if ! install -o APT::Default-Release="$codename"; then
    echo "error: apt-get install failed again; apt said:" >&2
    cat "$log" >&2
    exit 1
  fi
fi
