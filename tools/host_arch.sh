# Which engine this host can test: the 32-bit engine needs a kernel that runs
# 32-bit x86 programs (32-bit Wine does too); without one the 64-bit engine
# runs under the 64-bit Wine loader. Sourced by tools/sample.sh, tools/test.sh
# and tests/wine/lib.sh; defines functions only.
# shellcheck shell=bash

VANTRELL_ROOT="${VANTRELL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

# host_runs_32bit: true when the kernel runs a 32-bit x86 program. The answer
# is exported in VANTRELL_HOST_32BIT (1 or 0; set it to choose by hand), so
# nested scripts do not ask again.
host_runs_32bit() {
  if [ -z "${VANTRELL_HOST_32BIT:-}" ]; then
    # An i386 ELF that only calls exit(0): written out here because the answer
    # is needed before anything is installed or built. It lives in the build
    # tree, as /tmp may be mounted noexec, under a name of this shell's own so
    # that runs side by side do not write it while another executes it.
    local probe="$VANTRELL_ROOT/build/host-probe-i386.$$"
    mkdir -p "$VANTRELL_ROOT/build"
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    if ( "$probe" ) >/dev/null 2>&1; then VANTRELL_HOST_32BIT=1; else VANTRELL_HOST_32BIT=0; fi
    rm -f "$probe"
    export VANTRELL_HOST_32BIT
  fi
  [ "$VANTRELL_HOST_32BIT" = 1 ]
}

# engine_preset: the build preset whose engine this host runs.
engine_preset() {
  if host_runs_32bit; then echo win32; else echo win64; fi
}

# host_arch_note: the one line that says the 64-bit engine is used, if it is.
host_arch_note() {
  host_runs_32bit || echo "host cannot run 32-bit programs: using the 64-bit engine under wine64"
}

# wine64_loader: the Wine loader that runs 64-bit programs here. Debian keeps
# it out of PATH, and its `wine` script insists on the 32-bit loader once
# wine32 is installed.
wine64_loader() {
  local w
  for w in "$(command -v wine64 2>/dev/null)" /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 \
    /usr/lib64/wine/wine64 "$(command -v wine 2>/dev/null)"; do
    [ -n "$w" ] && [ -x "$w" ] && "$w" --version >/dev/null 2>&1 && { echo "$w"; return 0; }
  done
  echo "no Wine loader for 64-bit programs found (is wine64 installed?)" >&2
  return 1
}

# use_wine64: puts wine, wine64, winepath and wineboot in front of PATH, all
# going to the 64-bit loader, so every script below runs 64-bit Wine; Wine
# itself starts new processes with WINELOADER.
use_wine64() {
  [ -n "${VANTRELL_WINE64_BIN:-}" ] && return 0
  local loader bin="$VANTRELL_ROOT/build/wine/bin64"
  loader="$(wine64_loader)" || return 1
  mkdir -p "$bin"
  printf '#!/bin/sh\nexec "%s" "$@"\n' "$loader" >"$bin/wine"
  cp "$bin/wine" "$bin/wine64"
  printf '#!/bin/sh\nexec "%s" winepath.exe "$@"\n' "$loader" >"$bin/winepath"
  printf '#!/bin/sh\nexec "%s" wineboot.exe "$@"\n' "$loader" >"$bin/wineboot"
  chmod +x "$bin/wine" "$bin/wine64" "$bin/winepath" "$bin/wineboot"
  export PATH="$bin:$PATH" WINELOADER="$loader" VANTRELL_WINE64_BIN="$bin"
}
