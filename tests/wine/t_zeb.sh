#!/usr/bin/env bash
# End to end: archives made by 7zz are extracted by zebx.exe through zeb.lib under Wine
# and compared byte for byte with their source; a wrong password and a hostile entry
# name are refused with their codes, and nothing lands outside the destination.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
[ -n "${WINEPREFIX:-}" ] || wine_env_init

mkdir -p "$WINE_RUN_DIR"
export ZEB_LIB="$DIST/zeb.lib"
zebx="$TESTBIN/zebx.exe"
for f in "$zebx" "$ZEB_LIB"; do
  [ -f "$f" ] || { fail "missing $f (build the win32 preset)"; test_done; }
done

# A scratch folder, or the end of the test: never fall back to an empty path.
new_case() {
  local d
  d="$(scratch)"
  if [ -z "$d" ] || [ ! -d "$d" ]; then
    echo "  FAIL cannot create a scratch folder" >&2
    exit 1
  fi
  echo "$d"
}

# Source tree: text, an executable, noise, nested and empty folders, an empty file.
make_tree() {
  local d="$1" i
  mkdir -p "$d/docs/deep/er" "$d/bin" "$d/empty/inner"
  for i in $(seq 1 300); do echo "row $i of the end-to-end sample" >> "$d/docs/text.txt"; done
  for i in $(seq 1 60); do echo "small file $i" > "$d/docs/deep/er/f$i.txt"; done
  cp "$(command -v 7zz)" "$d/bin/tool.exe"
  head -c 200000 /dev/zero | openssl enc -aes-128-ctr -pass pass:t_zeb -nosalt -pbkdf2 > "$d/noise.bin" 2>/dev/null
  : > "$d/empty.txt"
}

pack() { # archive source switches...
  local a="$1" s="$2"
  shift 2
  (cd "$s" && 7zz a -bd -bso0 -bsp0 "$a" "$@" . >/dev/null)
}

case_dir="$(new_case)" || exit 1
src="$case_dir/src"
make_tree "$src"

round_trip() { # label password switches...
  local label="$1" pw="$2" d
  shift 2
  d="$(new_case)" || exit 1
  pack "$d/a.7z" "$src" "$@" || { fail "$label: 7zz failed"; return; }
  local out rc
  out="$(wine "$zebx" x "$(winpath "$d/a.7z")" "$(winpath "$d/out")" $pw 2>&1 | tr -d '\r')"
  rc=$?
  check "$label: exit code" "$rc" "0"
  if diff -r "$src" "$d/out" >/dev/null 2>&1; then pass "$label: identical tree"; else fail "$label: trees differ ($out)"; fi
}

round_trip "plain" ""
round_trip "solid" "" -ms=on -mx9
round_trip "bcj2" "" -m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0:1 -mb0s1:2 -mb0s2:3
round_trip "ppmd" "" -m0=PPMd
round_trip "copy" "" -m0=Copy
round_trip "aes encrypted header" "SECRET" -pSECRET -mhe=on

# Listing names with the Windows separator.
d="$(new_case)" || exit 1
pack "$d/a.7z" "$src"
listed="$(wine "$zebx" l "$(winpath "$d/a.7z")" | tr -d '\r' | grep -c 'docs\\deep\\er\\f1.txt')"
check "listing uses backslashes" "$listed" "1"

# Wrong and missing passwords.
d="$(new_case)" || exit 1
pack "$d/a.7z" "$src" -pSECRET -mhe=on
out="$(wine "$zebx" x "$(winpath "$d/a.7z")" "$(winpath "$d/out")" WRONG | tr -d '\r')"
check "wrong password refused" "$out" "error 1003"
out="$(wine "$zebx" x "$(winpath "$d/a.7z")" "$(winpath "$d/out")" | tr -d '\r')"
check "missing password refused" "$out" "error 1003"

# Traversal: a Copy archive with a plain header whose second name is rewritten in place
# (same length) to a hostile one; the header CRCs are repaired.
traversal() { # label hostile-name
  local label="$1" evil="$2" d placeholder
  d="$(new_case)" || exit 1
  placeholder="$(printf 'z%.0s' $(seq 1 ${#evil}))"
  mkdir -p "$d/src" "$d/dest"
  echo harmless > "$d/src/good.txt"
  echo payload > "$d/src/$placeholder"
  pack "$d/evil.7z" "$d/src" -m0=Copy -mhc=off
  python3 - "$d/evil.7z" "$placeholder" "$evil" <<'PY' || { fail "$label: cannot patch"; return; }
import struct, sys, zlib
path, old, new = sys.argv[1], sys.argv[2].encode("utf-16-le"), sys.argv[3].encode("utf-16-le")
b = bytearray(open(path, "rb").read())
off, size = struct.unpack_from("<QQ", b, 12)
start = 32 + off
i = b.find(old, start, start + size)
if i < 0: sys.exit(1)
b[i:i + len(old)] = new
struct.pack_into("<I", b, 28, zlib.crc32(b[start:start + size]))
struct.pack_into("<I", b, 8, zlib.crc32(b[12:32]))
open(path, "wb").write(b)
PY
  local out
  out="$(wine "$zebx" x "$(winpath "$d/evil.7z")" "$(winpath "$d/dest")" | tr -d '\r')"
  check "$label: refused" "$out" "error 1006"
  check "$label: destination untouched" "$(find "$d/dest" -mindepth 1 | wc -l)" "0"
  check "$label: nothing escaped" "$(find "$d" "$WINEPREFIX/drive_c" -name evil 2>/dev/null | wc -l)" "0"
}

traversal "dot-dot" '..\evil'
traversal "nested dot-dot" 'a\..\..\evil'
traversal "drive letter" 'C:\evil'
traversal "leading backslash" '\evil'
traversal "alternate stream" 'good.txt:evil'
traversal "device name" 'CON'

test_done
