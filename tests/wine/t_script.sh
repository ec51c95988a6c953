#!/usr/bin/env bash
# Scripts run by the real engine under Wine: branches, labels, wizard loops,
# exit codes, the runtime error box (silent: none) and the compilation check;
# the watchdog that ends background work deaf to a cancel (watchdog_check.exe).
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

# run_case NAME EXPECTED-EXIT [ARGS...] < statements : silent run through the robot.
run_case() {
  local name="$1" want="$2" dir out
  shift 2
  dir="$(scratch)"
  make_script_setup "$dir"
  out="$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s "/l=$(winpath "$dir/t.log")" "$@")"
  check "$name: exit code" "$(robot_value exit <<<"$out")" "$want"
  check "$name: no window" "$(robot_value windows <<<"$out")" 0
  LAST_TRACE="$(iconv -f UTF-16LE -t UTF-8 "$dir/t.log" 2>/dev/null | tr -d '\r')"
}

echo "-- branches and exit codes"
run_case "if / else if / else picks the true branch" 22 <<'S'
Evaluate Expression|$TITLE$ = "Script Test"|MATCH
If|MATCH|0|FALSE|TRUE
Terminate with Exit Code|11
Else If|MATCH|4|true|TRUE
Terminate with Exit Code|22
Else
Terminate with Exit Code|33
End
S
run_case "nested false block is skipped, switched-off statements never run" 5 <<'S'
If|TITLE|0|nope|TRUE
If|TITLE|0|Script Test|TRUE
Terminate with Exit Code|1
End
-Terminate with Exit Code|2
End
-Terminate with Exit Code|3
Ignore
Terminate with Exit Code|5
S
run_case "goto label loop" 7 <<'S'
GoTo Label|Finish
Terminate with Exit Code|1
Label|finish
Evaluate Expression|"a" < "b" and ("x" = "y" or "1" <> "2")|R
If|R|0|TRUE|TRUE
Terminate with Exit Code|7
End
Terminate with Exit Code|9
S
run_case "goto label loops back until a flag is set" 8 <<'S'
Evaluate Expression|"a" = "b"|FLAG
Label|top
If|FLAG|0|TRUE|TRUE
Terminate with Exit Code|8
End
Evaluate Expression|"a" = "a"|FLAG
GoTo Label|TOP
Terminate with Exit Code|1
S
run_case "exit code from a command-line variable" 42 CODE=42 <<'S'
Terminate with Exit Code|$CODE$
S
# The command-line value wins over the script's own assignment in a silent run.
run_case "contains ignoring case upper-cases with the code page" 6 "NAME=caf$(printf '\xc3\xa9')" \
  <<<"$(printf 'Evaluate Expression|"a" = "a"|NAME\nIf|NAME|3|AF\xc9|TRUE\nTerminate with Exit Code|6\nEnd\nTerminate with Exit Code|1')"
run_case "silent wizard loop runs every dialog forward" 3 <<'S'
Wizard Loop
Display Dialog|Welcome|WIZARD|TRUE||TRUE|FALSE
Display Dialog|Ready|LAST|TRUE||TRUE|FALSE
End
If|LAST|0|NEXT|TRUE
Terminate with Exit Code|3
End
S
check "script run: trace has the run's lines" "$(grep -c '<veld>\|</veld>\|<ExitScript>' <<<"$LAST_TRACE")" 3

echo "-- the compilation check"
run_case "unbalanced blocks end with 314" 314 <<'S'
If|TITLE|0|x|TRUE
Terminate with Exit Code|1
S
check "no closing CompileScript line" "$(tail -1 <<<"$LAST_TRACE")" "    <CompileScript>"
run_case "variable read before it is set ends with 314" 314 <<'S'
If|LATER|0|x|TRUE
End
Evaluate Expression|"a" = "a"|LATER
S

echo "-- runtime error"
# An "End" before its "If" passes the block count; the false "If" then skips
# past the last statement, which fails on the run's error path at line 12.
error_script() {
  echo "@title Error Test"
  for _ in $(seq 10); do echo "Comment"; done
  echo "End"
  echo "If|TITLE|0|x|TRUE"
  echo "Terminate with Exit Code|9"
}
dir="$(scratch)"
error_script | make_script_setup "$dir"
robot_bg_run "$dir/robot.out" --timeout 60000 -- "$(winpath "$dir/setup.exe")" "/l=$(winpath "$dir/t.log")"
title="Error Test - Vantrell Wizard"
box="$(robot wait --timeout 30000 --title "$title" >/dev/null && robot dump --title "$title")"
text="$(robot_value static <<<"$box" | tail -1)"
[[ "$text" == "Runtime error in setup script:"*"Line 12: "* ]] && pass "error box names line 12: $text" ||
  fail "error box text: [$text]"
check "error box icon" "$(robot_value icon <<<"$box")" error
check "error box has no owner" "$(robot_value owner <<<"$box")" 0x00000000
screenshot "script-error" --title "$title" >/dev/null
robot click --title "$title" --button OK >/dev/null
out="$(robot_bg_wait "$dir/robot.out" 60)"
check "exit code unchanged after the error" "$(robot_value exit <<<"$out")" 0
trace="$(iconv -f UTF-16LE -t UTF-8 "$dir/t.log" | tr -d '\r')"
check "no closing veld line after an error" "$(grep -c '</veld>\|<ExitScript>' <<<"$trace")" 0
check "start-up still cleans up" "$(tail -1 <<<"$trace")" "</Vantrell>"

dir="$(scratch)"
error_script | make_script_setup "$dir"
out="$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" -qn)"
check "silent error: exit code" "$(robot_value exit <<<"$out")" 0
check "silent error: no window" "$(robot_value windows <<<"$out")" 0

echo "-- watchdog_check.exe"
wine "$TESTBIN/watchdog_check.exe" | tr -d '\r'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && pass "watchdog_check.exe" || fail "watchdog_check.exe: $status failure(s)"

test_done
