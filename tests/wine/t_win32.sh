#!/usr/bin/env bash
# Runs the Windows adapter test programs of tests/win32 that need no set-up
# under Wine (the others run from the test of their subject); each prints its
# checks and exits with its number of failures.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

for program in "$TESTBIN"/msi_binding_check.exe; do
  echo "-- $(basename "$program")"
  wine "$program" | tr -d '\r'
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] && pass "$(basename "$program")" || fail "$(basename "$program"): $status failure(s)"
done
test_done
