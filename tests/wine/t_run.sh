#!/usr/bin/env bash
# "Run Program", "Run Program As", "Run Light Mode Setup" and "Terminate
# Program" under Wine. The Windows runner is checked on its own first; then a
# silent setup starts the probe program (which reports its command line,
# current directory and environment and ends with a given code), closes the
# probe's windows and runs nested light-mode setups built from data files; the
# exit codes it wrote and the files left are compared.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

work="$(scratch)"
mkdir -p "$work/probe dir" "$work/as folder"
cp "$TESTBIN/run_probe.exe" "$work/probe dir/run_probe.exe"
w_work="$(winpath "$work")"
probe="$w_work\\probe dir\\run_probe.exe"
out="$work/results.txt"
w_out="$(winpath "$out")"
rm -f "$out"

# The Windows runner on its own first: starts, folders, windows, and what
# Wine answers for the desktop user and a logon (information lines).
mkdir -p "$work/check"
echo "-- run_check.exe"
wine "$TESTBIN/run_check.exe" "$(winpath "$work/check")" "$probe" | tr -d '\r'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && pass "run_check.exe" || fail "run_check.exe: $status failure(s)"

# Nested setups: a setup folder of base name "light" whose executable is then
# cut back to the data file, the part the authoring side appends behind the
# engine's image. Its zeb.lib is left out: the statement brings it.
# make_light FOLDER : the nested setup writes FOLDER-ran.txt and ends with 23.
SETUP_PACKAGE="${SETUP_PACKAGE:-$(sample_package)}"
engine_size=$(stat -c %s "$DIST/engine.exe")
make_light() {
  local folder="$work/$1"
  mkdir -p "$folder"
  printf '%s\n' "Write to Text File|$w_work\\$1-ran.txt|nested run: \$CMDLINE\$|FALSE" \
    "Terminate with Exit Code|23" | script_layout >"$work/$1-script.txt"
  bash "$VANTRELL_ROOT/tools/make_setup.sh" "$folder" "$work/$1-script.txt" \
    "$VANTRELL_ROOT/examples/sample/support" "$SETUP_PACKAGE" light >/dev/null
  tail -c +$((engine_size + 1)) "$folder/light.exe" >"$folder/data"
  mv "$folder/data" "$folder/light.exe"
  rm -f "$folder/zeb.lib"
  cp "$folder/light.exe" "$work/$1-data.orig"
}
make_light light
make_light later

# A result variable NAME is written to the results as NAME=value.
result() { echo "Write to Text File|$w_out|$1=\$$1\$|FALSE"; }
# Lets the started programs reach their windows (a silent run has no timer).
pause() { echo "Run Program As|$probe||--sleep $1|1||||PAUSED|TRUE|"; }
{
  echo "Set Variable|ENVLINES|VANTRELL_A=one\$NEWLINE\$VANTRELL_B=two words"
  # Run Program: arguments of several words, the exit code when waited for,
  # the still-active status when not, and -1 for a file the shell cannot open.
  echo "Run Program|$probe|TRUE|--write \"$w_work\\run.txt\" --exit 7 \"two words\" plain|TRUE|RP_CODE"
  result RP_CODE
  echo "Run Program|$probe|FALSE|--sleep 4000 --exit 5|FALSE|rp_nowait"
  result RP_NOWAIT
  echo "Run Program|$w_work\\missing.exe|FALSE||TRUE|\$RP_MISSING\$"
  result RP_MISSING
  # Run Program As as the current user, in a given folder, with its own environment.
  echo "Run Program As|$probe|$w_work\\as folder|--write \"$w_work\\as.txt\" --env VANTRELL_A --env VANTRELL_B --env WINEPREFIX --exit 9 \"a b\"|1||||RA_CODE|TRUE|\$ENVLINES\$"
  result RA_CODE
  echo "Run Program As|$probe||--sleep 4000 --exit 4|0||||RA_NOWAIT|FALSE|"
  result RA_NOWAIT
  echo "Run Program As|$w_work\\missing.exe||x|0||||RA_MISSING|TRUE|"
  result RA_MISSING
  # The desktop user, and a logon.
  echo "Run Program As|$probe||--write \"$w_work\\uac.txt\" --exit 11|0|\$VELD_UAC\$|||RA_UAC|TRUE|"
  result RA_UAC
  echo "Run Program As|$probe||--write \"$w_work\\logon.txt\" --exit 13|0|vantrelltest|secret|WINEDOM|RA_LOGON|TRUE|"
  result RA_LOGON
  # Terminate Program: by class name, by title, and a class whose letter case differs.
  for window in "Vantrell Probe One|VantrellProbeClass|one" "Vantrell Probe Two|VantrellProbeTwo|two" \
    "Vantrell Probe Three|VantrellProbeThree|three"; do
    IFS='|' read -r title class name <<<"$window"
    echo "Run Program|$probe|FALSE|--window \"$title\" $class \"$w_work\\closed-$name.txt\" --linger 8000|FALSE|"
  done
  pause 3000
  echo "Terminate Program||VantrellProbeClass"
  echo "Terminate Program|Probe Two|"
  echo "Terminate Program||vantrellprobethree"
  echo "Terminate Program||"
  pause 1000
  # Run Light Mode Setup: the nested setup runs silently and gives its code;
  # a data file that is not there gives -1.
  echo "Run Light Mode Setup|$w_work\\light\\light.exe|LM_CODE|/s|TRUE"
  result LM_CODE
  echo "Run Light Mode Setup|$w_work\\light\\absent.exe|LM_MISSING|/s|TRUE"
  result LM_MISSING
  # Not waited for: the running setup keeps its file and its library.
  echo "Run Light Mode Setup|$w_work\\later\\light.exe|LM_NOWAIT|/s|FALSE"
  result LM_NOWAIT
} | make_script_setup "$work/setup" >/dev/null
robot run --timeout 120000 -- "$(winpath "$work/setup/setup.exe")" /s >/dev/null
wineserver -w

value() { tr -d '\r' <"$1" 2>/dev/null | sed -n "s/^$2=//p" | head -1; }
[ -f "$out" ] || { fail "no results written"; test_done; }
check "Run Program: exit code when waited for" "$(value "$out" RP_CODE)" 7
check "Run Program: not waited for, still running" "$(value "$out" RP_NOWAIT)" 259
check "Run Program: a file the shell cannot open" "$(value "$out" RP_MISSING)" -1
check "Run Program As: exit code" "$(value "$out" RA_CODE)" 9
check "Run Program As: not waited for" "$(value "$out" RA_NOWAIT)" 259
check "Run Program As: a program that cannot start" "$(value "$out" RA_MISSING)" -11
check "Run Light Mode Setup: the nested setup's code" "$(value "$out" LM_CODE)" 23
check "Run Light Mode Setup: no data file" "$(value "$out" LM_MISSING)" -1
check "Run Light Mode Setup: not waited for" "$(value "$out" LM_NOWAIT)" 259

run_txt="$work/run.txt"
check "Run Program: arguments" "$(value "$run_txt" argc)|$(value "$run_txt" arg4)|$(value "$run_txt" arg5)|$(value "$run_txt" arg6)" \
  "6|7|two words|plain"
check "Run Program: working folder is the program's" "$(value "$run_txt" cwd)" "$w_work\\probe dir"

as_txt="$work/as.txt"
check "Run Program As: command line" "$(value "$as_txt" cmdline)" \
  "\"$probe\" --write \"$w_work\\as.txt\" --env VANTRELL_A --env VANTRELL_B --env WINEPREFIX --exit 9 \"a b\""
check "Run Program As: last argument" "$(value "$as_txt" arg11)" "a b"
check "Run Program As: working folder" "$(value "$as_txt" cwd)" "$w_work\\as folder"
# The engine pins itself to one processor; what it starts gets them all.
check "Run Program: every processor, not the engine's pin" \
  "$(value "$run_txt" affinity)" "$(value "$run_txt" systemaffinity)"
check "Run Program As: every processor, not the engine's pin" \
  "$(value "$as_txt" affinity)" "$(value "$as_txt" systemaffinity)"
check "Run Program As: custom environment" \
  "$(value "$as_txt" env:VANTRELL_A)|$(value "$as_txt" env:VANTRELL_B)|$(value "$as_txt" env:WINEPREFIX)" \
  "one|two words|<unset>"

# Wine's answers for the desktop user and the logon, reported as they come.
echo "  info Run Program As \$VELD_UAC\$ gave $(value "$out" RA_UAC), probe ran: $([ -f "$work/uac.txt" ] && echo yes || echo no)"
echo "  info Run Program As with a logon gave $(value "$out" RA_LOGON), probe ran: $([ -f "$work/logon.txt" ] && echo yes || echo no)"
check "Run Program As \$VELD_UAC\$ runs the program" "$(value "$out" RA_UAC)" 11
[ -f "$work/uac.txt" ] && pass "the desktop-user run reached the program" || fail "no desktop-user run"

for name in one two; do
  check "Terminate Program: window $name closed" "$(tr -d '\r' <"$work/closed-$name.txt" 2>/dev/null | tr '\n' ' ')" \
    "cancelmode close "
done
[ -f "$work/closed-three.txt" ] && fail "Terminate Program matched a class name in other letter case" ||
  pass "Terminate Program: class names compare case-sensitively"

cmp -s "$work/light/light.exe" "$work/light-data.orig" && pass "light-mode data file restored" ||
  fail "light-mode data file changed"
for gone in light.exe.nox light.exe.to zeb.lib; do
  [ -e "$work/light/$gone" ] && fail "left behind: light/$gone" || pass "removed: light/$gone"
done
tr -d '\r' <"$work/light-ran.txt" 2>/dev/null | grep -q '^nested run: .*/s' && pass "the nested setup ran with /s" ||
  fail "the nested setup did not run"
# Not waited for: the running setup keeps its file and library, the data file waits as ".nox".
[ -f "$work/later-ran.txt" ] && pass "the setup not waited for ran" || fail "the setup not waited for did not run"
cmp -s "$work/later/light.exe.nox" "$work/later-data.orig" && pass "not waited for: data file kept as .nox" ||
  fail "not waited for: data file lost"
[ -f "$work/later/zeb.lib" ] && pass "not waited for: library kept" || fail "not waited for: library removed"
test_done
