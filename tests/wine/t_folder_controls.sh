#!/usr/bin/env bash
# The folder controls: a directory list and a shell tree with Tag 1 start at
# the nearest existing folder of the target, and choosing a folder in them
# puts the target's missing folders below it into the target edit; the file
# list, drive box, shell list and shell combo start at their variables and
# write the user's choice back; a directory list with Tag 100 follows an
# edit's variable; the filter box shows its filter names. D: is a folder of
# the test, mounted in the prefix for this test only.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms" "$dir/d/Apps/Sub"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
echo notes >"$dir/d/Apps/notes.txt"
echo readme >"$dir/d/Apps/readme.txt"
drive="$WINEPREFIX/dosdevices/d:"
saved=""
if [ -e "$drive" ] || [ -L "$drive" ]; then
  saved="$(readlink "$drive")"
  rm -f "$drive"
fi
# Wine's mount manager learns the drives when it starts: the prefix's
# processes are ended around each change, so that the next ones see it (an
# earlier test of the same prefix has it running already).
restore_drive() {
  rm -f "$drive"
  [ -n "$saved" ] && ln -s "$saved" "$drive"
  wineserver -k 2>/dev/null
  return 0
}
ln -s "$dir/d" "$drive"
wineserver -k 2>/dev/null

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
  printf '%s\n' "object Folders: TPoolTemplate" "  BorderStyle = bsDialog" "  Caption = 'Folders'" \
    "  ClientHeight = 330" "  ClientWidth = 570" "  Font.Height = -11" "  Font.Name = 'Tahoma'" \
    "  PixelsPerInch = 96"
  control TDirectoryListBox Directories 8 8 170 150 "Hint = 'DIRVALUE'" "Tag = 1" "TabOrder = 0"
  control TPTShellTree Tree 186 8 200 150 "Hint = 'TREEVALUE'" "Tag = 1" "TabOrder = 1"
  control TPTShellList Items 394 8 168 150 "Hint = 'LISTVALUE'" "TabOrder = 2"
  control TFileListBox Files 8 166 170 80 "Hint = 'FILEVALUE'" "TabOrder = 3"
  control TDriveComboBox Drives 186 166 200 21 "Hint = 'DRIVEVALUE'" "TabOrder = 4"
  control TFilterComboBox Filter 186 194 200 21 \
    "Filter = 'Text files (*.txt)|*.txt|All files (*.*)|*.*'" "TabOrder = 5"
  control TPTShellCombo Places 394 166 168 21 "Hint = 'COMBOVALUE'" "TabOrder = 6"
  control TEdit Target 8 260 378 21 "Hint = 'TARGETDIR'" "Tag = 2" "TabOrder = 7"
  control TEdit Typed 8 290 170 21 "Hint = 'TYPED'" "TabOrder = 8"
  control TDirectoryListBox Follows 394 194 168 90 "Hint = 'TYPED'" "Tag = 100" "TabOrder = 9"
  control TButton Next 472 296 90 25 "Caption = '&Next >'" "Default = True" "Tag = 1" "TabOrder = 10"
  printf 'end\n'
} >"$src/forms/Folders.txt"

out="$(winpath "$dir/out.txt")"
line='dir=$DIRVALUE$ tree=$TREEVALUE$ list=$LISTVALUE$ file=$FILEVALUE$ drive=$DRIVEVALUE$'
line+=' combo=$COMBOVALUE$ target=$TARGETDIR$'
SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" <<S
@title Folders
Set Variable|TARGETDIR|C:\\Program Files\\Company\\Product|FALSE
Set Variable|LISTVALUE|D:\\Apps\\readme.txt|FALSE
Set Variable|FILEVALUE|D:\\Apps\\notes.txt|FALSE
Set Variable|DRIVEVALUE|d:\\|FALSE
Set Variable|COMBOVALUE|C:\\windows|FALSE
Set Variable|TYPED||FALSE
Display Dialog|Folders|PAGE|TRUE||TRUE|FALSE
Write to Text File|$out|$line|FALSE
Terminate with Exit Code|5
S

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")"
w="$(robot wait --timeout 30000 --title-contains Folders | robot_value hwnd)"
dump="$(robot dump --hwnd "$w")"
echo "$dump" >"$dir/dump.txt"
check "Tag 1: the directory list and the shell tree at the target's nearest existing folder" \
  "$(robot_value list_selected <<<"$dump" | sed -n 1p)/$(robot_value tree_selected <<<"$dump")" \
  "Program Files/Program Files"
check "the target edit shows the target" "$(robot_value edit <<<"$dump" | sed -n 1p)" \
  'C:\Program Files\Company\Product'
check "the shell list shows the folder of its variable's file" \
  "$(robot_value item <<<"$dump" | tr '\n' '|')" "Sub|notes.txt|readme.txt|"
check "the file list shows the files of its variable's folder" \
  "$(robot_value list_selected <<<"$dump" | sed -n 2p)" ""
check "drive box, filter box and shell combo" \
  "$(robot_value combo_selected <<<"$dump" | sed 's/ .*//' | tr '\n' '|')" "d:|Text|C:\\windows|"
screenshot folder-controls --hwnd "$w" >/dev/null

pick() { robot pick --hwnd "$w" "$@" >/dev/null || fail "pick $*"; sleep 0.3; }
target() { robot dump --hwnd "$w" | robot_value edit | sed -n 1p; }
pick --control ListBox --index 0 --item 'C:\' --double
check "an ancestor of the target chosen in the directory list keeps the target" "$(target)" \
  'C:\Program Files\Company\Product'
pick --control ListBox --index 0 --item windows --double
check "another folder chosen in the directory list takes the target's missing folders" \
  "$(target)" 'C:\windows\Company\Product'
pick --control ListBox --index 1 --item notes.txt
pick --control ComboBox --index 0 --item 'c:'
pick --control SysListView32 --item readme.txt
pick --control ComboBox --index 2 --item 'C:\'
robot type --hwnd "$w" --index 1 --text 'C:\windows' >/dev/null
sleep 0.3
check "Tag 100: the directory list follows the typed folder" \
  "$(robot dump --hwnd "$w" | robot_value list_selected | sed -n 3p)" "windows"
pick --control SysTreeView32 --item 'Desktop|My Computer|(D:)|Apps'
check "D:\\Apps chosen in the shell tree for a target of which only C:\\Program Files exists" \
  "$(target)" 'D:\Apps\Company\Product'
screenshot folder-controls-chosen --hwnd "$w" >/dev/null
robot click --hwnd "$w" --button "Next >" >/dev/null
run="$(robot_bg_wait "$dir/robot.log" 60)"
restore_drive
check "exit code" "$(robot_value exit <<<"$run")" 5
check "the change handlers' values" "$(tr -d '\r' <"$dir/out.txt" 2>/dev/null)" \
  'dir=C:\windows tree=D:\Apps list=D:\Apps\readme.txt file=D:\Apps\notes.txt drive=c:\ combo=C:\ target=D:\Apps\Company\Product'
test_done
