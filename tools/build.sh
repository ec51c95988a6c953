#!/usr/bin/env bash
# Configures and builds the given presets (default: native and win32).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${VANTRELL_JOBS:-2}"
for preset in "${@:-native win32}"; do
  for p in $preset; do
    cmake --preset "$p" >/dev/null
    cmake --build --preset "$p" -j "$jobs"
  done
done
