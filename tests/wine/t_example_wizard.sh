#!/usr/bin/env bash
# The example's wizard as a user goes through it, by keyboard and mouse: the
# license is scrolled to its end before "I accept" can be ticked, the user
# information keeps its tab order, a typed target folder and a component left
# out through the component tree's menu are what the setup installs, Back and Next keep the values,
# Cancel answered No changes nothing and Yes ends the setup. Every page is
# photographed at 96 and at 144 dots per inch.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

if ! find_author; then
  fail "vantrell-author is not built (set AUTHOR or build the native preset)"
  test_done
fi
dir="$(scratch)"
example_project "$dir" 2000
# A user guide of some size, so that leaving it out shows in the space required.
head -c 600000 /dev/urandom >"$dir/project/files/help/en/figures.dat"
"$AUTHOR" build "$dir/project/example.vproj" "$dir/out" --engine "$DIST/engine.exe" \
  2>"$dir/build.err"
check "the example builds with its forms" "$?" 0

page() { robot wait --timeout 30000 --title-contains " - Vantrell Wizard" --class VantrellFormContainer | robot_value hwnd; }
# on_page HWND HEADING-TEXT : the page is up (its edit, list or button set tells which)
focus_of() { robot focus --hwnd "$1" | robot_value focus_text; }
keys() { robot key --hwnd "$1" --keys "$2" >/dev/null; sleep 0.5; }
dump_of() { robot dump --hwnd "$1"; }
# tab_order HWND N : the focus after each of N presses of Tab, "|"-separated
tab_order() {
  local order="" i
  for ((i = 0; i < $2; i++)); do
    keys "$1" TAB
    order+="$(focus_of "$1")|"
  done
  printf '%s' "$order"
}
values() { dump_of "$1" | robot_value "$2" | tr '\n' '|'; }

set_dpi() { # set_dpi N : the resolution new processes of the prefix see
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

echo "-- through the wizard at 96 dpi"
set_dpi 96
target='C:\Example Apps\Author'
robot_bg_run "$dir/run.log" --timeout 240000 -- "$(winpath "$dir/out/setup.exe")"
language="$(robot wait --timeout 30000 --title "Select Setup Language" | robot_value hwnd)"
check "language: English preselected for an English user" "$(focus_of "$language")" English
screenshot example-96-language --hwnd "$language" >/dev/null
keys "$language" RETURN
welcome="$(page)"
check "welcome: the focus starts on Next (Back is off)" "$(focus_of "$welcome")" "Next >"
check "welcome: Back is disabled" "$(values "$welcome" disabled)" "< Back|"
check "welcome: Tab order" "$(tab_order "$welcome" 2)" "Cancel|Next >|"
screenshot example-96-welcome --hwnd "$welcome" >/dev/null
keys "$welcome" RETURN

license="$(page)"
check "license: the license text from the support folder" \
  "$(dump_of "$license" | robot_value edit | head -c 43)" "VANTRELL AUTHOR EXAMPLE - LICENSE AGREEMENT"
check "license: accept and Next wait for the text to be read" "$(values "$license" disabled)" \
  "I accept the license agreement|Next >|"
check "license: Tab order (the disabled ones left out)" "$(tab_order "$license" 3 | sed 's/VANTRELL[^|]*|/<license>|/')" "< Back|Cancel|<license>|"
keys "$license" RETURN
check "license: Enter does nothing while Next is off" "$(page)" "$license"
robot scroll --hwnd "$license" --index 0 >/dev/null
sleep 0.5
check "license: scrolled to its end, the accept box is enabled" "$(values "$license" disabled)" "Next >|"
robot click --hwnd "$license" --button "I accept the license agreement" --no-wait >/dev/null
sleep 0.5
check "license: ticked, Next is enabled" "$(values "$license" disabled)" ""
screenshot example-96-license --hwnd "$license" >/dev/null
keys "$license" ALT+N

info="$(page)"
check "user information: the focus starts in the user name" "$(robot focus --hwnd "$info" | robot_value focus_class)" "Edit"
robot type --hwnd "$info" --index 0 --text "Pat Tester" >/dev/null
robot type --hwnd "$info" --index 1 --text "Example Ltd" >/dev/null
order=""
for _ in 1 2 3 4 5; do
  keys "$info" TAB
  order+="$(focus_of "$info")|"
done
check "user information: Tab goes through the page in tab order (Back is on now)" "$order" \
  "Example Ltd|< Back|Next >|Cancel|Pat Tester|"
screenshot example-96-userinfo --hwnd "$info" >/dev/null
keys "$info" ALT+N

destination="$(page)"
check "destination: Tab order" "$(tab_order "$destination" 5 | sed 's/C:[^|]*|/<folder>|/')" "Browse...|< Back|Next >|Cancel|<folder>|"
robot type --hwnd "$destination" --index 0 --text "$target" >/dev/null
check "destination: the typed folder" "$(dump_of "$destination" | robot_value edit)" "$target"
statics="$(values "$destination" static)"
[[ "$statics" == *" KB|"* || "$statics" == *" bytes|"* || "$statics" == *" MB|"* ]] &&
  pass "destination: required and free space shown ($statics)" || fail "destination: space texts [$statics]"
screenshot example-96-destination --hwnd "$destination" >/dev/null
robot click --hwnd "$destination" --button Cancel --no-wait >/dev/null
question="$(robot wait --timeout 20000 --class '#32770' | robot_value hwnd)"
qdump="$(robot dump --hwnd "$question")"
check "cancel: the question" "$(robot_value static <<<"$qdump")" "Are you sure you want to cancel?"
check "cancel: question icon" "$(robot_value icon <<<"$qdump")" question
check "cancel: No is the default" "$(robot_value default <<<"$qdump")" "No"
screenshot example-96-cancel-question --hwnd "$question" >/dev/null
robot click --hwnd "$question" --button No >/dev/null
check "cancel answered No: the page stays with its value" "$(dump_of "$destination" | robot_value edit)" "$target"
keys "$destination" ALT+N

components="$(page)"
# The tree: Application with Program (fixed) and Help below it, all expanded,
# the first node selected. The statics are the description, the size and the
# space required, available and left.
check "components: Tab order" "$(tab_order "$components" 4)" "< Back|Next >|Cancel||"
statics() { values "$components" static; }
descr="$(statics)"
[[ "$descr" == "The example application|"* ]] &&
  pass "components: the first node selected, its description shown ($descr)" || fail "components: texts [$descr]"
required_all="$(statics | cut -d'|' -f3)"
menu() { # the context-menu key on the selected node, then KEYS in the menu
  keys "$components" APPS
  keys "$components" "$1"
}
keys "$components" HOME,DOWN
check "components: the description follows the selection" "$(statics | cut -d'|' -f1)" \
  "The program and its notes; always installed"
menu U
check "components: the fixed program opens no menu" "$(statics | cut -d'|' -f3)" "$required_all"
keys "$components" DOWN
check "components: the user guide" "$(statics | cut -d'|' -f1)" "The user guide, in its own folder below the application"
menu U
required_less="$(statics | cut -d'|' -f3)"
[ "$required_less" != "$required_all" ] && pass "components: Help unavailable, less space required ($required_all -> $required_less)" ||
  fail "components: the required space stays $required_all"
keys "$components" HOME
menu E
check "components: the entire feature brings Help back" "$(statics | cut -d'|' -f3)" "$required_all"
menu U
check "components: the entire feature unavailable leaves the fixed program" "$(statics | cut -d'|' -f3)" "$required_less"
screenshot example-96-components --hwnd "$components" >/dev/null
keys "$components" ALT+B
check "Back: the destination page keeps the typed folder" "$(dump_of "$(page)" | robot_value edit)" "$target"
keys "$(page)" ALT+N
components="$(page)"
check "Next: the components page keeps the choice" "$(statics | cut -d'|' -f3)" "$required_less"
keys "$components" ALT+N

ready="$(page)"
check "ready: Install is the default button" "$(dump_of "$ready" | robot_value default)" "Install"
check "ready: Tab order" "$(tab_order "$ready" 3)" "Install|Cancel|< Back|"
screenshot example-96-ready --hwnd "$ready" >/dev/null
# The progress page follows the installer run: the robot, started before
# Install is pressed so that a loaded machine does not make it miss the
# first figures, reads the bar every 10 ms (position/minimum/maximum) and
# photographs each new position until the finish page is up.
robot progress --title-contains " - Vantrell Wizard" --class VantrellFormContainer --until Finish \
  --shots "$(winpath "$WINE_RUN_DIR/shots")\\example-96-progress" >"$dir/progress.out" &
watcher=$!
sleep 1
keys "$ready" ALT+I
wait "$watcher"
watch="$(cat "$dir/progress.out")"
mapfile -t seen < <(robot_value progress <<<"$watch")
echo "  note progress page: $(robot_value progress <<<"$watch" | tr '\n' ' ') at $(robot_value at <<<"$watch" | tr '\n' ' ') ms"
last="${seen[-1]:-}"
for shot in "$WINE_RUN_DIR"/shots/example-96-progress-*.bmp; do
  [ -f "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
# Wine's installer reports its progress in a few coarse steps, most of them
# within one second, so the page's one-second refresh shows two or three of
# them: at least the start and the end are required.
[ "${#seen[@]}" -ge 2 ] && pass "progress: the bar moved ${#seen[@]} times (${seen[*]})" ||
  fail "progress: the bar moved ${#seen[@]} times (${seen[*]})"
check "progress: the bar ends at its maximum" "${last%%/*}" "${last##*/}"
finish="$(robot_value until <<<"$watch")"
[ -n "$finish" ] && pass "finish: the last page appears" || fail "finish: no finish page"
screenshot example-96-finish --hwnd "$finish" >/dev/null
check "finish: the focus on Finish, the page's one stop" "$(focus_of "$finish")|$(tab_order "$finish" 1)" "Finish|Finish|"
keys "$finish" RETURN
run="$(robot_bg_wait "$dir/run.log" 240)"
check "installed: exit code 0" "$(robot_value exit <<<"$run")" 0
app="$WINEPREFIX/drive_c/Example Apps/Author"
check "installed: in the typed folder, without the unticked help" \
  "$(cd "$app" 2>/dev/null && find . -type f ! -name 'part*.dat' | sort | tr '\n' ' ')/$(find "$app" -name 'part*.dat' | wc -l)" \
  "./hello.cmd ./readme.txt /2000"
check "installed: the registry value holds the typed folder" \
  "$(wine reg query 'HKLM\Software\Vantrell Examples\Author Example' /v InstallDir /reg:32 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *InstallDir *REG_SZ *//p')" "$target"
uninstall="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example' \
  /v UninstallString /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p')"
[ -z "$uninstall" ] && uninstall="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example' \
  /v UninstallString 2>/dev/null | tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p')"
cached="${uninstall#\"}"
cached="${cached%%\"*}"
if [ -n "$cached" ]; then
  removed="$(robot run --timeout 180000 -- "$cached" /s REMOVE=TRUE MODIFY=FALSE)"
  check "removed again through the cached copy" "$(robot_value exit <<<"$removed")" 0
else
  fail "no uninstall entry"
fi

echo "-- the pages at 144 dpi, then Cancel answered Yes"
set_dpi 144
robot_bg_run "$dir/run144.log" --timeout 180000 -- "$(winpath "$dir/out/setup.exe")"
keys "$(robot wait --timeout 30000 --title "Select Setup Language" | robot_value hwnd)" RETURN
w="$(page)"
screenshot example-144-welcome --hwnd "$w" >/dev/null
check "144 dpi: the page grows by half" "$(dump_of "$w" | robot_value rect | awk -F, '{print ($3 - $1 > 650) ? "wide" : "narrow"}')" wide
keys "$w" RETURN
w="$(page)"
robot scroll --hwnd "$w" --index 0 >/dev/null
sleep 0.5
robot click --hwnd "$w" --button "I accept the license agreement" --no-wait >/dev/null
sleep 0.5
screenshot example-144-license --hwnd "$w" >/dev/null
for name in userinfo destination components ready; do
  keys "$w" ALT+N
  w="$(page)"
  screenshot "example-144-$name" --hwnd "$w" >/dev/null
done
keys "$w" ESCAPE
question="$(robot wait --timeout 20000 --class '#32770' | robot_value hwnd)"
robot click --hwnd "$question" --button Yes >/dev/null
run="$(robot_bg_wait "$dir/run144.log" 120)"
check "cancel answered Yes: the script's exit code for a cancelled wizard" "$(robot_value exit <<<"$run")" 2
[ -d "$WINEPREFIX/drive_c/Example Apps/Author" ] && [ -n "$(ls -A "$WINEPREFIX/drive_c/Example Apps/Author" 2>/dev/null)" ] &&
  fail "cancelled: something was installed" || pass "cancelled: nothing installed"
set_dpi 96
echo "  note screenshots: $WINE_RUN_DIR/shots/example-*.png"
test_done
