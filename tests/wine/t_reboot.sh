#!/usr/bin/env bash
# "Reboot and Resume" under Wine, with the engine's real restart request.
# Wine answers ExitWindowsEx by starting "wineboot --end-session" in this
# test's own prefix (the host is never touched); Wine's process trace shows
# that start, which is how the test sees the request. A session keeper
# refuses the end of the session throughout, so the Run entries stay for the
# test to read and to run itself, as Windows would at the next logon. One
# silent setup (same product code throughout):
#   a: per machine: the restart was asked for (a normal restart, not a
#      shutdown, nothing forced), nothing after the statement ran, and the
#      resume entry is in the local machine's Run key with the quoted setup
#      path and the arguments;
#   b: a new start of the setup removes that entry before its first statement;
#   c: per user, started as from a self-extracting wrapper: the entry names
#      the wrapper; running it resumes the setup with the same arguments, and
#      the resumed run finds its entry already gone.
# A marker file per case keeps a resumed run from restarting again.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

base="$(scratch)"
setup_dir="$base/case setup"
wrapper_dir="$base/wrapper dir"
out="$base/reboot.txt"
w_base="$(winpath "$base")"
w_out="$(winpath "$out")"
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
user_run_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
name=5B0C6D2E  # from the product code {5B0C6D2E-...} that script.sh gives

# The machine's entry is in the registry view of the engine's bitness.
reg_value() { # KEY VIEW : the data of the resume value, or nothing
  wine reg query "$1" /v "$name" "/reg:$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$name *REG_SZ *//p"
}
line_of() { tr -d '\r' <"$out" 2>/dev/null | grep "^$1 " | head -1; }
wait_wineboot() { # the session end Wine started for a restart request
  local i
  for i in $(seq 1 100); do
    pgrep -f 'wineboot.exe' >/dev/null || return 0
    sleep 0.2
  done
}
for key in "$run_key" "$user_run_key"; do
  for view in 32 64; do wine reg delete "$key" /v "$name" /f "/reg:$view" >/dev/null 2>&1; done
done

{
  echo "Does File/Folder Exist|SEEN|$w_base\\marker_\$CASE\$|TRUE"
  echo "Read Registry|LEFTCU|1|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|$name"
  echo "Read Registry|LEFTLM|2|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|$name"
  echo "Write to Text File|$w_out|\$CASE\$ SEEN=\$SEEN\$ LEFT=[\$LEFTCU\$,\$LEFTLM\$] EXE=\$EXEFILE\$ CMD=\$CMDLINE\$|FALSE"
  echo "If|SEEN|0|FALSE|TRUE"
  echo "Write to Text File|$w_base\\marker_\$CASE\$|x|FALSE"
  echo "Reboot and Resume"
  echo "Write to Text File|$w_out|\$CASE\$ after-restart|FALSE"
  echo "End"
} | make_script_setup "$setup_dir" >/dev/null
w_setup="$(winpath "$setup_dir/setup.exe")"

# run_traced LOG ARGS... : runs the setup with Wine's process trace in LOG.
run_traced() {
  local log="$1"
  shift
  WINEDEBUG=trace+process wine "$@" >/dev/null 2>"$log"
}
# restart_request LOG : the session-end command the run started, if any.
restart_request() {
  sed -n 's/.*CreateProcessInternalW app .*cmdline L"\([^"]*wineboot\.exe[^"]*\)".*/\1/p' "$1" | head -1 |
    sed 's/.*wineboot\.exe/wineboot.exe/'
}

ready="$base/keeper"
wine "$TESTBIN/session_keeper.exe" "$(winpath "$ready")" >/dev/null 2>&1 &
for _ in $(seq 1 100); do [ -f "$ready" ] && break; sleep 0.2; done
[ -f "$ready" ] || fail "the session keeper did not start"

# a: per machine.
run_traced "$base/a.log" "$setup_dir/setup.exe" /s CASE=a
check "a: exit code" "$?" 0
check "a: a normal restart was asked for" "$(restart_request "$base/a.log")" "wineboot.exe --end-session"
wait_wineboot
check "a: ran before the restart" "$(line_of a | sed 's/ LEFT.*//')" "a SEEN=FALSE"
check "a: nothing runs after the restart request" "$(line_of 'a after-restart')" ""
check "a: resume entry" "$(reg_value "$run_key" "$ENGINE_BITS")" "\"$w_setup\" /s CASE=a"
check "a: no entry for the user" "$(reg_value "$user_run_key" 64)" ""

# b: the next start deletes the entry before its first statement.
touch "$base/marker_b"
wine "$setup_dir/setup.exe" /s CASE=b >/dev/null 2>&1
check "b: entry gone at the first statement" "$(line_of b | sed 's/ EXE.*//')" "b SEEN=TRUE LEFT=[,]"
check "b: entry gone" "$(reg_value "$run_key" "$ENGINE_BITS")" ""

# c: per user, from a wrapper; Wine's session start resumes it.
bash "$VANTRELL_ROOT/tools/make_setup.sh" "$wrapper_dir" "$setup_dir/script.txt" "$VANTRELL_ROOT/examples/sample/support" \
  "$setup_dir/setup.msi" product >/dev/null
w_wrapper="$(winpath "$wrapper_dir/product.exe")"
run_traced "$base/c.log" "$setup_dir/setup.exe" /s ALLUSERS=FALSE CASE=c "/m=$w_wrapper"
check "c: the restart was asked for" "$(restart_request "$base/c.log")" "wineboot.exe --end-session"
wait_wineboot
entry="$(reg_value "$user_run_key" 64)"
lower_wrapper="$(printf '%s' "$w_wrapper" | tr 'A-Z' 'a-z')"
check "c: the entry names the wrapper" "$(printf '%s' "$entry" | sed -n 's/^"\([^"]*\)".*/\1/p' | tr 'A-Z' 'a-z')" \
  "$lower_wrapper"
check "c: no entry for the machine" "$(reg_value "$run_key" "$ENGINE_BITS")" ""
# What Windows does at the next logon: run the entry's command.
printf '%s\r\n' "$entry" >"$base/logon.cmd"
wine cmd /c "$(winpath "$base/logon.cmd")" >/dev/null 2>&1
resumed=""
for _ in $(seq 1 300); do
  resumed="$(tr -d '\r' <"$out" | grep '^c SEEN=TRUE' | head -1)"
  [ -n "$resumed" ] && break
  sleep 0.2
done
first="$(tr -d '\r' <"$out" | grep '^c SEEN=FALSE' | head -1)"
check "c: first run" "$(printf '%s' "$first" | sed 's/ LEFT.*//')" "c SEEN=FALSE"
check "c: resumed" "$(printf '%s' "$resumed" | sed 's/ LEFT.*//')" "c SEEN=TRUE"
check "c: resumed run found its entry gone" "$(printf '%s' "$resumed" | sed -n 's/.*LEFT=\(\[[^]]*\]\).*/\1/p')" "[,]"
check "c: resumed through the wrapper" "$(printf '%s' "$resumed" | sed -n 's/.* EXE=\(.*\) CMD=.*/\1/p' | tr 'A-Z' 'a-z')" \
  "$lower_wrapper"
check "c: same arguments" "$(printf '%s' "$resumed" | sed -n 's/.* CMD=//p')" \
  "$(printf '%s' "$first" | sed -n 's/.* CMD=//p')"
check "c: no entry left" "$(reg_value "$user_run_key" 64)$(reg_value "$run_key" "$ENGINE_BITS")" ""
check "c: no run went past the restart" "$(tr -d '\r' <"$out" | grep -c 'after-restart')" 0
# A session end still pending must not reach the tests that follow.
wait_wineboot
pkill -f 'wineboot.exe --end-session' 2>/dev/null
touch "$ready.stop"
for _ in $(seq 1 50); do pgrep -f session_keeper.exe >/dev/null || break; sleep 0.2; done
test_done
