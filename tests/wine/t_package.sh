#!/usr/bin/env bash
# Package edits through Wine's msi.dll: package_edit_check records statements
# and applies the edits to copies of the test package, which are then read
# back with msiinfo (Property rows, shortcut and file-type texts, summary
# template, component attributes and identities).
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
bash "$VANTRELL_ROOT/tests/support/make_package.sh" "$dir/x64.msi" x64
bash "$VANTRELL_ROOT/tests/support/make_package.sh" "$dir/x86.msi" x86
cp "$dir/x86.msi" "$dir/patch.msi"
cp "$dir/x86.msi" "$dir/x86-original.msi"
cp "$dir/x86.msi" "$dir/install.msi"
target="$dir/target"

wine "$TESTBIN/package_edit_check.exe" "$(winpath "$dir/x64.msi")" "$(winpath "$dir/x86.msi")" \
  "$(winpath "$dir/patch.msi")" "$(winpath "$dir/install.msi")" "$(winpath "$target")" | tr -d '\r'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && pass "package_edit_check" || fail "package_edit_check: $status failure(s)"

# Value of one row of an exported table: row KEY, column N (1-based).
cell() { msiinfo export "$1" "$2" | tr -d '\r' | awk -F'\t' -v k="$3" -v n="$4" 'NR > 3 && $1 == k { print $n }'; }
template() { msiinfo suminfo "$1" | sed -n 's/^Template: //p'; }
revision() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }

p=$dir/x64.msi
check "Property: A1A2B inserted" "$(cell "$p" Property A1A2B 2)" "TRUE"
check "Property: P1A2B_1 with the quote encoded" "$(cell "$p" Property P1A2B_1 2)" 'C:\Program Files\It$QUOTE$s Here'
check "Property: the shortcut folder" "$(cell "$p" Property P3C4D_1 2)" 'C:\Program Files\It$QUOTE$s Here'
check "Property: Manufacturer updated in place" "$(cell "$p" Property Manufacturer 2)" "Changed Maker"
check "Property: a value cannot rewrite another row" "$(cell "$p" Property ProductName 2)" "Vantrell Package Test"
check "Property: the quoted value" "$(cell "$p" Property NOTE 2)" 'v$QUOTE$ WHERE `Property`=$QUOTE$ProductName'
check "Property: a name with a quote is not written" \
  "$(msiinfo export "$p" Property | grep -c injected)" "0"
check "Shortcut: name" "$(cell "$p" Shortcut Start 3)" "My App~1|My Application's Start"
check "Shortcut: description" "$(cell "$p" Shortcut Start 7)" "Starts it"
check "ProgId: description, written before the rename" "$(cell "$p" ProgId Vantrell.Document 4)" "It's a document"
# The installer refuses UPDATE on a primary key column: the rename query fails
# and, as every failing edit, is skipped.
check "ProgId: the row keeps its key" "$(cell "$p" ProgId Vantrell.Dokument 1)" ""
check "template: x64 package for a 32-bit setup" "$(template "$p")" "Intel;1033"
check "Component: Files loses 0x100" "$(cell "$p" Component Files 4)" "0"
check "Component: Shortcuts loses 0x100" "$(cell "$p" Component Shortcuts 4)" "4"
check "Component: conditions kept" "$(cell "$p" Component Files 5)" 'A1A2B="TRUE"'

p=$dir/x86.msi
check "template: x86 package for an x64 setup" "$(template "$p")" "x64;1033"
check "Component: Files gains 0x100" "$(cell "$p" Component Files 4)" "256"
check "Component: Shortcuts gains 0x100" "$(cell "$p" Component Shortcuts 4)" "260"
check "new instance: product code" "$(cell "$p" Property ProductCode 2)" "{0F1E2D3C-4B5A-4968-8778-695A4B3C2D1E}"
check "new instance: revision number" "$(revision "$p")" "{ABCDEF01-2345-4678-9ABC-DEF012345678}"
for component in Files Shortcuts; do
  before="$(cell "$dir/x86-original.msi" Component "$component" 2)"
  after="$(cell "$p" Component "$component" 2)"
  [[ "$after" =~ ^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$ ]] && [ "$after" != "$before" ] &&
    pass "new instance: $component has a new identity $after" ||
    fail "new instance: $component identity [$after], was [$before]"
done

check "patch: template untouched" "$(template "$dir/patch.msi")" "$(template "$dir/x86-original.msi")"
# The edited package installs what the recording switched on, where the
# recorded folder points, and nothing of the statement that did not run.
wine msiexec /i "$(winpath "$dir/install.msi")" /qn >/dev/null 2>&1
check "install: msiexec succeeds" "$?" "0"
wineserver -w
[ -f "$target/Files/readme.txt" ] && pass "install: readme.txt in the recorded folder" ||
  fail "install: no $target/Files/readme.txt"
shortcut_dir="$(find "$WINEPREFIX/drive_c" -type d -name "Vantrell Package Test" -path "*Programs*" 2>/dev/null | head -1)"
[ -z "$shortcut_dir" ] && pass "install: the shortcut part stayed off" || fail "install: shortcut folder $shortcut_dir"
wine msiexec /x "$(winpath "$dir/install.msi")" /qn >/dev/null 2>&1
wineserver -w
[ ! -f "$target/Files/readme.txt" ] && pass "removal: readme.txt gone" || fail "removal: readme.txt left"
test_done
