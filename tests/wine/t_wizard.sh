#!/usr/bin/env bash
# The wizard's pages as real windows: the sample's two pages (text forms in
# examples/sample/forms) in a "Wizard Loop"; the robot reads the first page,
# clicks Next, Back, Next and Cancel, and the script writes what each
# display gave. Equally sized pages open at one place; the title-bar close
# request does not close a page; the system menu's About item names the
# engine; a modeless page sets WINDOWHANDLE, and "Hide Dialog" sets it back
# to "0".
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
out="$(winpath "$dir/out.txt")"
make_script_setup "$dir" <<S
@title Vantrell Sample
Wizard Loop
Display Dialog|Welcome|FIRST|TRUE||TRUE|FALSE
Display Dialog|Ready|SECOND|TRUE||TRUE|FALSE
End
Write to Text File|$out|welcome=\$FIRST\$ ready=\$SECOND\$|FALSE
Display Dialog|Welcome|MODELESS|FALSE||TRUE|FALSE
Write to Text File|$out|modeless=\$MODELESS\$ handle=\$WINDOWHANDLE\$|FALSE
Hide Dialog
Write to Text File|$out|hidden=\$WINDOWHANDLE\$|FALSE
Terminate with Exit Code|5
S
page() { robot wait --timeout 30000 --title-contains " - Vantrell Wizard" | robot_value hwnd; }
rect() { robot dump --hwnd "$1" | robot_value rect; }
robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup.exe")"
welcome="$(page)"
dump="$(robot dump --hwnd "$welcome")"
check "welcome: caption with the suffix" "$(robot_value title <<<"$dump")" "Vantrell Sample Setup - Vantrell Wizard"
check "welcome: the buttons as designed, in tab order" "$(robot_value button <<<"$dump" | tr '\n' ' ')" "Next > < Back Cancel "
check "welcome: Next is the default button" "$(robot_value default <<<"$dump")" "Next >"
screenshot wizard-welcome --hwnd "$welcome" >/dev/null
first_rect="$(rect "$welcome")"
robot close --hwnd "$welcome" --no-wait >/dev/null
sleep 1
check "the close request leaves the page" "$(robot dump --hwnd "$welcome" | robot_value visible)" 1
robot syscommand --hwnd "$welcome" --id 1025 >/dev/null
about="$(robot dump --title "Vantrell Wizard" --class '#32770')"
check "About Vantrell Wizard...: an information box about the engine" \
  "$(robot_value icon <<<"$about")/$(robot_value static <<<"$about" | sed 's/\\n.*//')" "information/Vantrell Wizard"
robot click --hwnd "$(robot_value hwnd <<<"$about")" --button OK >/dev/null
# The system menu open: Close greyed, the About item with its picture
# (seen on the screenshot).
robot key --hwnd "$welcome" --keys ALT+SPACE >/dev/null
sleep 0.5
screenshot wizard-system-menu --screen >/dev/null
robot key --hwnd "$welcome" --keys ESCAPE,ESCAPE >/dev/null  # the menu, then menu mode
sleep 0.5
robot click --hwnd "$welcome" --button "Next >" >/dev/null
ready="$(robot wait --timeout 30000 --title-contains " - Vantrell Wizard" | robot_value hwnd)"
check "ready: opens where the welcome page was" "$(rect "$ready")" "$first_rect"
screenshot wizard-ready --hwnd "$ready" >/dev/null
robot click --hwnd "$ready" --button "< Back" >/dev/null
check "Back: the welcome page again" "$(robot wait --timeout 30000 --hwnd "$welcome" | robot_value hwnd)" "$welcome"
robot click --hwnd "$welcome" --button "Next >" >/dev/null
robot wait --timeout 30000 --hwnd "$ready" >/dev/null
robot click --hwnd "$ready" --button "Cancel" >/dev/null
run="$(robot_bg_wait "$dir/robot.log" 60)"
check "exit code" "$(robot_value exit <<<"$run")" 5
results="$(tr -d '\r' <"$dir/out.txt" 2>/dev/null)"
check "the loop's last outcomes (Back was seen as the welcome page again)" \
  "$(grep '^welcome=' <<<"$results")" "welcome=NEXT ready=CANCEL"
modeless="$(grep '^modeless=' <<<"$results")"
[[ "$modeless" =~ ^modeless=NOTMODAL\ handle=[1-9][0-9]*$ ]] && pass "modeless: NOTMODAL and a window handle ($modeless)" ||
  fail "modeless: [$modeless]"
check "Hide Dialog: WINDOWHANDLE back to 0" "$(grep '^hidden=' <<<"$results")" "hidden=0"
test_done
