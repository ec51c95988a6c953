#!/usr/bin/env bash
# The main job: installs what is missing, builds the engine and its archive
# library, builds a small sample setup (script appended, support archive made
# with 7zz, package made with wixl), runs it under Wine with a trace log and
# prints the trace.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh" win32

out="$root/build/sample"
rm -rf "$out"
bash "$root/tools/make_setup.sh" "$out" "$root/examples/sample/script.txt" \
  "$root/examples/sample/support" "$root/examples/sample/product.wxs"

export WINE_RUN_DIR="$root/build/wine/sample"
export WINEPREFIX="$WINE_RUN_DIR/prefix"
. "$root/tests/wine/lib.sh"
trap wine_env_end EXIT
wine_env_init

log="$out/trace.log"
echo "running: setup.exe /l=$(winpath "$log")"
set +e
wine "$out/setup.exe" "/l=$(winpath "$log")"
code=$?
set -e
echo "exit code: $code"
echo "--- trace log (UTF-16LE, shown as UTF-8) ---"
iconv -f UTF-16LE -t UTF-8 "$log" | tr -d '\r'
exit "$code"
