#!/usr/bin/env bash
# Cancel during the example's installer run: the progress page asks, Yes
# disables its Cancel button and keeps the page, the installer is stopped and
# the product is not installed (or, where Wine's installer does not roll
# back, the cancel is seen to reach it).
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

if ! find_author; then
  fail "vantrell-author is not built (set AUTHOR or build the native preset)"
  test_done
fi
dir="$(scratch)"
example_project "$dir" 2000
"$AUTHOR" build "$dir/project/example.vproj" "$dir/out" --engine "$DIST/engine.exe" 2>"$dir/build.err"
check "the example builds" "$?" 0

page() { robot wait --timeout 30000 --title-contains " - Vantrell Wizard" --class VantrellFormContainer | robot_value hwnd; }
keys() { robot key --hwnd "$1" --keys "$2" >/dev/null; sleep 0.3; }
values() { robot dump --hwnd "$1" | robot_value "$2" | tr '\n' '|'; }

robot_bg_run "$dir/run.log" --timeout 240000 -- "$(winpath "$dir/out/setup.exe")"
keys "$(robot wait --timeout 30000 --title "Select Setup Language" | robot_value hwnd)" RETURN
keys "$(page)" RETURN
w="$(page)"
robot scroll --hwnd "$w" --index 0 >/dev/null
sleep 0.3
robot click --hwnd "$w" --button "I accept the license agreement" --no-wait >/dev/null
sleep 0.3
keys "$w" ALT+N
keys "$(page)" ALT+N # user information
keys "$(page)" ALT+N # destination
keys "$(page)" ALT+N # components
keys "$(page)" ALT+I # ready

# The progress page: as soon as its bar is there, Cancel and Yes.
progress=""
for _ in $(seq 1 300); do
  w="$(page)"
  if [ -n "$w" ] && robot dump --hwnd "$w" | grep -q '^progress='; then progress="$w"; break; fi
  sleep 0.05
done
[ -n "$progress" ] && pass "the progress page is up" || fail "no progress page"
robot click --hwnd "$progress" --button Cancel --no-wait >/dev/null
question="$(robot wait --timeout 20000 --class '#32770' | robot_value hwnd)"
check "the question" "$(values "$question" static)" "Are you sure you want to cancel?|"
robot click --hwnd "$question" --button Yes >/dev/null
answered=$(date +%s%N)
# The page is read until its Cancel button is off (each read starts a robot
# process, which under Wine takes some hundred milliseconds).
for _ in 1 2 3 4 5; do
  after="$(robot dump --hwnd "$progress" 2>/dev/null)"
  [[ "$(robot_value disabled <<<"$after" | tr '\n' '|')" == *"Cancel|"* ]] && break
done
within=$((($(date +%s%N) - answered) / 1000000))
if [ -n "$after" ]; then
  pass "Yes keeps the progress page"
  [[ "$(robot_value disabled <<<"$after" | tr '\n' '|')" == *"Cancel|"* ]] &&
    pass "Yes disables the Cancel button (read ${within} ms after the answer, the robot's start included)" ||
    fail "Cancel still enabled after Yes [$(robot_value disabled <<<"$after" | tr '\n' '|')]"
else
  echo "  note the installer run ended before the page could be read after Yes"
fi
screenshot example-cancelled-progress --hwnd "$progress" >/dev/null 2>&1

# The run ends; a box with the installer's reason may come first.
for _ in $(seq 1 120); do
  [ -f "$dir/run.log.status" ] && break
  box="$(robot wait --timeout 500 --class '#32770' 2>/dev/null | robot_value hwnd)"
  if [ -n "$box" ]; then
    echo "  note the script's box: $(values "$box" static)"
    robot close --hwnd "$box" >/dev/null
  fi
done
run="$(robot_bg_wait "$dir/run.log" 120)"
check "the cancelled run ends with the script's failure code" "$(robot_value exit <<<"$run")" 1
app="$WINEPREFIX/drive_c/Program Files/Vantrell Author Example"
[ "$ENGINE_BITS" = 64 ] || app="$WINEPREFIX/drive_c/Program Files (x86)/Vantrell Author Example"
registered="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example' \
  /v UninstallString 2>/dev/null | tr -d '\r' | grep -c UninstallString)"
check "not registered for maintenance" "$registered" 0
left="$(find "$app" -type f 2>/dev/null | wc -l)"
if [ "$left" -eq 0 ]; then
  pass "nothing installed: the installer rolled back"
else
  echo "  note Wine's installer left $left files of the cancelled run in $app (no rollback of copied files)"
fi
# Without a rollback Wine's installer may keep the cancelled product as
# installed; it is removed so that the tests after this one start clean.
wine msiexec /x "{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}" /qn >/dev/null 2>&1
rm -rf "$app"
test_done
