#!/usr/bin/env bash
# Runs every end-to-end test (t_*.sh) against one Wine prefix and one Xvfb
# display made for this run. Usage: run.sh [pattern]
set -uo pipefail
. "$(dirname "$0")/lib.sh"
trap wine_env_end EXIT
wine_env_init || exit 1
export WINEPREFIX DISPLAY VANTRELL_XVFB_PID WINE_RUN_DIR

pattern="${1:-}"
failed=()
for t in "$VANTRELL_ROOT"/tests/wine/t_*.sh; do
  name="$(basename "$t" .sh)"
  [ -n "$pattern" ] && [[ "$name" != *$pattern* ]] && continue
  echo "== $name"
  if ! bash "$t"; then failed+=("$name"); fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "wine tests failed: ${failed[*]}"
  exit 1
fi
echo "wine tests: all passed"
