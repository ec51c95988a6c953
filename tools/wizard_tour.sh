# The example's wizard as a user goes through it, driven by the test robot:
# a first installation (license accepted, the folder changed, the user guide
# unticked), its progress and finish pages, then a maintenance run of the
# cached copy that repairs the product. Every page is photographed; the
# screenshots' paths are printed. Sourced by tools/sample.sh after
# tests/wine/lib.sh; defines functions only.
# shellcheck shell=bash

TOUR_TARGET='C:\Example Apps\Author'

tour_page() { # the wizard page on screen
  robot wait --timeout 60000 --title-contains " - Vantrell Wizard" --class VantrellFormContainer |
    robot_value hwnd
}
tour_keys() { robot key --hwnd "$1" --keys "$2" >/dev/null && sleep 0.5; }
tour_shot() { # NAME HWND
  local path
  path="$(screenshot "$1" --hwnd "$2")" && echo "  $1: $path"
}

# Presses KEYS on the page that starts the installation, with the robot
# already watching (a quick installation would otherwise be over before it
# looks), photographs the progress page at each new position of its bar until
# the finish page is up, and prints the finish page's window.
tour_progress() { # PREFIX PAGE KEYS
  local watch shot watcher out="$WINE_RUN_DIR/progress-$1.out"
  mkdir -p "$WINE_RUN_DIR/shots"
  robot progress --title-contains " - Vantrell Wizard" --class VantrellFormContainer \
    --until Finish --shots "$(winpath "$WINE_RUN_DIR/shots")\\$1-progress" >"$out" &
  watcher=$!
  sleep 1
  robot key --hwnd "$2" --keys "$3" >/dev/null
  wait "$watcher" || return 1
  watch="$(cat "$out")"
  for shot in "$WINE_RUN_DIR/shots/$1"-progress-*.bmp; do
    [ -f "$shot" ] || continue
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
    echo "  $(basename "${shot%.bmp}"): ${shot%.bmp}.png" >&2
  done
  robot_value until <<<"$watch"
}

# wizard_tour SETUP CACHED-SETUP-OR-EMPTY : returns non-zero when a page does not come.
wizard_tour() {
  local setup="$1" w log="$WINE_RUN_DIR/tour.log"
  echo "== the wizard, stepped through by the test robot (screenshots)"
  robot_bg_run "$log" --timeout 600000 -- "$(winpath "$setup")"
  w="$(robot wait --timeout 60000 --title "Select Setup Language" | robot_value hwnd)" || return 1
  tour_shot 00-language "$w"
  tour_keys "$w" RETURN
  w="$(tour_page)" || return 1
  tour_shot 01-welcome "$w"
  tour_keys "$w" RETURN
  w="$(tour_page)"
  robot scroll --hwnd "$w" --index 0 >/dev/null
  sleep 0.5
  robot click --hwnd "$w" --button "I accept the license agreement" --no-wait >/dev/null
  sleep 0.5
  tour_shot 02-license "$w"
  tour_keys "$w" ALT+N
  w="$(tour_page)"
  robot type --hwnd "$w" --index 0 --text "Pat Tester" >/dev/null
  robot type --hwnd "$w" --index 1 --text "Example Ltd" >/dev/null
  tour_shot 03-user-information "$w"
  tour_keys "$w" ALT+N
  w="$(tour_page)"
  robot type --hwnd "$w" --index 0 --text "$TOUR_TARGET" >/dev/null
  tour_shot 04-destination "$w"
  tour_keys "$w" ALT+N
  w="$(tour_page)"
  # The user guide's node, then its menu: "Entire feature will be unavailable".
  tour_keys "$w" HOME,DOWN,DOWN
  tour_keys "$w" APPS
  tour_keys "$w" U
  tour_shot 05-components "$w"
  tour_keys "$w" ALT+N
  w="$(tour_page)"
  tour_shot 06-ready "$w"
  w="$(tour_progress 07 "$w" ALT+I)" || return 1
  tour_shot 08-finish "$w"
  tour_keys "$w" RETURN
  robot_bg_wait "$log" 300 >/dev/null || return 1
}

# maintenance_tour CACHED-SETUP SETUP-FOLDER : the cached copy started
# without arguments asks what to do; Repair runs the package again from the
# original setup folder ("/p=", as an administrator's shortcut would give it).
maintenance_tour() {
  local w log="$WINE_RUN_DIR/maintenance.log"
  echo "== the maintenance wizard of the cached copy (repair)"
  robot_bg_run "$log" --timeout 600000 -- "$1" "/p=$(winpath "$2")"
  w="$(tour_page)" || return 1
  tour_shot 09-maintenance "$w"
  robot click --hwnd "$w" --button "Repair: install the files and settings again" --no-wait >/dev/null
  sleep 0.5
  w="$(tour_progress 10 "$w" ALT+N)" || return 1
  tour_shot 11-finish "$w"
  tour_keys "$w" RETURN
  robot_bg_wait "$log" 300 >/dev/null || return 1
}
