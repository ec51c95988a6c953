#!/usr/bin/env bash
# Start-up's splash and preparing windows on the 1024 x 768 screen. Start-up
# leaves both up while it reports a failure, so each case ends start-up with a
# failure and reads the windows behind its message box: without "setup.bmp"
# the preparing window is centred and a dialog that cannot be pre-loaded
# shows how far its bar came; with a picture larger than the screen the
# splash is centred off the screen's edges and the preparing window is lifted
# above the bottom margin; with a small picture it sits right of the splash's
# middle and below it. A run whose first statement is a message box shows
# both windows gone; a silent run and an update run show neither.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

screen_w=1024 screen_h=768
caption="Vantrell Wizard"
label="Vantrell is preparing the Vantrell Wizard which will install this application. Please wait."

# picture W H FILE : a setup.bmp of that size (a diagonal gradient with a frame).
picture() {
  convert -size "$1x$2" gradient:'#2050A0-#A0C8F0' -fill none -stroke '#FFD040' -strokewidth 8 \
    -draw "rectangle 4,4 $(($1 - 5)),$(($2 - 5))" -type TrueColor BMP3:"$3"
}
# forms PID : hwnd and title of the process's visible form windows, one "HWND TITLE" a line.
forms() {
  robot list | awk -v pid="pid=$1" '$2 == pid && $3 == "class=VantrellFormContainer" {
    sub(/^window=/, "", $1); t = $0; sub(/^[^ ]* [^ ]* [^ ]* title=/, "", t); print $1 " " t }'
}
# start DIR ARGS... : runs the setup in the background; sets pid to its process
# id (not printed: a command substitution would wait for the background run).
start() {
  local dir="$1"
  shift
  robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup.exe")" "$@"
  pid=""
  robot_wait_line "$dir/robot.log" pid 30 && pid="$(robot_value pid <"$dir/robot.log")"
}
# box : the start-up message box's dump once it shows.
box() { robot dump --timeout 60000 --title "$caption" --class '#32770'; }
rect_of() { robot dump --hwnd "$1" | robot_value rect; }
# size RECT : "WIDTH HEIGHT" of an "l,t,r,b" rectangle.
size() { IFS=, read -r l t r b <<<"$1"; echo "$((r - l)) $((b - t))"; }

echo "-- without a picture: centred, the bar counts the dialogs switched on"
dir="$(scratch)"
# Four dialogs count (the switched-off one does not, and is not loaded); the
# third one's form is missing, so the bar stands at 1 + the two loaded.
make_script_setup "$dir" <<S
Display Dialog|Welcome|A|TRUE||TRUE|FALSE
-Display Dialog|Missing|B|TRUE||TRUE|FALSE
Display Dialog|Ready|C|TRUE||TRUE|FALSE
Display Dialog|Missing|D|TRUE||TRUE|FALSE
Display Dialog|Welcome|E|TRUE||TRUE|FALSE
S
start "$dir"
message="$(box)"
check "the pre-load failure's message" "$(robot_value static <<<"$message" | tail -1 | sed 's/ C:.*//')" \
  "Runtime error in install: Dialog file not found:"
check "that box has no owner" "$(robot_value owner <<<"$message")" 0x00000000
shown="$(forms "$pid")"
check "one form window, the preparing window (no splash)" "$(cut -d' ' -f2- <<<"$shown")" "$caption"
prep="$(robot dump --hwnd "$(cut -d' ' -f1 <<<"$shown")")"
check "its text" "$(robot_value label <<<"$prep")" "$label"
check "its bar: position/minimum/maximum" "$(robot_value progress <<<"$prep")" "3/0/4"
read -r w h <<<"$(size "$(robot_value rect <<<"$prep")")"
check "client 369 x 89 inside a fixed frame" "$((w > 369 && w < 369 + 20 && h > 89 + 10 && h < 89 + 50))" 1
check "centred on the screen" "$(robot_value rect <<<"$prep")" \
  "$(((screen_w - w) / 2)),$(((screen_h - h) / 2)),$(((screen_w - w) / 2 + w)),$(((screen_h - h) / 2 + h))"
screenshot splash-none-screen >/dev/null
screenshot splash-preparing --hwnd "$(cut -d' ' -f1 <<<"$shown")" >/dev/null
robot click --title "$caption" --class '#32770' --button OK >/dev/null
check "exit code" "$(robot_bg_wait "$dir/robot.log" 60 | robot_value exit)" 11

# place_case NAME W H DAMAGE CODE : a setup with a W x H picture, damaged so that
# start-up ends with CODE; checks the splash and the preparing window's places.
place_case() {
  local name="$1" pw="$2" ph="$3" damage="$4" code="$5" dir message shown splash prep sl st
  echo "-- a $pw x $ph picture"
  dir="$(scratch)"
  make_script_setup "$dir" <<<"Display Dialog|Welcome|A|TRUE||TRUE|FALSE"
  picture "$pw" "$ph" "$dir/setup.bmp"
  eval "$damage"
  start "$dir"
  message="$(box)"
  shown="$(forms "$pid")"
  splash="$(awk 'NF == 1 { print $1 }' <<<"$shown")"
  prep="$(awk -v c="$caption" 'substr($0, index($0, " ") + 1) == c { print $1 }' <<<"$shown")"
  check "$name: a splash without caption and the preparing window" "$([ -n "$splash" ] && [ -n "$prep" ] && echo yes)" yes
  check "$name: the failure's box is owned by the preparing window" "$(robot_value owner <<<"$message")" "$prep"
  sl=$(((screen_w - pw) / 2)) st=$(((screen_h - ph) / 2))
  check "$name: the splash is the picture, centred" "$(rect_of "$splash")" "$sl,$st,$((sl + pw)),$((st + ph))"
  read -r w h <<<"$(size "$(rect_of "$prep")")"
  local left=$((sl + pw / 2 + 50)) top=$((st + ph + 25))
  [ $top -gt $((screen_h - h - 45)) ] && top=$((screen_h - h - 45))
  [ $left -gt $((screen_w - w - 25)) ] && left=$((screen_w - w - 25))
  check "$name: the preparing window beside the splash" "$(rect_of "$prep")" "$left,$top,$((left + w)),$((top + h))"
  echo "$name: preparing window at $left,$top, bottom limit $((screen_h - h - 45)), right limit $((screen_w - w - 25))"
  screenshot "splash-$name-screen" >/dev/null
  robot click --title "$caption" --class '#32770' --button OK >/dev/null
  check "$name: exit code" "$(robot_bg_wait "$dir/robot.log" 60 | robot_value exit)" "$code"
}
place_case large 1200 900 'rm "$dir/setup.res"' 14
place_case small 300 200 'rm "$dir/setup.msi"' 16

echo "-- gone before the first statement"
dir="$(scratch)"
make_script_setup "$dir" <<S
MessageBox|First|The first statement|0|1|
Display Dialog|Welcome|A|FALSE||TRUE|FALSE
S
picture 300 200 "$dir/setup.bmp"
start "$dir"
robot wait --timeout 60000 --title First --class '#32770' >/dev/null
check "no splash nor preparing window while the first statement runs" "$(forms "$pid")" ""
robot click --title First --class '#32770' --button OK >/dev/null
check "the run ends" "$(robot_bg_wait "$dir/robot.log" 60 | robot_value exit)" 0

echo "-- silent and update runs show neither"
for args in /s /updatesetup; do
  dir="$(scratch)"
  make_script_setup "$dir" <<<"Display Dialog|Welcome|A|TRUE||TRUE|FALSE"
  picture 300 200 "$dir/setup.bmp"
  rm "$dir/setup.res"  # ends start-up with 14 after the windows' place in it
  if [ "$args" = /s ]; then
    out="$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" $args)"
    check "$args: no window at all" "$(robot_value windows <<<"$out")" 0
  else
    start "$dir" $args
    message="$(box)"
    check "$args: the failure's box has no owner" "$(robot_value owner <<<"$message")" 0x00000000
    check "$args: no splash nor preparing window" "$(forms "$pid")" ""
    robot click --title "$caption" --class '#32770' --button OK >/dev/null
    check "$args: exit code" "$(robot_bg_wait "$dir/robot.log" 60 | robot_value exit)" 14
  fi
done

test_done
