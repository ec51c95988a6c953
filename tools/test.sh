#!/usr/bin/env bash
# Builds everything and runs every check and test: the size budgets of the
# shipped binaries, the layer graph, the house style (clang-format, clang-tidy),
# the native unit tests (sanitizers on) and the end-to-end tests of the real
# engine under Wine. A host that cannot run 32-bit programs still builds the
# 32-bit engine, and runs the Wine tests against the 64-bit one. Every step
# runs; the summary names the ones that failed and the exit code is 1 then.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
. tools/host_arch.sh
host_arch_note
bash tools/setup.sh || { echo "test: failed: set-up"; exit 1; }
if host_runs_32bit; then presets="native win32"; else presets="native win32 win64"; fi
bash tools/build.sh $presets || { echo "test: failed: build ($presets)"; exit 1; }

failed=()
step() { # step NAME COMMAND...
  local name="$1"
  shift
  echo "== $name"
  "$@" || failed+=("$name")
}
step "size budgets" bash tools/size_report.sh
step "layers" bash tools/check_layers.sh
step "format" bash tools/check_style.sh format
step "tidy" bash tools/check_style.sh tidy
step "unit tests" ctest --preset native
step "wine tests" bash tests/wine/run.sh "$@"

if [ ${#failed[@]} -ne 0 ]; then
  echo "test: failed: ${failed[*]}"
  exit 1
fi
echo "test: every check and test passed"
