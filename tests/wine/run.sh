#!/usr/bin/env bash
# Runs every end-to-end test (t_*.sh) against one Wine prefix and one Xvfb
# display made for this run. Usage: run.sh [pattern]
set -uo pipefail
. "$(dirname "$0")/lib.sh"
trap wine_env_end EXIT
wine_env_init || exit 1
export WINEPREFIX DISPLAY VANTRELL_XVFB_PID WINE_RUN_DIR

pattern="${1:-}"
results="$WINE_RUN_DIR/results"
rm -f "$results" "$WINE_RUN_DIR/skipped" "$WINE_RUN_DIR/wine-lacks"
failed=()
for t in "$VANTRELL_ROOT"/tests/wine/t_*.sh; do
  name="$(basename "$t" .sh)"
  [ -n "$pattern" ] && [[ "$name" != *$pattern* ]] && continue
  echo "== $name"
  if ! bash "$t"; then failed+=("$name"); fi
done

passes=0 fails=0 skips=0
if [ -f "$results" ]; then
  while read -r _ p f s; do
    passes=$((passes + p)) fails=$((fails + f)) skips=$((skips + s))
  done <"$results"
fi
# A test that stopped before its cases failed still counts once.
for name in "${failed[@]}"; do
  grep -q "^$name [0-9]* [1-9]" "$results" 2>/dev/null || fails=$((fails + 1))
done
if [ -f "$WINE_RUN_DIR/skipped" ]; then
  echo "skipped, as they need a 32-bit process:"
  sed 's/^/  /' "$WINE_RUN_DIR/skipped"
fi
if [ -f "$WINE_RUN_DIR/wine-lacks" ]; then
  echo "not shown, as Wine lacks them:"
  sed 's/^/  /' "$WINE_RUN_DIR/wine-lacks"
fi
[ ${#failed[@]} -ne 0 ] && echo "wine tests failed: ${failed[*]}"
summary="wine tests: $passes passed, $fails failed"
[ "$skips" -ne 0 ] && summary+=", $skips skipped (need a 32-bit process)"
echo "$summary"
[ ${#failed[@]} -eq 0 ]
