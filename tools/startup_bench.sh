#!/usr/bin/env bash
# Start-up time under Wine, measured with hyperfine: the engine from process
# start to its first page on screen, with 20 pages to pre-load, against a
# program that does nothing. The setup's first statement shows its first
# page without waiting (a modeless display, which paints the page before it
# returns); the next one ends the run, so each timed run is start-up, the
# pre-load of the 20 pages, the first page shown, and the end (the support
# folder's removal). All commands pay Wine's process start alike; the same
# run silent shows what the windows themselves cost, and a program that only
# shows a plain window what Wine's first window costs any program.
# Usage: startup_bench.sh [RUNS]  (needs the build the Wine tests use: engine, do_nothing)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export WINE_RUN_DIR="$root/build/wine/bench-$$"
. "$root/tests/wine/lib.sh"
. "$root/tests/wine/script.sh"
trap wine_env_end EXIT
wine_env_init
runs="${1:-20}"

# The pages: copies of the sample's welcome page, Page01 to Page20.
work="$WINE_RUN_DIR/bench"
mkdir -p "$work/forms" "$work/support"
cp "$root/examples/sample/support/"* "$work/support/"
statements="Display Dialog|Page01|FIRST|FALSE||TRUE|FALSE
Write to Text File|$(winpath "$work")\\shown.txt|\$WINDOWHANDLE\$|FALSE
Terminate with Exit Code|0"
for i in $(seq -w 1 20); do
  sed "1s/.*/object Page$i: TPoolTemplate/" "$root/examples/sample/forms/Welcome.txt" >"$work/forms/Page$i.txt"
  [ "$i" = 01 ] || statements+=$'\n'"Display Dialog|Page$i|P$i|TRUE||TRUE|FALSE"
done
SETUP_SUPPORT="$work/support" make_script_setup "$work/setup" <<<"$statements"

# The page must really show: the run writes the page's window handle.
rm -f "$work/shown.txt"
wine "$work/setup/setup.exe"
shown="$(tr -d '\r\n' <"$work/shown.txt" 2>/dev/null || true)"
if [ -z "$shown" ] || [ "$shown" = 0 ]; then
  echo "the first page was not shown (handle [$shown])" >&2
  exit 1
fi
echo "first page shown (window handle $shown); measuring $runs runs each"

# The Wine server stays up between runs, as it does on a desktop session
# (made persistent once the check run's server is gone).
wineserver -w
wineserver -p
hyperfine --warmup 3 --runs "$runs" --export-markdown "$WINE_RUN_DIR/startup_bench.md" \
  -n "do nothing" "wine '$TESTBIN/do_nothing.exe'" \
  -n "do nothing but show a window" "wine '$TESTBIN/do_nothing.exe' window" \
  -n "engine, first page after 20 pre-loaded" "wine '$work/setup/setup.exe'" \
  -n "engine, the same run silent (no window)" "wine '$work/setup/setup.exe' /s"
cat "$WINE_RUN_DIR/startup_bench.md"
