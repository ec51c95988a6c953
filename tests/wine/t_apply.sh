#!/usr/bin/env bash
# "Apply Changes" through Wine's own Windows Installer: a silent install puts
# the package's file in place and registers the product with the installer,
# a second run removes it again, and a damaged package reports ERROR with the
# installer's text in LASTERROR.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

package="$WINE_RUN_DIR/sample.msi"
[ -f "$package" ] || (cd "$VANTRELL_ROOT/examples/sample" && wixl -o "$package" product.wxs)
package_code="$(msiinfo suminfo "$package" | sed -n 's/^Revision number (UUID): //p' | tr -d '\r')"

# apply DIR INSTALL REMOVE : exit 1 COMPLETE, 2 ERROR, 3 CANCEL, 4 REBOOT
apply() {
  local dir="$1" install="$2" remove="$3"
  make_script_setup "$dir" <<S
@revision $package_code
@title Vantrell Sample
Apply Changes|progress|RESULT|$install|$remove
If|RESULT|0|COMPLETE|TRUE
Terminate with Exit Code|1
End
If|RESULT|0|ERROR|TRUE
Terminate with Exit Code|2
End
If|RESULT|0|CANCEL|TRUE
Terminate with Exit Code|3
End
Terminate with Exit Code|4
S
  robot_value exit <<<"$(robot run --timeout 180000 -- "$(winpath "$dir/setup.exe")" /s "/l=$(winpath "$dir/trace.log")")"
}

installed_file() {
  find "$WINEPREFIX/drive_c" -ipath '*/Vantrell Sample/readme.txt' 2>/dev/null | head -1
}
product_state() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}' \
    >/dev/null 2>&1 && echo registered || echo absent
}

dir="$(scratch)"
check "install: COMPLETE" "$(apply "$dir" TRUE FALSE)" 1
[ -n "$(installed_file)" ] && pass "install: the package's file is in place" || fail "install: no file"
check "install: the installer knows the product" "$(product_state)" registered
trace="$(iconv -f UTF-16LE -t UTF-8 "$dir/trace.log" 2>/dev/null | tr -d '\r')"
grep -q '^\*\*\* GUID \*\*\*$' <<<"$trace" && pass "trace log holds the installer block" || fail "no installer block in the trace"

dir="$(scratch)"
check "remove: COMPLETE" "$(apply "$dir" FALSE TRUE)" 1
[ -z "$(installed_file)" ] && pass "remove: the file is gone" || fail "remove: file left"
check "remove: the installer forgot the product" "$(product_state)" absent

printf 'not a package' >"$WINE_RUN_DIR/broken.msi"
dir="$(scratch)"
SETUP_PACKAGE="$WINE_RUN_DIR/broken.msi" make_script_setup "$dir" <<S
@revision $package_code
Apply Changes|progress|RESULT|TRUE|FALSE
If|RESULT|0|ERROR|TRUE
If|LASTERROR|0||FALSE
Terminate with Exit Code|2
End
Terminate with Exit Code|5
End
Terminate with Exit Code|6
S
check "damaged package: ERROR with a text in LASTERROR" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 2
test_done
