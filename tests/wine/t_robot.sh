#!/usr/bin/env bash
# The test robot's own end-to-end test: drives robot_fixture.exe through
# robot.exe under Wine (exit codes, window tracking, message-box reading,
# clicking, closing, screenshots, argument passing) and checks every answer.
set -uo pipefail
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
wine_env_init || exit 1

FIXTURE="$(winpath "$TESTBIN/robot_fixture.exe")"
if [ ! -f "$TESTBIN/robot.exe" ] || [ ! -f "$TESTBIN/robot_fixture.exe" ]; then
  fail "robot.exe / robot_fixture.exe missing in $TESTBIN"
  test_done
fi

# Exit codes come back as full 32-bit unsigned values, with no window shown.
for code in 0 13 314 3221225477; do
  out="$(robot run --timeout 20000 -- "$FIXTURE" exit "$code")"
  check "exit $code: exit code" "$(robot_value exit <<<"$out")" "$code"
  check "exit $code: no window" "$(robot_value windows <<<"$out")" "0"
done

# Message boxes: wait, read, photograph, click OK, and get the exit code back.
#  icon-arg  expected-icon  exit-code  title
cases=(
  "error     error          314        Robot Error Box"
  "warning   warning        7          Robot Warning Box"
  "info      information    0          Robot Info Box"
  "question  question       3221225477 Robot Question Box"
  "none      none           42         Robot Plain Box"
)
for row in "${cases[@]}"; do
  read -r icon want_icon code title <<<"$row"
  dir="$(scratch)"
  text="First line for $icon"$'\n'"second line"
  robot_bg_run "$dir/run.log" --timeout 30000 -- "$FIXTURE" msgbox "$title" "$text" "$icon" "$code"
  waited="$(robot wait --timeout 20000 --title "$title")"
  check "$icon: wait finds the box" "$(robot_value title <<<"$waited")" "$title"
  check "$icon: dialog class" "$(robot_value class <<<"$waited")" "#32770"
  robot_wait_line "$dir/run.log" window 10
  check "$icon: log shows the window while it runs" "$(robot_value window <"$dir/run.log" | tr -d '\r')" "$title"

  dump="$(robot dump --title "$title")"
  check "$icon: dump title" "$(robot_value title <<<"$dump")" "$title"
  check "$icon: dump static text" "$(robot_value static <<<"$dump")" 'First line for '"$icon"'\nsecond line'
  check "$icon: dump buttons" "$(robot_value button <<<"$dump")" "OK"
  check "$icon: dump default button" "$(robot_value default <<<"$dump")" "OK"
  check "$icon: dump icon" "$(robot_value icon <<<"$dump")" "$want_icon"
  check "$icon: dump owner" "$(robot_value owner <<<"$dump")" "0x00000000"
  check "$icon: dump visible" "$(robot_value visible <<<"$dump")" "1"
  pid="$(robot_value pid <<<"$dump")"
  check "$icon: dump pid is the fixture's" "$pid" "$(robot_value pid <"$dir/run.log" | tr -d '\r')"

  png="$(screenshot "robot-$icon" --title "$title")"
  if [ -n "$png" ] && [ -f "$png" ]; then
    size="$(identify -format '%wx%h' "$png" 2>/dev/null)"
    rect="$(robot_value rect <<<"$dump")"
    IFS=, read -r l t r b <<<"$rect"
    check "$icon: screenshot size is the window's" "$size" "$((r - l))x$((b - t))"
    colours="$(convert "$png" -format '%k' info: 2>/dev/null)"
    if [ "${colours:-0}" -gt 2 ]; then pass "$icon: screenshot has content ($colours colours)"
    else fail "$icon: screenshot looks blank ($colours colours)"; fi
  else
    fail "$icon: no screenshot"
  fi

  clicked="$(robot click --title "$title" --button "&OK")"
  check "$icon: click reports the button" "$(robot_value clicked <<<"$clicked")" "OK"
  check "$icon: box gone after click" "$(robot_value gone <<<"$clicked")" "1"
  result="$(robot_bg_wait "$dir/run.log")"
  check "$icon: robot run succeeded" "$?" "0"
  check "$icon: exit code through robot run" "$(robot_value exit <<<"$result")" "$code"
  check "$icon: one window seen" "$(robot_value windows <<<"$result")" "1"
  check "$icon: window title seen" "$(robot_value window <<<"$result")" "$title"
done

# WM_CLOSE ends an OK-only box: Windows answers IDOK (code 21 here), Wine 8
# answers IDCANCEL (the fixture exits with 100 + IDCANCEL = 102).
dir="$(scratch)"
robot_bg_run "$dir/run.log" -- "$FIXTURE" msgbox "Robot Close Box" "close me" info 21
robot wait --title "Robot Close Box" >/dev/null
closed="$(robot close --title-contains "Close Box")"
check "close: box gone" "$(robot_value gone <<<"$closed")" "1"
code="$(robot_bg_wait "$dir/run.log" | robot_value exit)"
if [ "$code" == "21" ] || [ "$code" == "102" ]; then pass "close: process ended ($code)"
else fail "close: exit code: got [$code], want 21 or 102"; fi

# A box owned by a plain window: owner= names that window, run sees both.
dir="$(scratch)"
robot_bg_run "$dir/run.log" -- "$FIXTURE" owned "Robot Owner Window" "Robot Owned Box" "owned" 9
owner="$(robot wait --title "Robot Owner Window" | robot_value hwnd)"
check "owned: owner window class" \
  "$(robot dump --title "Robot Owner Window" | robot_value class)" "RobotFixtureOwner"
check "owned: owner= is the owner window" \
  "$(robot dump --title "Robot Owned Box" | robot_value owner)" "$owner"
robot click --title "Robot Owned Box" --button OK >/dev/null
result="$(robot_bg_wait "$dir/run.log")"
check "owned: exit code" "$(robot_value exit <<<"$result")" "9"
check "owned: two windows seen" "$(robot_value windows <<<"$result")" "2"
check "owned: titles seen" "$(robot_value window <<<"$result" | sort | tr '\n' '|')" \
  "Robot Owned Box|Robot Owner Window|"

# A setup-like page: every control kind is read; clicks go through the buttons.
dir="$(scratch)"
robot_bg_run "$dir/run.log" -- "$FIXTURE" form "Robot Form"
dump="$(robot dump --title "Robot Form")"
check "form: statics (hidden ones left out)" "$(robot_value static <<<"$dump")" "Page one"
check "form: edit" "$(robot_value edit <<<"$dump")" 'C:\Program Files\App'
check "form: group" "$(robot_value group <<<"$dump")" "Options"
check "form: buttons" "$(robot_value button <<<"$dump" | tr '\n' '|')" \
  "Desktop icon|Start menu|< Back|Next >|Cancel|"
check "form: checked" "$(robot_value checked <<<"$dump")" "Desktop icon"
check "form: disabled" "$(robot_value disabled <<<"$dump")" "< Back"
check "form: default button from its style" "$(robot_value default <<<"$dump")" "Next >"
check "form: no icon" "$(robot_value icon <<<"$dump")" "none"
robot click --title "Robot Form" --button "Start menu" --no-wait >/dev/null
robot click --title "Robot Form" --button "&Next >" --no-wait >/dev/null
sleep 0.3
dump="$(robot dump --title "Robot Form")"
check "form: check box clicked" "$(robot_value checked <<<"$dump" | tr '\n' '|')" \
  "Desktop icon|Start menu|"
check "form: Next > handled" "$(robot_value static <<<"$dump")" "Page two"
robot click --title "Robot Form" --button "< Back" >/dev/null 2>&1
check "form: disabled button refused" "$?" "1"
robot click --title "Robot Form" --button "Finish" >/dev/null 2>&1
check "form: missing button refused" "$?" "1"
check "form: Cancel closes it" "$(robot click --title "Robot Form" --button Cancel | robot_value gone)" "1"
check "form: exit code" "$(robot_bg_wait "$dir/run.log" | robot_value exit)" "2"

# A program still running at the timeout is killed and the robot fails.
dir="$(scratch)"
out="$(robot run --timeout 1500 -- "$FIXTURE" msgbox "Robot Stuck Box" "nobody clicks" none 0 2>"$dir/err")"
check "timeout: robot exit status" "$?" "3"
check "timeout: window was seen" "$(robot_value window <<<"$out")" "Robot Stuck Box"
check "timeout: reason on stderr" "$(tr -d '\r' <"$dir/err" | head -c 15)" "robot: timeout:"
sleep 0.5
if robot wait --timeout 500 --title "Robot Stuck Box" >/dev/null 2>&1; then
  fail "timeout: box still there after the kill"
else
  pass "timeout: box gone after the kill"
fi

# Selectors that match nothing fail after their timeout.
robot wait --timeout 300 --title "No Such Window" >/dev/null 2>&1
check "wait: missing window fails with timeout status" "$?" "3"
robot frobnicate >/dev/null 2>&1
check "unknown command is a usage error" "$?" "2"

# Arguments reach the program exactly, through argv quoting and through --raw.
dir="$(scratch)"
export ROBOT_FIXTURE_OUT="$dir/args.txt"
# Backslashes are literal here, exactly as the program must receive them.
# shellcheck disable=SC1003
expected=('a "quoted" word' 'two  blanks' '/l=C:\a b\x.log' 'NAME=VALUE=1' '' 'C:\dir\' 'x\"y' 'ünï')
out="$(robot run -- "$FIXTURE" args "${expected[@]}")"
check "argv: fixture exit" "$(robot_value exit <<<"$out")" "0"
check "argv: count" "$(robot_value argc <"$ROBOT_FIXTURE_OUT")" "$(( ${#expected[@]} + 2 ))"
for i in "${!expected[@]}"; do
  check "argv: argument $i" "$(robot_value "arg$((i + 2))" <"$ROBOT_FIXTURE_OUT")" "${expected[$i]}"
done

raw="\"$FIXTURE\" args /l=\"C:\\a b\\x.log\" NAME=\"VALUE=1\"  /SILENT"
out="$(robot run --raw "$raw")"
check "raw: fixture exit" "$(robot_value exit <<<"$out")" "0"
check "raw: command line verbatim" "$(robot_value raw <"$ROBOT_FIXTURE_OUT")" "$raw"
check "raw: /l= argument" "$(robot_value arg2 <"$ROBOT_FIXTURE_OUT")" '/l=C:\a b\x.log'
check "raw: NAME= argument" "$(robot_value arg3 <"$ROBOT_FIXTURE_OUT")" 'NAME=VALUE=1'
check "raw: last argument" "$(robot_value arg4 <"$ROBOT_FIXTURE_OUT")" '/SILENT'
out="$(robot run --raw "setup.exe /D=C:\\x y" -- "$FIXTURE")"
check "raw with program: exit (bad usage)" "$(robot_value exit <<<"$out")" "1000"
unset ROBOT_FIXTURE_OUT

png="$(screenshot robot-screen)"
check "screen shot size" "$(identify -format '%wx%h' "$png" 2>/dev/null)" "1024x768"

test_done
