#!/usr/bin/env bash
# The string, arithmetic and text-file statements run by the real engine
# under Wine against the prefix's files, environment, INI files and temporary
# folder. Each script writes its results with "Write to Text File" into
# out.txt in its case folder; the test reads that back.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

# new_case: a fresh case folder in CASE_DIR, its Windows path in CASE_WIN.
new_case() {
  CASE_DIR="$(scratch)"
  CASE_WIN="$(winpath "$CASE_DIR")"
}

# run_text_case NAME < statements : "@DIR@" stands for the case folder's
# Windows path; a silent run that must end with exit code 0 and no window.
run_text_case() {
  local name="$1" script out
  script="$(cat)"
  script="${script//@DIR@/$CASE_WIN}"
  make_script_setup "$CASE_DIR/setup" <<<"$script"
  out="$(robot run --timeout 60000 -- "$(winpath "$CASE_DIR/setup/setup.exe")" /s)"
  check "$name: exit code" "$(robot_value exit <<<"$out")" 0
  check "$name: no window" "$(robot_value windows <<<"$out")" 0
}

# out_lines: out.txt with its CR LF line ends checked and removed.
out_lines() {
  local f="$CASE_DIR/out.txt"
  if [ ! -f "$f" ]; then echo "<no out.txt>"; return; fi
  if grep -aq $'[^\r]$' "$f" || [ -n "$(tail -c 2 "$f" | tr -d '\r\n')" ]; then echo "<line without CR LF>"; fi
  tr -d '\r' <"$f"
}

echo "-- strings and arithmetic"
new_case
run_text_case "strings" <<S
Parse String|a,b,c|,|P1|P2|1|FALSE|FALSE
Write to Text File|@DIR@\\out.txt|\$P1\$/\$P2\$|FALSE
Mathematics|3|1|13|R
Mathematics|1||14|R
Mathematics|100||15|R
Mathematics|100||15|R2
Mathematics|-7|2|4|R3
Write to Text File|@DIR@\\out.txt|\$R\$ \$R2\$ \$R3\$|FALSE
Set Variable|C|$(printf 'caf\xe9')\\\\x
Convert Case|C|TRUE
Write to Text File|@DIR@\\out.txt|\$C\$|FALSE
Set Variable|PTH|C:\\dir\\sub\\file.tar.gz
Extract Path|PTH|1
Write to Text File|@DIR@\\out.txt|\$PTH\$|FALSE
Set Variable|RS|aXbxc
Replace String|RS|x|-|TRUE|TRUE
Write to Text File|@DIR@\\out.txt|\$RS\$|FALSE
Write to Text File|@DIR@\\out.txt|first|TRUE
S
check "strings: results" "$(out_lines)" "$(printf 'first\na,b/c\n4 13 -1\nCAF\xc9\\X\nfile.tar\na-b-c')"

echo "-- reading a text file"
new_case
printf 'l1\r\nl2\nl3' >"$CASE_DIR/input.txt"
run_text_case "reading" <<'S'
Read from Text File|@DIR@\input.txt|V|E
Write to Text File|@DIR@\out.txt|$V$ $E$|FALSE
Read from Text File|@DIR@\input.txt|V|E
Write to Text File|@DIR@\out.txt|$V$ $E$|FALSE
Read from Text File|@DIR@\input.txt|V|E
Write to Text File|@DIR@\out.txt|$V$ $E$|FALSE
Read from Text File|@DIR@\INPUT.TXT|V|E
Write to Text File|@DIR@\out.txt|$V$ $E$|FALSE
Read from Text File|#READALL\@DIR@\input.txt|V|E
Write to Text File|@DIR@\out.txt|$V$ $E$|FALSE
Read from Text File|@DIR@\missing.txt|V|E
Write to Text File|@DIR@\out.txt|$V$ $E$|FALSE
Read from Text File|NUL|V2|E2
Write to Text File|@DIR@\out.txt|device $E2$|FALSE
S
check "reading: results" "$(out_lines)" "$(printf 'l1 FALSE\nl2 FALSE\nl3 TRUE\nl1 FALSE\nl2\nl3 TRUE\nl2\nl3 TRUE\ndevice TRUE')"

echo "-- writing text files"
new_case
printf 'a\nb' >"$CASE_DIR/existing.txt"
chmod 444 "$CASE_DIR/existing.txt"
run_text_case "writing" <<'S'
Write to Text File|@DIR@\existing.txt|top|TRUE
Write to Text File|@DIR@\existing.txt|end|FALSE
Write to Text File|@DIR@\new.txt|only|FALSE
Write to Text File|@DIR@\nofolder\x.txt|x|FALSE
Write to Text File|NUL|x|FALSE
Write to Text File|@DIR@|x|FALSE
S
check "writing: existing file keeps its lines" "$(od -An -c "$CASE_DIR/existing.txt" | tr -s ' ' | tr -d '\n')" \
  "$(printf 'top\r\na\r\nb\r\nend\r\n' | od -An -c | tr -s ' ' | tr -d '\n')"
[ -w "$CASE_DIR/existing.txt" ] && pass "writing: read-only attribute cleared" || fail "writing: still read-only"
check "writing: new file" "$(od -An -c "$CASE_DIR/new.txt" | tr -s ' ' | tr -d '\n')" " o n l y \r \n"
check "writing: no folder made" "$([ -e "$CASE_DIR/nofolder" ] && echo yes || echo no)" no
check "writing: no temporary files left" "$(find "$CASE_DIR" -maxdepth 1 -iname 'zeb*' | wc -l)" 0

echo "-- environment, INI files, temporary files, file search, path forms"
new_case
printf '[Sec]\r\nKey=Value 1\r\n' >"$CASE_DIR/s.ini"
mkdir -p "$CASE_DIR/x/s/t" "$CASE_DIR/Long Folder Name"
: >"$CASE_DIR/x/a.txt"
: >"$CASE_DIR/x/s/b.txt"
: >"$CASE_DIR/x/s/t/c d.txt"
: >"$CASE_DIR/x/s/skip.log"
: >"$CASE_DIR/Long Folder Name/File Name.Txt"
export VTEST_ENV="hello world"
run_text_case "system" <<'S'
Get Temporary File|T
Write to Text File|@DIR@\out.txt|$T$|FALSE
Get Environment|VTEST_ENV|E1
Get Environment|NO_SUCH_NAME_X|E2
Write to Text File|@DIR@\out.txt|$E1$/$E2$|FALSE
Get INI File Settings|I1|@DIR@\s.ini|Sec|Key
Get INI File Settings|I2|@DIR@\s.ini|Sec|Nope
Write to Text File|@DIR@\out.txt|$I1$/$I2$|FALSE
Find All Files|@DIR@\x\*.txt|TRUE|TRUE|F
Write to Text File|@DIR@\out.txt|$F$|FALSE
Set Variable|LP|@DIR@\long folder name\\file name.txt
Convert Path|LP|FALSE
Write to Text File|@DIR@\out.txt|$LP$|FALSE
Set Variable|SP|@DIR@\Long Folder Name
Convert Path|SP|TRUE
Write to Text File|@DIR@\out.txt|$SP$|FALSE
Get Environment||E3
Write to Text File|@DIR@\env.txt|$E3$|FALSE
S
unset VTEST_ENV
mapfile -t lines < <(out_lines)
temp="${lines[0]:-}"
[[ "$temp" == *\\[zZ][eE][bB]*.[tT][mM][pP] ]] && pass "temporary file name: $temp" || fail "temporary file name: [$temp]"
temp_unix="$(winepath -u "$temp" 2>/dev/null)"
check "temporary file is in the engine's temporary folder" "$(dirname "$temp_unix")" "$(wine_temp_dir | sed 's:/$::')"
check "temporary file exists and is empty" "$([ -f "$temp_unix" ] && stat -c %s "$temp_unix")" 0
rm -f "$temp_unix"
check "environment" "${lines[1]:-}" "hello world/%NO_SUCH_NAME_X%"
check "INI values" "${lines[2]:-}" "Value 1/"
w="$CASE_WIN"
check "file search" "${lines[3]:-}" "\"$w\\x\\s\\t\\c d.txt\"|$w\\x\\s\\t|$w\\x\\s\\b.txt|$w\\x\\s|$w\\x\\a.txt"
check "long path form" "${lines[4]:-}" "$w\\Long Folder Name\\File Name.Txt"
short="${lines[5]:-}"
[[ "$short" == *~* && "${short##*\\}" != "Long Folder Name" ]] && pass "short path form: $short" ||
  fail "short path form: [$short]"
check "environment block holds the process's entries" \
  "$(tr -d '\r' <"$CASE_DIR/env.txt" | grep -c '^VTEST_ENV=hello world$')" 1

echo "-- the 64-bit file-system bracket and the Windows text system"
if [ -f "$TESTBIN/text_system_check.exe" ]; then
  # The 64-bit build leaves the bracket's checks out.
  skip_unless_32bit "text system check: the 64-bit file-system bracket" "file-system redirection"
  marker="$WINEPREFIX/drive_c/windows/system32/vantrell_redirection_marker.txt"
  : >"$marker"
  out="$(robot run --timeout 60000 -- "$TESTBIN/text_system_check.exe")"
  rm -f "$marker"
  grep '^  ' <<<"$out"
  check "text system check: failures" "$(robot_value exit <<<"$out")" 0
else
  echo "  skip text_system_check.exe not built"
fi

test_done
