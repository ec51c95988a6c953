#!/usr/bin/env bash
# Seed corpus for zeb_fuzz: one small archive per method and layout, made with 7zz.
# Usage: make_corpus.sh [dir]   (default build/zeb-fuzz/corpus)
set -euo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
out="${1:-$root/build/zeb-fuzz/corpus}"
mkdir -p "$out"
src="$(mktemp -d)"
trap 'rm -rf "$src"' EXIT

mkdir -p "$src/tree/sub/deeper" "$src/tree/empty_dir"
for i in $(seq 1 40); do echo "line $i of a small text file for the corpus" >> "$src/tree/sub/text.txt"; done
head -c 1500 /bin/ls > "$src/tree/prog.exe"
printf 'abc' > "$src/tree/sub/deeper/tiny"
: > "$src/tree/empty.txt"
head -c 700 /dev/zero | openssl enc -aes-128-ctr -pass pass:zeb -nosalt -pbkdf2 > "$src/tree/noise.bin" 2>/dev/null

pack() { # name switches...
  local name="$1"; shift
  rm -f "$out/$name.7z"
  (cd "$src/tree" && 7zz a -bd -bso0 -bsp0 "$out/$name.7z" "$@" . >/dev/null)
}
pack lzma2 -m0=LZMA2
pack lzma -m0=LZMA
pack solid -ms=on -mx9
pack nonsolid -ms=off
pack bcj -m0=BCJ -m1=LZMA2
pack bcj2 -m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0:1 -mb0s1:2 -mb0s2:3
pack arm -m0=ARM -m1=LZMA2
pack armt -m0=ARMT -m1=LZMA2
pack arm64 -m0=ARM64 -m1=LZMA2
pack ppc -m0=PPC -m1=Copy
pack sparc -m0=SPARC -m1=Copy
pack ia64 -m0=IA64 -m1=Copy
pack delta -m0=Delta:2 -m1=LZMA2
pack ppmd -m0=PPMd
pack copy -m0=Copy
pack copy_plain_header -m0=Copy -mhc=off
# encrypted with the fuzzer's password, and with a few key rounds so runs stay fast
pack aes -ppw -mhe=off
pack aes_header -ppw -mhe=on
echo "corpus: $(ls "$out" | wc -l) files in $out"
