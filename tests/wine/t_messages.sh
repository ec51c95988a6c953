#!/usr/bin/env bash
# "MessageBox", "MessageBalloon" and "System Tray" on the real engine: a box
# with each icon and each button set, closed with each button and with
# Escape, its answer written by the script; a box owned by the page on
# screen; a silent run shows nothing and leaves the variable as it was;
# "System Tray" lines 1 and 3 together leave the page visible and the icon
# shown; in tray mode a newly displayed page waits hidden until the icon is
# clicked; a balloon keeps the icon and the run going.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

box() { robot wait --timeout 30000 --class '#32770' --title-contains "$1" | robot_value hwnd; }
page_visible() { robot list | grep -c 'class=VantrellFormContainer'; }
is_visible() { robot list | grep -c "^window=$1 "; }

echo "-- message boxes: icons, button sets, answers"
dir="$(scratch)"
out="$(winpath "$dir/out.txt")"
# Box N: icon (line 3), buttons (line 4), what the robot presses, the answer.
boxes=(
  "0 0 Abort ABORT"
  "1 0 Retry RETRY"
  "2 0 Ignore IGNORE"
  "3 1 OK OK"
  "0 2 Cancel CANCEL"
  "1 3 Retry RETRY"
  "2 4 Yes YES"
  "3 4 No NO"
  "0 5 ESCAPE CANCEL"
  "1 5 Yes YES"
)
{
  echo "@title Messages"
  echo "Set Variable|NAME|Pat|FALSE"
  n=0
  for b in "${boxes[@]}"; do
    set -- $b
    n=$((n + 1))
    echo "MessageBox|Box $n|Hello \$NAME\$, box $n|$1|$2|B$n"
  done
  line=""
  for ((i = 1; i <= n; i++)); do line+="\$B$i\$ "; done
  echo "Write to Text File|$out|$line|FALSE"
  echo "Display Dialog|Welcome|MODELESS|FALSE||TRUE|FALSE"
  echo "MessageBox|Owned|By the page|0|1|"
  echo "Hide Dialog"
  echo "Terminate with Exit Code|5"
} | make_script_setup "$dir/setup"

robot_bg_run "$dir/robot.log" --timeout 180000 -- "$(winpath "$dir/setup/setup.exe")"
icons=(information question warning error)
buttons=("Abort|Retry|Ignore|" "OK|" "OK|Cancel|" "Retry|Cancel|" "Yes|No|" "Yes|No|Cancel|")
n=0
for b in "${boxes[@]}"; do
  set -- $b
  n=$((n + 1))
  w="$(box "Box $n")"
  if [ -z "$w" ]; then fail "box $n did not appear"; continue; fi
  dump="$(robot dump --hwnd "$w")"
  check "box $n: title, expanded text, icon $1, buttons $2" \
    "$(robot_value title <<<"$dump")/$(robot_value static <<<"$dump" | tr '\n' '|')/$(robot_value icon <<<"$dump")/$(robot_value button <<<"$dump" | tr '\n' '|')" \
    "Box $n/Hello Pat, box $n|/${icons[$1]}/${buttons[$2]}"
  [ "$n" = 1 ] && check "box 1: no page on screen, no owner" "$(robot_value owner <<<"$dump")" 0x00000000
  [ "$n" = 10 ] && screenshot messages-box-yesnocancel --hwnd "$w" >/dev/null
  if [ "$3" = ESCAPE ]; then
    robot key --hwnd "$w" --keys ESCAPE >/dev/null
  else
    robot click --hwnd "$w" --button "$3" >/dev/null
  fi
done
owned="$(box Owned)"
odump="$(robot dump --hwnd "$owned")"
page="$(robot wait --timeout 10000 --class VantrellFormContainer | robot_value hwnd)"
check "a box shown while a page is on screen is owned by the page" "$(robot_value owner <<<"$odump")" "$page"
screenshot messages-box-owned --screen >/dev/null
robot click --hwnd "$owned" --button OK >/dev/null
run="$(robot_bg_wait "$dir/robot.log" 60)"
check "the run went through (exit code)" "$(robot_value exit <<<"$run")" 5
want=""
for b in "${boxes[@]}"; do set -- $b; want+="$4 "; done
check "the answers, in order (Escape on Yes/No/Cancel is CANCEL)" "$(tr -d '\r' <"$dir/out.txt" 2>/dev/null)" "$want"

echo "-- a silent run"
dir="$(scratch)"
out="$(winpath "$dir/out.txt")"
make_script_setup "$dir/setup" <<S
@title Messages
Set Variable|ANSWER|KEEP|FALSE
MessageBox|Silent|Not shown|1|5|ANSWER
MessageBalloon|Silent|Not shown|0|10
System Tray|TRUE|TRUE|FALSE|FALSE
Write to Text File|$out|answer=\$ANSWER\$|FALSE
Terminate with Exit Code|5
S
run="$(robot run --timeout 60000 -- "$(winpath "$dir/setup/setup.exe")" /s)"
check "silent: the run ends by itself" "$(robot_value exit <<<"$run")" 5
check "silent: no window shown" "$(robot_value windows <<<"$run")" 0
check "silent: the variable untouched" "$(tr -d '\r' <"$dir/out.txt" 2>/dev/null)" "answer=KEEP"

echo "-- the tray"
dir="$(scratch)"
out="$(winpath "$dir/out.txt")"
make_script_setup "$dir/setup" <<S
@title Tray Test
Display Dialog|Welcome|MODELESS|FALSE||TRUE|FALSE
System Tray|TRUE||TRUE|
MessageBox|Check one|Lines 1 and 3|0|1|
System Tray|TRUE|||
Display Dialog|Ready|HELD|TRUE||TRUE|FALSE
MessageBalloon|Balloon title|Balloon text|1|5
MessageBox|Check two|After the balloon|0|1|
System Tray||||TRUE
MessageBox|Check three|Icon removed|0|1|
Write to Text File|$out|held=\$HELD\$|FALSE
Terminate with Exit Code|5
S
robot_bg_run "$dir/tray.log" --timeout 180000 -- "$(winpath "$dir/setup/setup.exe")"
check1="$(box "Check one")"
welcome="$(robot wait --timeout 10000 --class VantrellFormContainer | robot_value hwnd)"
check "lines 1 and 3: the page is visible again" "$(robot dump --hwnd "$welcome" | robot_value visible)" 1
check "lines 1 and 3: the icon is shown" "$(robot tray | robot_value icon)" 1
screenshot messages-tray-lines13 --screen >/dev/null
robot syscommand --hwnd "$welcome" --id 61472 >/dev/null # SC_MINIMIZE
sleep 1
check "minimised while the icon is shown: the page goes into the tray" "$(is_visible "$welcome")" 0
robot tray-click >/dev/null
sleep 1
check "the icon clicked: the page is back" "$(is_visible "$welcome")" 1
robot close --hwnd "$welcome" --no-wait >/dev/null
sleep 1
check "a close request is refused: the page stays" "$(is_visible "$welcome")" 1
robot click --hwnd "$check1" --button OK >/dev/null
sleep 3
check "tray mode: the new page is not on screen" "$(page_visible)" 0
robot tray-click >/dev/null
ready="$(robot wait --timeout 10000 --title-contains "Tray Test" --class VantrellFormContainer | robot_value hwnd)"
[ -n "$ready" ] && [ "$ready" != "$welcome" ] && pass "the icon clicked: the page displayed meanwhile appears" ||
  fail "the icon clicked: no new page [$ready]"
check "the icon clicked: the page has the focus" "$(robot focus --hwnd "$ready" | robot_value focus_text)" "Next >"
screenshot messages-tray-restored --hwnd "$ready" >/dev/null
robot click --hwnd "$ready" --button "Next >" --no-wait >/dev/null
check2="$(box "Check two")"
if [ -n "$check2" ]; then
  pass "the balloon shown, the run goes on"
  check "the balloon: the icon stays" "$(robot tray | robot_value icon)" 1
  screenshot messages-balloon --screen >/dev/null
  robot click --hwnd "$check2" --button OK >/dev/null
else
  fail "no box after the balloon"
fi
check3="$(box "Check three")"
check "line 4: the icon removed" "$(robot tray | robot_value icon)" 0
check "line 4: the page on screen" "$(is_visible "$ready")" 1
robot click --hwnd "$check3" --button OK >/dev/null
run="$(robot_bg_wait "$dir/tray.log" 60)"
check "tray: the run went through" "$(robot_value exit <<<"$run")" 5
check "tray: the held page's answer" "$(tr -d '\r' <"$dir/out.txt" 2>/dev/null)" "held=NEXT"
echo "  note screenshots: $WINE_RUN_DIR/shots/messages-*.png"
test_done
