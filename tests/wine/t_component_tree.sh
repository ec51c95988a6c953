#!/usr/bin/env bash
# The component tree: one node per path level with the selected and not
# selected pictures, the first node selected and the description following
# the selection; its menu (a click on a node's picture, a right click, or the
# context-menu key) sets this component, the entire feature or none, keeps a
# fixed choice and selects the ancestors; the states written at the end
# match the ticks.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
cat >"$src/forms/Tree.txt" <<'FORM'
object Tree: TPoolTemplate
  BorderStyle = bsDialog
  Caption = 'Components'
  ClientHeight = 240
  ClientWidth = 400
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  object Components: TTreeView
    Left = 8
    Top = 8
    Width = 220
    Height = 180
    Tag = 1
    TabOrder = 0
  end
  object Description: TStaticText
    Left = 240
    Top = 8
    Width = 150
    Height = 60
    AutoSize = False
    Tag = 2
  end
  object Required: TStaticText
    Left = 240
    Top = 80
    Width = 150
    Height = 17
    AutoSize = False
    Tag = 4
  end
  object Next: TButton
    Left = 310
    Top = 205
    Width = 80
    Height = 25
    Caption = '&Next >'
    Default = True
    Tag = 1
    TabOrder = 1
  end
end
FORM

out="$(winpath "$dir/out.txt")"
SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" <<S
@title Tree
Define Component|App|TRUE|The application
Define Component|App\\Docs|FALSE|The documents
Define Component|App\\Docs\\Guide|FALSE|The guide
Define Component|App\\Core|TRUE|The core, always installed
Set Component Choice|App\\Core|FALSE
Set Component Space|App|1
Set Component Space|App\\Docs|10
Set Component Space|App\\Docs\\Guide|100
Set Component Space|App\\Core|1000
Display Dialog|Tree|PAGE|TRUE||TRUE|FALSE
Get Component State|App|APP
Get Component State|App\\Docs|DOCS
Get Component State|App\\Docs\\Guide|GUIDE
Get Component State|App\\Core|CORE
Write to Text File|$out|app=\$APP\$ docs=\$DOCS\$ guide=\$GUIDE\$ core=\$CORE\$|FALSE
Terminate with Exit Code|5
S

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")"
w="$(robot wait --timeout 30000 --title-contains Components | robot_value hwnd)"
statics() { robot dump --hwnd "$w" | robot_value static | tr '\n' '|'; }
check "the first node is selected, its description shown" "$(statics)" "The application|1,001 bytes|"
screenshot component-tree --hwnd "$w" >/dev/null
# menu KEYS : the context-menu key on the selected node, then KEYS in the menu
menu() {
  robot key --hwnd "$w" --keys APPS >/dev/null
  sleep 0.5
  robot key --hwnd "$w" --keys "$1" >/dev/null
  sleep 0.5
}
robot key --hwnd "$w" --keys DOWN >/dev/null  # App\Docs
check "the description follows the selection" "$(statics)" "The documents|1,001 bytes|"
menu I  # "Will be installed": Docs only (and its ancestors)
check "this component only: Docs and its ancestor, not Guide" "$(statics)" "The documents|1,011 bytes|"
robot key --hwnd "$w" --keys DOWN,DOWN >/dev/null  # App\Core, fixed: no menu
menu U
check "a fixed choice opens no menu" "$(statics)" "The core, always installed|1,011 bytes|"
robot key --hwnd "$w" --keys UP,UP,UP >/dev/null  # App
menu U  # the entire feature unavailable: all but the fixed Core
check "the entire feature unavailable, but for the fixed choice" "$(statics)" "The application|1,000 bytes|"
screenshot component-tree-menu --hwnd "$w" >/dev/null
# The menu open: its items with their pictures (seen on the screenshot).
robot key --hwnd "$w" --keys APPS >/dev/null
sleep 0.5
screenshot component-tree-menu-open --screen >/dev/null
robot key --hwnd "$w" --keys ESCAPE >/dev/null
sleep 0.5
check "Escape closes the menu without a choice" "$(statics)" "The application|1,000 bytes|"
robot key --hwnd "$w" --keys DOWN,DOWN >/dev/null  # App\Docs\Guide
menu E
check "the entire feature below: Guide and its ancestors" "$(statics)" "The guide|1,111 bytes|"
robot key --hwnd "$w" --keys UP >/dev/null  # App\Docs
check "back on Docs" "$(statics)" "The documents|1,111 bytes|"
menu U  # Docs and Guide unavailable again
check "Docs and Guide unavailable again" "$(statics)" "The documents|1,001 bytes|"
screenshot component-tree-end --hwnd "$w" >/dev/null
robot click --hwnd "$w" --button "Next >" >/dev/null
run="$(robot_bg_wait "$dir/robot.log" 60)"
check "exit code" "$(robot_value exit <<<"$run")" 5
check "the states after the menu's choices" "$(tr -d '\r' <"$dir/out.txt" 2>/dev/null)" \
  "app=TRUE docs=FALSE guide=FALSE core=TRUE"
test_done
