#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine and
# fetches the 7-Zip C SDK sources into the build tree. Idempotent: when all is
# present it only checks and returns.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
deps="${VANTRELL_DEPS:-$root/build/deps}"

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 wine32:i386
  msitools wixl gcab 7zip
  xvfb xauth imagemagick
  libgtest-dev libgmock-dev libbenchmark-dev hyperfine
  dpkg-dev
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_ dpkg --add-architecture i386
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
  done
fi

# Source packages are needed for the 7-Zip SDK.
need_update=0
for f in /etc/apt/sources.list.d/debian.sources; do
  if [ -f "$f" ] && grep -q '^Types: deb$' "$f"; then
    sudo_ sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    need_update=1
  fi
done
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | sudo_ tee -a /etc/apt/sources.list >/dev/null
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  sudo_ apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 7-Zip C SDK, built from Debian's source package, never committed.
if [ ! -f "$deps/7zip/C/7zArcIn.c" ]; then
  mkdir -p "$deps"
  tmp="$(mktemp -d "$deps/src.XXXXXX")"
  chmod 755 "$tmp"
  (cd "$tmp" && apt-get source -qq --download-only 7zip >/dev/null && dpkg-source -x --no-check ./*.dsc sdk >/dev/null)
  rm -rf "$deps/7zip"
  mv "$tmp/sdk" "$deps/7zip"
  rm -rf "$tmp"
fi
echo "setup: ok ($deps/7zip)"
