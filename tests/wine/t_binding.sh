#!/usr/bin/env bash
# Controls bound to the script's variables, each class driven once through
# the robot: the page shows the variables' values, what the robot types,
# ticks, selects and browses is in the variables when the page closes (the
# script writes them to a file), a custom-result button ends the page with
# its name, and a track bar bound to a word fails the display. A first page
# takes the outline of its form shape's picture and shows a bitmap button's
# picture.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
printf '{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs16 Rich {\\b readme} text.\\par}' >"$src/support/readme.rtf"
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
  control TAnimate Copying 300 8 130 60 "CommonAVI = aviCopyFiles"
  control TRichEdit Readme 300 70 130 44 "Tag = 1" "TabOrder = 15"
  control TRzBmpButton Plain 8 296 90 23 "Caption = 'Bitmap'" "TabOrder = 14"
  printf 'end\n'
} >"$src/forms/Controls.txt"
{
  printf '%s\n' "object Bad: TPoolTemplate" "  Caption = 'Bad'" "  ClientHeight = 100" "  ClientWidth = 200"
  control TTrackBar Level 8 8 150 30 "Hint = 'WORDVALUE'"
  printf 'end\n'
} >"$src/forms/Bad.txt"

# bitmap_hex W H LEFT-RGB RIGHT-RGB : a bitmap property's data (size, then a
# 24-bit bitmap file) as text-form hex, its left half one colour, its right
# half another.
bitmap_hex() {
  python3 - "$@" <<'PY'
import struct, sys
w, h = int(sys.argv[1]), int(sys.argv[2])
left, right = (bytes.fromhex(c)[::-1] for c in sys.argv[3:5])
row = b"".join(left if x < w // 2 else right for x in range(w))
row += b"\0" * ((4 - len(row) % 4) % 4)
pixels = row * h
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
bmp = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 54) + info + pixels
print((struct.pack("<I", len(bmp)) + bmp).hex().upper())
PY
}
{
  printf '%s\n' "object Shaped: TPoolTemplate" "  BorderStyle = bsNone" "  Caption = 'Shaped'" \
    "  ClientHeight = 60" "  ClientWidth = 120" "  PixelsPerInch = 96"
  printf '  object Shape: TRzFormShape\n    Picture.Data = {07544269746D6170%s}\n  end\n' \
    "$(bitmap_hex 120 60 FF00FF 0000FF)"
  control TRzBmpButton Go 70 20 40 20 "Tag = 1" "Bitmaps.Up.Data = {$(bitmap_hex 40 20 00C000 00C000)}" \
    "Bitmaps.Down.Data = {$(bitmap_hex 40 20 C00000 C00000)}"
  printf 'end\n'
} >"$src/forms/Shaped.txt"

# A page of the other classes: each clickable one ends the page with its
# name (Tag 5); the rest are shown as designed or from the progress variables.
{
  printf '%s\n' "object Roles: TPoolTemplate" "  BorderStyle = bsDialog" "  Caption = 'Roles'" \
    "  ClientHeight = 200" "  ClientWidth = 400" "  Font.Height = -11" "  Font.Name = 'Tahoma'" \
    "  PixelsPerInch = 96"
  control TLabel LabelRole 10 10 80 20 "AutoSize = False" "Caption = 'Label'" "Tag = 5"
  control TImage ImageRole 10 40 80 30 "Tag = 5"
  control TShape ShapeRole 10 80 80 30 "Tag = 5"
  control TSpeedButton SpeedRole 10 120 80 25 "Caption = 'Speed'" "Tag = 5"
  control TBitBtn BitRole 10 160 80 25 "Caption = 'Bit'" "Tag = 5" "TabOrder = 0"
  control TGauge Gauge 110 10 120 20 "Tag = 1"
  control TProgressBar Bar 110 40 120 16 "Tag = 1"
  control TStaticText Progress 110 62 200 17 "AutoSize = False" "Tag = 1"
  control TUpDown Spin 240 10 17 21 "Position = 3"
  control TBevel Frame 110 90 280 100
  printf '  object Pages: TPageControl\n    Left = 120\n    Top = 100\n    Width = 260\n    Height = 80\n    ActivePage = Second\n    TabOrder = 1\n'
  printf '    object First: TTabSheet\n      Caption = %s\n    end\n' "'First'"
  printf '    object Second: TTabSheet\n      Caption = %s\n      object OnSecond: TPanel\n        Left = 8\n        Top = 8\n        Width = 100\n        Height = 25\n        Caption = %s\n      end\n    end\n  end\n' "'Second'" "'\$PROGRESS\$ %'"
  printf 'end\n'
} >"$src/forms/Roles.txt"

out="$(winpath "$dir/out.txt")"
line='list=$LISTVALUE$ edit=$EDITVALUE$ mask=$MASKVALUE$ memo=$MEMOVALUE$ check=$CHECKVALUE$'
line+=' radioa=$RADIOA$ radiob=$RADIOB$ combo=$COMBOVALUE$ track=$TRACKVALUE$ extras=$EXTRAS$'
line+=' data=$DATAFOLDER$ empty=$EMPTYVALUE$ page=$PAGE$ shaped=$SHAPED$'
line+=' roles=$R1$,$R2$,$R3$,$R4$,$R5$'
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
Set Variable|PROGRESS|40|FALSE
Set Variable|PROGRESSTEXT|Copying files|FALSE
Display Dialog|Roles|R1|TRUE||TRUE|FALSE
Display Dialog|Roles|R2|TRUE||TRUE|FALSE
Display Dialog|Roles|R3|TRUE||TRUE|FALSE
Display Dialog|Roles|R4|TRUE||TRUE|FALSE
Display Dialog|Roles|R5|TRUE||TRUE|FALSE
Display Dialog|Shaped|SHAPED|TRUE||TRUE|FALSE
Display Dialog|Controls|PAGE|TRUE||TRUE|FALSE
Write to Text File|$out|$line|FALSE
Set Variable|WORDVALUE|high|FALSE
Display Dialog|Bad|BAD|TRUE||TRUE|FALSE
Terminate with Exit Code|5
S

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")"
roles() { robot wait --timeout 30000 --title-contains Roles | robot_value hwnd; }
r="$(roles)"
rdump="$(robot dump --hwnd "$r")"
check "progress text from its variable" \
  "$(robot_value static <<<"$rdump" | tr '\n' '|')" "Copying files|"
screenshot binding-roles --hwnd "$r" >/dev/null
for at in "20 15" "20 50" "20 90" "20 130"; do
  set -- $at
  robot click-at --hwnd "$(roles)" --x "$1" --y "$2" >/dev/null
  sleep 1
done
robot key --hwnd "$(roles)" --keys SPACE >/dev/null  # the bit button has the focus
# pixel PNG X Y : the colour there as rrggbb
pixel() { convert "$1" -format '%[hex:p{'"$2,$3"'}]' info: 2>/dev/null | cut -c1-6; }
shaped="$(robot wait --timeout 30000 --title-contains Shaped | robot_value hwnd)"
shape_shot="$(screenshot binding-shaped --hwnd "$shaped")"
check "form shape: the picture's key colour is cut out of the form, the rest is the form" \
  "$(pixel "$shape_shot" 10 30)/$(pixel "$shape_shot" 65 5)" "000000/0000FF"
check "bitmap button: its up picture" "$(pixel "$shape_shot" 90 30)" "00C000"
robot key --hwnd "$shaped" --keys SPACE >/dev/null
w="$(robot wait --timeout 30000 --title-contains "Controls" | robot_value hwnd)"
dump="$(robot dump --hwnd "$w")"
check "values in: edits show their variables (backslashes reduced), a placeholder fills the empty one" \
  "$(robot_value edit <<<"$dump" | tr '\n' '|')" 'C:\first|12_|one\ntwo||Pat|Rich readme text.|'
check "rich edit: the readme's rich text, shown as text" "$(robot_value edit <<<"$dump" | grep '^Rich')" "Rich readme text."
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
  'radiob=FALSE' 'combo=GREEN' 'track=3' 'extras=Two<NL>' 'data=C:\windows\' 'empty=Pat' 'page=FINISH' 'shaped=NEXT' 'roles=LABELROLE,IMAGEROLE,SHAPEROLE,SPEEDROLE,BITROLE'; do
  [[ " ${results//<NL>/<NL> } " == *" $pair "* ]] && pass "variables out: $pair" || fail "variables out: no $pair in [$results]"
done
[ "$(robot_value exit <<<"$run")" != 5 ] && pass "the failed display stops the script (exit $(robot_value exit <<<"$run"))" ||
  fail "the failed display was passed over"
test_done
