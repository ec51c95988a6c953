#!/usr/bin/env bash
# The form runtime's windows: a form written from a text form (natively, by
# form_compile) is shown by form_show_probe.exe; the robot reads the live
# controls, the probe's report gives every control's window bounds, which
# must be the designed ones at 96 pixels per inch and scaled by 1.5 at 144;
# screenshots of the form and of a real form file with a picture; a form with
# a class that is not registered fails with the class's name.
set -uo pipefail
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
wine_env_init || exit 1

PROBE="$(winpath "$TESTBIN/form_show_probe.exe")"
COMPILE="${FORM_COMPILE:-$VANTRELL_ROOT/build/native/tests/unit/dialogs/form_compile}"
FORMS="${VANTRELL_FORM_TESTDATA:-/work/shared/testdata/forms}"
if [ ! -f "$TESTBIN/form_show_probe.exe" ] || [ ! -x "$COMPILE" ]; then
  fail "form_show_probe.exe or the native form_compile missing ($TESTBIN, $COMPILE)"
  test_done
fi

dir="$(scratch)"
cat >"$dir/probe.txt" <<'FORM'
object ProbeForm: TPoolTemplate
  Left = 0
  Top = 0
  Caption = 'Form Runtime Test'
  ClientHeight = 260
  ClientWidth = 400
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Banner: TPanel
    Left = 0
    Top = 0
    Width = 400
    Height = 50
    Color = clWhite
    BevelOuter = bvNone
    TabOrder = 4
    object Heading: TLabel
      Left = 12
      Top = 10
      Width = 250
      Height = 16
      Caption = 'Welcome to the form runtime'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clNavy
      Font.Height = -13
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
      Transparent = True
    end
  end
  object NameLabel: TLabel
    Left = 12
    Top = 68
    Width = 60
    Height = 13
    Caption = '&User name:'
  end
  object NameEdit: TEdit
    Left = 90
    Top = 64
    Width = 180
    Height = 21
    TabOrder = 0
    Text = 'Alice'
  end
  object AgreeBox: TRzCheckBox
    Left = 12
    Top = 100
    Width = 200
    Height = 17
    Caption = 'I accept the terms'
    Checked = True
    State = cbChecked
    TabOrder = 1
  end
  object Progress: TProgressBar
    Left = 12
    Top = 140
    Width = 376
    Height = 17
    Position = 40
    TabOrder = 2
  end
  object Next: TButton
    Left = 313
    Top = 220
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 3
    Tag = 1
  end
end
FORM
if ! "$COMPILE" "$dir/probe.txt" "$dir/probe.dfm"; then
  fail "form_compile wrote no form file"
  test_done
fi

# show_form DPI REPORT LOG [PROBE-OPTIONS] : starts the probe on probe.dfm and waits for its window.
show_form() {
  local dpi="$1" report="$2" log="$3"
  shift 3
  rm -f "$report"
  robot_bg_run "$log" --timeout 60000 -- "$PROBE" "$(winpath "$dir/probe.dfm")" --dpi "$dpi" "$@" \
    --report "$(winpath "$report")"
  robot wait --timeout 30000 --title "Form Runtime Test" >/dev/null
  for _ in $(seq 50); do [ -s "$report" ] && break; sleep 0.1; done
}

# report_bounds REPORT NAME : the bounds=... of control NAME in the report.
report_bounds() {
  sed -n "s/^control=$2 .* bounds=\([-0-9,]*\) .*/\1/p" "$1"
}

# Designed at 96 pixels per inch, shown at 96 and at 144.
#  control     designed (96)      at 144
controls=(
  "Banner      0,0,400,50         0,0,600,75"
  "NameEdit    90,64,180,21       135,96,270,32"
  "AgreeBox    12,100,200,17      18,150,300,26"
  "Progress    12,140,376,17      18,210,564,26"
  "Next        313,220,75,25      470,330,112,38"
)
# Auto-sized labels keep their place and take the size of their text.
#  label       place (96)   at 144
labels=(
  "Heading     12,10        18,15"
  "NameLabel   12,68        18,102"
)

show_form 96 "$dir/report96.txt" "$dir/run96.log"
dump="$(robot dump --title "Form Runtime Test")"
check "dump: the edit's text" "$(robot_value edit <<<"$dump")" "Alice"
check "dump: the buttons" "$(robot_value button <<<"$dump" | tr '\n' '|')" "I accept the terms|Next >|"
check "dump: the check box is checked" "$(robot_value checked <<<"$dump")" "I accept the terms"
check "dump: the default button" "$(robot_value default <<<"$dump")" "Next >"
check "report: client size as designed" "$(sed -n 's/^client=//p' "$dir/report96.txt")" "400,260"
check "report: the caption" "$(sed -n 's/^form=//p' "$dir/report96.txt")" "Form Runtime Test"
check "report: the label's text" "$(sed -n 's/^control=NameLabel .* text=\(.*\) bounds=.*/\1/p' "$dir/report96.txt")" "&User name:"
for row in "${controls[@]}"; do
  read -r name at96 _ <<<"$row"
  check "96 dpi: $name placed as designed" "$(report_bounds "$dir/report96.txt" "$name")" "$at96"
done
for row in "${labels[@]}"; do
  read -r name at96 _ <<<"$row"
  IFS=, read -r l t w h <<<"$(report_bounds "$dir/report96.txt" "$name")"
  check "96 dpi: $name keeps its place" "$l,$t" "$at96"
  if [ "${w:-0}" -gt 20 ] && [ "${h:-0}" -gt 8 ] && [ "$w" -lt 400 ]; then pass "96 dpi: $name sized to its text (${w}x$h)"
  else fail "96 dpi: $name sized ${w:-?}x${h:-?}"; fi
  printf -v "size96_$name" "%s" "$h"
done
png="$(screenshot forms-probe-96 --title "Form Runtime Test")"
if [ -n "$png" ] && [ -f "$png" ]; then pass "screenshot at 96 dpi: $png"; else fail "no screenshot at 96 dpi"; fi
robot close --title "Form Runtime Test" >/dev/null
result="$(robot_bg_wait "$dir/run96.log")"
check "96 dpi: the probe ends when the form is closed" "$(robot_value exit <<<"$result")" "0"

show_form 144 "$dir/report144.txt" "$dir/run144.log"
check "144 dpi: client size scaled" "$(sed -n 's/^client=//p' "$dir/report144.txt")" "600,390"
for row in "${controls[@]}"; do
  read -r name _ at144 <<<"$row"
  check "144 dpi: $name scaled by 1.5" "$(report_bounds "$dir/report144.txt" "$name")" "$at144"
done
for row in "${labels[@]}"; do
  read -r name _ at144 <<<"$row"
  IFS=, read -r l t w h <<<"$(report_bounds "$dir/report144.txt" "$name")"
  check "144 dpi: $name keeps its scaled place" "$l,$t" "$at144"
  was="size96_$name"
  if [ "${h:-0}" -gt "${!was:-0}" ]; then pass "144 dpi: $name's text is taller (${!was} -> $h)"
  else fail "144 dpi: $name's height ${h:-?} not above ${!was:-?}"; fi
done
png="$(screenshot forms-probe-144 --title "Form Runtime Test")"
if [ -n "$png" ] && [ -f "$png" ]; then pass "screenshot at 144 dpi: $png"; else fail "no screenshot at 144 dpi"; fi
robot close --title "Form Runtime Test" >/dev/null
robot_bg_wait "$dir/run144.log" >/dev/null

# Shown at 96, then told that its monitor now has 144 (WM_DPICHANGED): the
# same places and sizes as when shown at 144 from the start.
show_form 96 "$dir/rescaled.txt" "$dir/rescaled.log" --rescale 144
check "rescaled to 144 dpi: client size" "$(sed -n 's/^client=//p' "$dir/rescaled.txt")" "600,390"
for row in "${controls[@]}"; do
  read -r name _ at144 <<<"$row"
  check "rescaled to 144 dpi: $name" "$(report_bounds "$dir/rescaled.txt" "$name")" "$at144"
done
for name in Heading NameLabel; do
  check "rescaled to 144 dpi: $name as shown at 144" "$(report_bounds "$dir/rescaled.txt" "$name")" \
    "$(report_bounds "$dir/report144.txt" "$name")"
done
png="$(screenshot forms-probe-rescaled --title "Form Runtime Test")"
if [ -n "$png" ] && [ -f "$png" ]; then pass "screenshot after rescaling: $png"; else fail "no screenshot after rescaling"; fi
robot close --title "Form Runtime Test" >/dev/null
robot_bg_wait "$dir/rescaled.log" >/dev/null

# A real form file: bevels, labels, a bitmap picture and a bitmap button.
if [ -f "$FORMS/K7LER_KingCal_Kingprop.dfm" ]; then
  robot_bg_run "$dir/about.log" --timeout 60000 -- "$PROBE" \
    "$(winpath "$FORMS/K7LER_KingCal_Kingprop.dfm")" --dpi 96 --report "$(winpath "$dir/about.txt")"
  waited="$(robot wait --timeout 30000 --title "About")"
  check "real form: the window" "$(robot_value title <<<"$waited")" "About"
  dump="$(robot dump --title "About")"
  check "real form: its button" "$(robot_value button <<<"$dump")" "Close"
  check "real form: the image's place" "$(report_bounds "$dir/about.txt" Image1)" "64,16,60,49"
  png="$(screenshot forms-about --title "About")"
  if [ -n "$png" ] && [ -f "$png" ]; then pass "screenshot of the real form: $png"; else fail "no screenshot of the real form"; fi
  robot close --title "About" >/dev/null
  robot_bg_wait "$dir/about.log" >/dev/null
fi

# A class that the dialogs do not register.
printf 'object F: TForm1\n  Caption = %s\n  object Box: TCheckBox\n  end\nend\n' "'Foreign'" >"$dir/foreign.txt"
"$COMPILE" "$dir/foreign.txt" "$dir/foreign.dfm"
out="$(robot run --timeout 30000 -- "$PROBE" "$(winpath "$dir/foreign.dfm")")"
check "foreign class: the error names it" "$(robot_value error <<<"$out")" "Class TCheckBox not found"
check "foreign class: exit code" "$(robot_value exit <<<"$out")" "1"
check "foreign class: no window" "$(robot_value windows <<<"$out")" "0"

test_done
