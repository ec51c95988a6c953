#!/usr/bin/env bash
# Extraction speed of zeb.lib (zebx.exe under Wine) against native 7zz on a ~100 MB tree
# of text, executables and incompressible data packed with 7zz's default settings.
# Needs the win32 build (zebx.exe, zeb.lib). Usage: archive_bench.sh [win32 build dir]
# Prints the mean times, Wine's start-up cost and the ratio zeb/7zz (target <= 1.5).
set -euo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
win32="${1:-$root/build/zeb-win32}"
work="$root/build/zeb-bench"
zebx="$win32/tests/zebx.exe"
export ZEB_LIB="$win32/dist/zeb.lib"
for f in "$zebx" "$ZEB_LIB"; do [ -f "$f" ] || { echo "missing $f (build the win32 preset)"; exit 1; }; done
for t in 7zz wine hyperfine openssl python3; do command -v "$t" >/dev/null || { echo "missing $t"; exit 1; }; done

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$work"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "initialising the Wine prefix (once)"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi

src="$work/src"
if [ ! -f "$work/.tree-done" ]; then
  echo "building the source tree"
  rm -rf "$src"
  mkdir -p "$src/text" "$src/bin" "$src/noise"
  # ~35 MB of text (35 files of ~1 MB): varied lines, deterministic
  for i in $(seq 0 34); do
    awk -v seed="$i" 'BEGIN { srand(seed); for (n = 0; n < 18000; n++) {
        printf "%06d %s record %d value %.4f status %s\n", n, (rand() < 0.5 ? "alpha" : "omega"),
               int(rand() * 100000), rand() * 1000, (rand() < 0.9 ? "ok" : "retry") } }' \
      > "$src/text/log$i.txt"
  done
  # ~35 MB of executables: Wine's DLLs and system binaries
  total=0
  while IFS= read -r f; do
    sz=$(stat -c %s "$f")
    [ "$sz" -gt 8000000 ] && continue
    cp "$f" "$src/bin/$(basename "$(dirname "$f")")_$(basename "$f")"
    total=$((total + sz))
    [ "$total" -gt 35000000 ] && break
  done < <(find /usr/lib/x86_64-linux-gnu/wine /usr/lib/wine /usr/bin -maxdepth 3 -type f \
             \( -name '*.dll' -o -perm -u+x \) 2>/dev/null | sort)
  # ~30 MB incompressible, fixed seed
  for i in 0 1 2; do
    head -c 10000000 /dev/zero | openssl enc -aes-128-ctr -pass "pass:zeb$i" -nosalt -pbkdf2 \
      > "$src/noise/chunk$i.bin" 2>/dev/null
  done
  touch "$work/.tree-done"
fi
echo "source tree: $(du -sm "$src" | cut -f1) MB"

archive="$work/bench.7z"
if [ ! -f "$archive" ]; then
  (cd "$src" && 7zz a -bd -bso0 -bsp0 "$archive" . >/dev/null)
fi
echo "archive: $(du -sm "$archive" | cut -f1) MB (7zz default settings)"
tiny="$work/tiny.7z"
if [ ! -f "$tiny" ]; then
  mkdir -p "$work/tinysrc" && echo tiny > "$work/tinysrc/t.txt"
  (cd "$work/tinysrc" && 7zz a -bd -bso0 -bsp0 "$tiny" . >/dev/null)
fi

# A persistent wineserver keeps its start-up out of every run but the first.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
out="$work/out"
json="$work/results.json"
hyperfine --warmup 1 --runs "${BENCH_RUNS:-5}" --export-json "$json" \
  --prepare "rm -rf '$out'" \
  -n "wine-startup" "wine '$zebx' x '$tiny' '$out'" \
  -n "zeb-wine" "wine '$zebx' x '$archive' '$out'" \
  -n "7zz-native" "7zz x -y -bso0 -bsp0 -o'$out' '$archive'"

# the last run's output must match the source
rm -rf "$out" && wine "$zebx" x "$archive" "$out" >/dev/null && diff -r "$src" "$out" >/dev/null \
  && echo "zeb output verified against the source tree"

python3 - "$json" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open(sys.argv[1]))["results"]}
z, s, w = r["zeb-wine"], r["7zz-native"], r["wine-startup"]
print(f"zeb under Wine: {z:.3f} s   7zz native: {s:.3f} s   Wine start-up (tiny archive): {w:.3f} s")
print(f"ratio zeb/7zz: {z / s:.2f}   without Wine start-up: {(z - w) / s:.2f}   (target <= 1.5)")
PY
