#!/usr/bin/env bash
# "Extract 7Zip Archive" in the real engine under Wine with the real archive
# library: a plain and a password archive extract byte for byte and report
# SUCCESS; a wrong password and a missing archive report their texts and the
# script goes on.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

work="$(scratch)"
mkdir -p "$work/src/sub" "$work/src/empty"
head -c 300000 /dev/urandom >"$work/src/sub/random.bin"
printf 'hello\r\n' >"$work/src/hello.txt"
(cd "$work/src" && 7zz a -bso0 -bsp0 "$work/plain.7z" . && 7zz a -bso0 -bsp0 -pSECRET -mhe=on "$work/locked.7z" .)

# extract_case NAME ARCHIVE PASSWORD EXPECTED-RESULT EXIT
extract_case() {
  local name="$1" archive="$2" password="$3" want="$4" code="$5" dir out
  dir="$(scratch)"
  make_script_setup "$dir" <<S
Extract 7Zip Archive|$(winpath "$archive")|\$TEMPDIR\$\\vantrell-x\\$name|RESULT|$password|TRUE|TRUE
If|RESULT|0|$want|TRUE
Terminate with Exit Code|$code
End
Terminate with Exit Code|99
S
  out="$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)"
  check "$name: result" "$(robot_value exit <<<"$out")" "$code"
}

temp_unix="$(wine_temp_dir)"
extract_case plain "$work/plain.7z" "" SUCCESS 1
diff -r "$work/src" "$temp_unix/vantrell-x/plain" >/dev/null && pass "plain: byte for byte" || fail "plain: contents differ"
extract_case locked "$work/locked.7z" SECRET SUCCESS 2
diff -r "$work/src" "$temp_unix/vantrell-x/locked" >/dev/null && pass "locked: byte for byte" || fail "locked: contents differ"
extract_case wrong "$work/locked.7z" NOPE \
  "The archive cannot be opened: unsupported archive or incorrect password" 3
extract_case missing "$work/nothing.7z" "" "The archive file was not found" 4
rm -rf "$temp_unix/vantrell-x"

# The 64-bit file view: in x64 mode an archive extracts into the system's own
# system32; in Win32 mode a 32-bit engine's extraction lands in syswow64.
sys64="$WINEPREFIX/drive_c/windows/system32"
sys32="$WINEPREFIX/drive_c/windows/syswow64"
rm -rf "$sys64/vantrell_zx" "$sys32/vantrell_zx" "$sys64/vantrell_zw" "$sys32/vantrell_zw"
dir="$(scratch)"
make_script_setup "$dir" <<S
Set 64 Bit Mode|FALSE|FALSE|TRUE
Extract 7Zip Archive|$(winpath "$work/plain.7z")|C:\\windows\\system32\\vantrell_zx|RX|||
Set 64 Bit Mode|TRUE|FALSE|FALSE
Extract 7Zip Archive|$(winpath "$work/plain.7z")|C:\\windows\\system32\\vantrell_zw|RW|||
If|RX|0|SUCCESS|TRUE
Terminate with Exit Code|1
End
Terminate with Exit Code|2
S
check "x64 mode: extraction succeeds" "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 1
check "x64 mode: the files land in system32" "$([ -f "$sys64/vantrell_zx/hello.txt" ] && echo system32 || echo elsewhere)" system32
check "x64 mode: nothing in syswow64" "$([ -e "$sys32/vantrell_zx" ] && echo present || echo absent)" absent
skip_unless_32bit "Win32 mode extracts into syswow64" "file-system redirection" &&
  check "Win32 mode extracts into syswow64" "$([ -f "$sys32/vantrell_zw/hello.txt" ] && echo syswow64 || echo elsewhere)" syswow64
rm -rf "$sys64/vantrell_zx" "$sys32/vantrell_zx" "$sys64/vantrell_zw" "$sys32/vantrell_zw"
test_done
