#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (sanitizers on)
# and the end-to-end tests of the real engine under Wine. A host that cannot
# run 32-bit programs still builds the 32-bit engine, and runs the Wine tests
# against the 64-bit one.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
. tools/host_arch.sh
host_arch_note
bash tools/setup.sh
if host_runs_32bit; then bash tools/build.sh native win32; else bash tools/build.sh native win32 win64; fi
ctest --preset native
bash tests/wine/run.sh "$@"
