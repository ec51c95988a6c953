#!/usr/bin/env bash
# Controls bound to the script's variables, each class driven once through
# the robot: the page shows the variables' values, what the robot types,
# ticks, selects and browses is in the variables when the page closes (the
# script writes them to a file), a custom-result button ends the page with
# its name, and a track bar bound to a word fails the display.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
control() { # control CLASS NAME LEFT TOP WIDTH HEIGHT [PROPERTY-LINES...]
  local class="$1" name="$2" left="$3" top="$4" width="$5" height="$6"
  shift 6
  printf '  object %s: %s\n    Left = %s\n    Top = %s\n    Width = %s\n    Height = %s\n' \
    "$name" "$class" "$left" "$top" "$width" "$height"
  local line
  for line in "$@"; do printf '    %s\n' "$line"; done
  printf '  end\n'
}
{
  printf '%s\n' "object Controls: TPoolTemplate" "  BorderStyle = bsDialog" "  Caption = 'Controls'" \
    "  ClientHeight = 330" "  ClientWidth = 440" "  Font.Height = -11" "  Font.Name = 'Tahoma'" \
    "  PixelsPerInch = 96"
  control TListBox Letters 8 8 100 60 "Hint = 'LISTVALUE'" "Items.Strings = ('A' 'B' 'C')" "TabOrder = 0"
  control TEdit Typed 120 8 150 21 "Hint = 'EDITVALUE'" "TabOrder = 1"
  control TMaskEdit Masked 120 36 80 21 "Hint = 'MASKVALUE'" "EditMask = '000;1;_'" "TabOrder = 2"
  control TMemo Notes 120 64 150 50 "Hint = 'MEMOVALUE'" "TabOrder = 3"
  control TRzCheckBox Option 8 124 150 17 "Caption = 'Option'" "Hint = 'CHECKVALUE'" "TabOrder = 4"
  control TRzRadioButton First 8 146 150 17 "Caption = 'First'" "Hint = 'RADIOA'" "Checked = True" "TabOrder = 5"
  control TRzRadioButton Second 8 168 150 17 "Caption = 'Second'" "Hint = 'RADIOB'" "TabOrder = 6"
  control TComboBox Colour 180 124 120 21 "Hint = 'COMBOVALUE'" "Style = csDropDownList" \
    "Items.Strings = ('Red' 'Green')" "TabOrder = 7"
  control TTrackBar Level 180 150 150 30 "Hint = 'TRACKVALUE'" "TabOrder = 8"
  control TCheckListBox Extras 8 192 150 60 "Hint = 'EXTRAS'" "Items.Strings = ('One' 'Two' 'Three')" \
    "TabOrder = 9"
  control TButton DataFolder 180 192 100 23 "Caption = 'Data folder...'" "Tag = 6" "TabOrder = 10"
  control TEdit Shown 180 222 200 21 "Hint = 'DATAFOLDER'" "Tag = 100" "TabOrder = 11"
  control TEdit Placeholder 180 250 200 21 "Hint = 'EMPTYVALUE'" "Tag = 3" "TabOrder = 12"
  control TButton Finish 340 296 90 23 "Caption = 'Finish'" "Tag = 5" "TabOrder = 13"
  printf 'end\n'
} >"$src/forms/Controls.txt"
{
  printf '%s\n' "object Bad: TPoolTemplate" "  Caption = 'Bad'" "  ClientHeight = 100" "  ClientWidth = 200"
  control TTrackBar Level 8 8 150 30 "Hint = 'WORDVALUE'"
  printf 'end\n'
} >"$src/forms/Bad.txt"

out="$(winpath "$dir/out.txt")"
line='list=$LISTVALUE$ edit=$EDITVALUE$ mask=$MASKVALUE$ memo=$MEMOVALUE$ check=$CHECKVALUE$'
line+=' radioa=$RADIOA$ radiob=$RADIOB$ combo=$COMBOVALUE$ track=$TRACKVALUE$ extras=$EXTRAS$'
line+=' data=$DATAFOLDER$ empty=$EMPTYVALUE$ page=$PAGE$'
SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" <<S
@title Binding
Set Variable|LISTVALUE|b|FALSE
Set Variable|EDITVALUE|C:\\\\first|FALSE
Set Variable|MASKVALUE|12|FALSE
Set Variable|MEMOVALUE|one\$NEWLINE\$two|FALSE
Set Variable|CHECKVALUE|-1|FALSE
Set Variable|RADIOB|TRUE|FALSE
Set Variable|COMBOVALUE|GREEN|FALSE
Set Variable|TRACKVALUE|3|FALSE
Set Variable|EXTRAS|two\$NEWLINE\$|FALSE
Set Variable|EMPTYVALUE||FALSE
Set Variable|USERNAME|Pat|FALSE
Display Dialog|Controls|PAGE|TRUE||TRUE|FALSE
Write to Text File|$out|$line|FALSE
Set Variable|WORDVALUE|high|FALSE
Display Dialog|Bad|BAD|TRUE||TRUE|FALSE
Terminate with Exit Code|5
S

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")"
w="$(robot wait --timeout 30000 --title-contains "Controls" | robot_value hwnd)"
dump="$(robot dump --hwnd "$w")"
check "values in: edits show their variables (backslashes reduced), a placeholder fills the empty one" \
  "$(robot_value edit <<<"$dump" | tr '\n' '|')" 'C:\first|12_|one\ntwo||Pat|'
check "values in: check box from -1, radio buttons from their variables" \
  "$(robot_value checked <<<"$dump" | tr '\n' '|')" "Option|Second|"
check "values in: the check list's checked item" "$(robot_value item_checked <<<"$dump")" "Two"
screenshot binding-controls --hwnd "$w" >/dev/null
robot key --hwnd "$w" --keys DOWN >/dev/null
# The mask edit by keyboard: a letter is refused, digits fill the mask, and
# the filled mask hands the focus on to the memo.
robot key --hwnd "$w" --keys TAB,TAB,HOME,X,5,4,3 >/dev/null
check "mask edit: its mask shows the typed digits" "$(robot dump --hwnd "$w" | robot_value edit | sed -n 2p)" "543"
check "mask edit: filled to its end, the focus moves on" "$(robot focus --hwnd "$w" | robot_value focus_text)" 'one\ntwo'
robot type --hwnd "$w" --index 0 --text 'C:\typed' >/dev/null
robot type --hwnd "$w" --index 2 --text "replaced" >/dev/null
robot click --hwnd "$w" --button Option --no-wait >/dev/null
robot click --hwnd "$w" --button First --no-wait >/dev/null
robot click --hwnd "$w" --button "Data folder..." --no-wait >/dev/null
if robot wait --timeout 30000 --title "Browse for Folder" >/dev/null; then
  robot browse-to --title "Browse for Folder" --path 'C:\windows' >/dev/null
  robot click --title "Browse for Folder" --button OK >/dev/null
else
  fail "Tag 6: no folder browser"
fi
sleep 0.5
check "Tag 100: the edit follows the browsed folder" \
  "$(robot dump --hwnd "$w" | robot_value edit | sed -n 4p)" 'C:\windows\'
robot click --hwnd "$w" --button Finish --no-wait >/dev/null
error="$(robot wait --timeout 30000 --class '#32770' | robot_value hwnd)"
error_text="$(robot dump --hwnd "$error" | robot_value static | tr '\n' ' ')"
[[ "$error_text" == "Runtime error in setup script:"*"'high' is not a valid integer value"* ]] &&
  pass "a track bar bound to a word is the display's run-time error ($error_text)" ||
  fail "track bar error: [$error_text]"
robot click --hwnd "$error" --button OK >/dev/null
run="$(robot_bg_wait "$dir/robot.log" 60)"
# The written line is expanded: "$NEWLINE$" in a value is a line break there.
results="$(tr -d '\r' <"$dir/out.txt" 2>/dev/null | sed ':a;N;$!ba;s/\n/<NL>/g')"
for pair in 'list=C<NL>' 'edit=C:\typed' 'mask=543' 'memo=replaced' 'check=FALSE' 'radioa=TRUE' \
  'radiob=FALSE' 'combo=GREEN' 'track=3' 'extras=Two<NL>' 'data=C:\windows\' 'empty=Pat' 'page=FINISH'; do
  [[ " ${results//<NL>/<NL> } " == *" $pair "* ]] && pass "variables out: $pair" || fail "variables out: no $pair in [$results]"
done
[ "$(robot_value exit <<<"$run")" != 5 ] && pass "the failed display stops the script (exit $(robot_value exit <<<"$run"))" ||
  fail "the failed display was passed over"
test_done
