#!/usr/bin/env bash
# Builds everything, checks the size budgets of the shipped binaries and runs
# every test: the native unit tests (sanitizers on) and the end-to-end tests of
# the real engine under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash tools/setup.sh
bash tools/build.sh native win32
bash tools/size_report.sh
ctest --preset native
bash tests/wine/run.sh "$@"
