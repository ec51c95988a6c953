#!/usr/bin/env bash
# A progress page shown without waiting: the script's own PROGRESS moves the
# bar at once, PROGRESSMODE "MARQUEE" makes it move on its own until switched
# back, a worker's figures above 2^31 reach the real bar divided by 1024 (the
# last figures of a worker are shown when it ends), and Cancel answered Yes
# disables the button and keeps the page. The script waits for the robot's
# go-ahead files between the steps.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
cat >"$src/forms/Work.txt" <<'F'
object Work: TPoolTemplate
  BorderStyle = bsDialog
  Caption = 'Working'
  ClientHeight = 120
  ClientWidth = 360
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  object Action: TStaticText
    Left = 10
    Top = 10
    Width = 340
    Height = 17
    AutoSize = False
    Tag = 1
  end
  object Bar: TProgressBar
    Left = 10
    Top = 34
    Width = 340
    Height = 17
    Tag = 1
  end
  object Note: TStaticText
    Left = 10
    Top = 60
    Width = 340
    Height = 17
    AutoSize = False
    Caption = 'Step $STEP$'
  end
  object Cancel: TButton
    Left = 275
    Top = 88
    Width = 75
    Height = 23
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 0
  end
end
F

go() { : >"$dir/go$1.txt"; }
# wait_for N : the script waits (busy, without a worker) until goN.txt
# exists. The interpreter handles window messages at every 314th statement
# position, so the loop is longer than that.
wait_for() {
  printf 'Label|wait%s\n' "$1"
  printf 'Comment|waiting\n%.0s' $(seq 1 320)
  printf 'Does File/Folder Exist|GO|%s|TRUE\nIf|GO|0|FALSE|TRUE\nGoTo Label|wait%s\nEnd\n' \
    "$(winpath "$dir")\\go$1.txt" "$1"
}
out="$(winpath "$dir/out.txt")"
SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" <<S
@title Progress
Set Variable|STEP|1|FALSE
Display Dialog|Work|W|FALSE||TRUE|FALSE
Set Variable|PROGRESSTEXT|Half way|FALSE
Set Variable|PROGRESS|50|FALSE
$(wait_for 1)
Set Variable|STEP|2|FALSE
Set Variable|PROGRESSMODE|MARQUEE|FALSE
Set Variable|PROGRESS|60|FALSE
$(wait_for 2)
Set Variable|PROGRESSMODE||FALSE
Set Variable|PROGRESS|70|FALSE
$(wait_for 3)
Set Variable|VELD_thMin|0|FALSE
Set Variable|VELD_thMax|4294967296|FALSE
Set Variable|VELD_thProgress|2147483648|FALSE
Set Variable|VELD_thProgressText|Large figures|FALSE
Extract 7Zip Archive|$(winpath "$dir")\\missing.7z|$(winpath "$dir")\\x|EXTRACTED||FALSE|FALSE
$(wait_for 4)
Write to Text File|$out|cancelled=\$VELD_thCancelled\$|FALSE
Terminate with Exit Code|0
S

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")" "/l=$(winpath "$dir/trace.log")"
w="$(robot wait --timeout 30000 --title-contains Working | robot_value hwnd)"
state() { robot dump --hwnd "$w" | grep -E '^(progress|marquee|static|disabled)=' | tr '\n' ' '; }
sleep 1
check "PROGRESS 50 moves the bar at once, with the script's text" "$(state)" \
  "static=Half way progress=50/0/100 marquee=0 static=Step 1 "
go 1
sleep 2
check "MARQUEE: the bar moves on its own (the position of 60 is not taken); the caption follows its variable" "$(state)" \
  "static=Half way progress=50/0/100 marquee=1 static=Step 2 "
screenshot progress-marquee --hwnd "$w" >/dev/null
go 2
sleep 2
check "switched back: the marquee style goes, the figures show" "$(state)" \
  "static=Half way progress=70/0/100 marquee=0 static=Step 2 "
go 3
sleep 2
check "a worker's figures above 2^31: maximum and position divided by 1024" "$(state)" \
  "static=Large figures progress=2097152/0/4194304 marquee=0 static=Step 2 "
screenshot progress-large --hwnd "$w" >/dev/null
robot click --hwnd "$w" --button Cancel --no-wait >/dev/null
question="$(robot wait --timeout 20000 --class '#32770' | robot_value hwnd)"
robot click --hwnd "$question" --button Yes >/dev/null
sleep 1
check "Cancel answered Yes: the button is disabled and the page stays" \
  "$(robot dump --hwnd "$w" | grep -E '^(disabled|visible)=' | tr '\n' ' ')" "disabled=Cancel visible=1 "
go 4
run="$(robot_bg_wait "$dir/robot.log" 60)"
check "the run ends" "$(robot_value exit <<<"$run")" 0
test_done
