#!/usr/bin/env bash
# "Apply Changes" through Wine's own Windows Installer: a silent install puts
# the package's file in place and registers the product with the installer,
# a second run removes it again, and a damaged package reports ERROR with the
# installer's text in LASTERROR.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

package="$(sample_package)"
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
# The installer keeps a 32-bit package's entry in the 32-bit view, whatever the engine's bitness.
product_state() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}' \
    /reg:32 >/dev/null 2>&1 && echo registered || echo absent
}

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Sample'
reg_value() { wine reg query "$1" /v "$2" ${3:+/reg:$3} 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }

# A setup that installs, or removes when started with REMOVE=TRUE.
lifecycle_setup() {
  make_script_setup "$1" <<S
@revision $package_code
@title Vantrell Sample
If|REMOVE|0|TRUE|TRUE
Apply Changes|progress|RESULT|FALSE|TRUE
Else
Apply Changes|progress|RESULT|TRUE|FALSE
End
If|RESULT|0|COMPLETE|TRUE
Terminate with Exit Code|1
End
Terminate with Exit Code|2
S
}

dir="$(scratch)"
lifecycle_setup "$dir"
out="$(robot run --timeout 180000 -- "$(winpath "$dir/setup.exe")" /s "/l=$(winpath "$dir/trace.log")")"
check "install: COMPLETE" "$(robot_value exit <<<"$out")" 1
[ -n "$(installed_file)" ] && pass "install: the package's file is in place" || fail "install: no file"
check "install: the installer knows the product" "$(product_state)" registered
trace="$(iconv -f UTF-16LE -t UTF-8 "$dir/trace.log" 2>/dev/null | tr -d '\r')"
grep -q '^\*\*\* GUID \*\*\*$' <<<"$trace" && pass "trace log holds the installer block" || fail "no installer block in the trace"
uninstall="$(reg_value "$uninstall_key" UninstallString)"
[[ "$uninstall" == \"*'\setup.exe" REMOVE=TRUE MODIFY=FALSE' ]] && pass "registered: UninstallString $uninstall" ||
  fail "registered: UninstallString [$uninstall]"
check "registered: Publisher" "$(reg_value "$uninstall_key" Publisher)" Publisher
system_component="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}' \
  /v SystemComponent /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/^ *SystemComponent *REG_DWORD *//p')"
check "the package's own entry is hidden from the program list" "$system_component" 0x1
cached_exe="${uninstall#\"}"
cached_exe="${cached_exe%%\"*}"
cache_unix="$(dirname "$(winepath -u "$cached_exe" 2>/dev/null)")"
for f in setup.exe setup.msi setup.res zeb.lib setup.dat setup.par instance.dat; do
  [ -f "$cache_unix/$f" ] && pass "engine cache holds $f" || fail "engine cache lacks $f ($cache_unix)"
done

# A second instance beside the installed one: a new product code from
# "Transform Instance", installed under that code and under a title of its
# own; its cached copy, started as its uninstall entry says, removes it and
# leaves the first instance alone.
dir="$(scratch)"
codes="$WINE_RUN_DIR/instance-codes.txt"
make_script_setup "$dir" <<S
@revision $package_code
@title Vantrell Sample
Transform Instance
Set Variable|TITLE|Vantrell Sample Second
Write to Text File|$(winpath "$codes")|\$PRODUCTCODE\$|FALSE
If|REMOVE|0|TRUE|TRUE
Apply Changes|progress|RESULT|FALSE|TRUE
Else
Apply Changes|progress|RESULT|TRUE|FALSE
End
If|RESULT|0|COMPLETE|TRUE
Terminate with Exit Code|1
End
Terminate with Exit Code|2
S
check "second instance: COMPLETE" \
  "$(robot_value exit <<<"$(robot run --timeout 180000 -- "$(winpath "$dir/setup.exe")" /s)")" 1
second="$(tr -d '\r\n' <"$codes" 2>/dev/null)"
[[ "$second" =~ ^\{[0-9A-F-]{36}\}$ ]] && [ "$second" != "{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}" ] &&
  pass "second instance: new product code $second" || fail "second instance: product code [$second]"
second_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$second"
wine reg query "$second_key" /reg:32 >/dev/null 2>&1 &&
  pass "second instance: installed under its own code" || fail "second instance: not installed under $second"
check "second instance: the first is still installed" "$(product_state)" registered
second_uninstall="$(reg_value "$uninstall_key Second" UninstallString)"
[[ "$second_uninstall" == \"*'\setup.exe" REMOVE=TRUE MODIFY=FALSE' ]] &&
  pass "second instance: its own entry ($second_uninstall)" || fail "second instance: UninstallString [$second_uninstall]"
second_cache="$(dirname "$(winepath -u "$(sed 's/^"//; s/".*//' <<<"$second_uninstall")" 2>/dev/null)")"
check "second instance: its cache names it" "$(head -1 "$second_cache/instance.dat" 2>/dev/null | tr -d '\r')" "$second"
out="$(robot run --timeout 180000 --raw "$second_uninstall")"
check "second instance: its uninstall entry removes it" "$(robot_value exit <<<"$out")" 1
check "second instance: the removal acted for the second code" "$(tail -n1 "$codes" 2>/dev/null | tr -d "\r")" "$second"
wine reg query "$second_key" /reg:32 >/dev/null 2>&1 &&
  fail "second instance: still installed" || pass "second instance: gone from the installer"
wine reg query "$uninstall_key Second" >/dev/null 2>&1 &&
  fail "second instance: its entry stays" || pass "second instance: its entry is gone"
check "second instance: the first stays installed" "$(product_state)" registered

# "Is MSI Setup Installed" while installed (and for a code nobody installed).
dir="$(scratch)"
make_script_setup "$dir" <<'S'
Is MSI Setup Installed|{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}|INSTALLED
Is MSI Setup Installed|not a guid|OTHER
If|INSTALLED|0|TRUE|TRUE
If|OTHER|0|FALSE|TRUE
Terminate with Exit Code|1
End
End
Terminate with Exit Code|2
S
check "Is MSI Setup Installed: TRUE for the product, FALSE for a bad code" \
  "$(robot_value exit <<<"$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s)")" 1

# "Apply Patch" with a damaged patch beside the package reports ERROR; without
# the sources' marker it gives up with CANCEL.
dir="$(scratch)"
make_script_setup "$dir" <<S
@revision $package_code
Apply Patch|PATCHED
If|PATCHED|0|ERROR|TRUE
If|LASTERROR|0||FALSE
Terminate with Exit Code|1
End
End
Terminate with Exit Code|2
S
printf 'not a patch' >"$dir/setup.msp"
mkdir -p "$dir/data" && : >"$dir/data/{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}"  # the sources' marker
check "Apply Patch: a damaged patch gives ERROR and LASTERROR" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 1
rm -rf "$dir/data"
check "Apply Patch: sources not found in a silent run is not ERROR" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 2

# A patch that succeeds: Wine's installer cannot generate transforms
# (MsiDatabaseGenerateTransform answers 120), so the patch made through it
# carries none; the engine applies it to the installed product and reports
# COMPLETE with no error text.
dir="$(scratch)"
make_script_setup "$dir" <<S
@revision $package_code
Apply Patch|PATCHED
Write to Text File|$(winpath "$dir/why.txt")|[\$PATCHED\$][\$LASTERROR\$]|FALSE
Terminate with Exit Code|1
S
wine "$TESTBIN/make_patch.exe" - - "$(winpath "$dir/setup.msp")" \
  "{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}" "{9D3C2B1A-0F9E-4D8C-B7A6-5E4D3C2B1A09}" >/dev/null 2>&1
check "a patch is made" "$?" 0
mkdir -p "$dir/data" && : >"$dir/data/{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}"
robot run --timeout 180000 -- "$(winpath "$dir/setup.exe")" /s >/dev/null
check "Apply Patch: a patch that applies gives COMPLETE and no error" "$(tr -d '\r\n' <"$dir/why.txt" 2>/dev/null)" \
  "[COMPLETE][]"
check "Apply Patch: the product stays installed" "$(product_state)" registered

out="$(robot run --timeout 180000 -- "$cached_exe" /s REMOVE=TRUE MODIFY=FALSE)"
check "remove from the cached copy: COMPLETE" "$(robot_value exit <<<"$out")" 1
[ -z "$(installed_file)" ] && pass "remove: the file is gone" || fail "remove: file left"
check "remove: the installer forgot the product" "$(product_state)" absent
check "remove: the uninstall entry is gone" "$(reg_value "$uninstall_key" UninstallString)" ""
sleep 1
[ ! -f "$cache_unix/setup.msi" ] && pass "remove: the engine cache is gone or moved aside" ||
  fail "remove: engine cache left at $cache_unix"

echo "-- files go where the script's variables point"
recorded="$WINE_RUN_DIR/recorded.msi"
bash "$VANTRELL_ROOT/tests/support/make_package.sh" "$recorded" >/dev/null
recorded_code="$(msiinfo suminfo "$recorded" | sed -n 's/^Revision number (UUID): //p' | tr -d '\r')"
dir="$(scratch)"
SETUP_PACKAGE="$recorded" make_script_setup "$dir" <<S
@product {3D1B6A52-1C7E-4E2B-9F0A-6B5C4D3E2F10}
@revision $recorded_code
@title Vantrell Package Test
@header 1A2B
Install Files|OFFLINE|1A2B|\$TARGETDIR\$\\Chosen Files
@header 5E6F
Write Registry|HKLM|REG_SZ|Software\\Vantrell\\\$KEYNAME\$|Name|\$DATA\$
Apply Changes|progress|RESULT|TRUE|FALSE
If|RESULT|0|COMPLETE|TRUE
Terminate with Exit Code|1
End
Terminate with Exit Code|2
S
target_unix="$WINEPREFIX/drive_c/vantrell target"
out="$(robot run --timeout 180000 -- "$(winpath "$dir/setup.exe")" /s "TARGETDIR=C:\\vantrell target" KEYNAME=Chosen "DATA=from the command line")"
check "recorded install: COMPLETE" "$(robot_value exit <<<"$out")" 1
[ -f "$target_unix/Chosen Files/readme.txt" ] && pass "recorded install: the file is in the folder TARGETDIR names" ||
  fail "recorded install: no file in $target_unix/Chosen Files ($(find "$WINEPREFIX/drive_c" -name readme.txt 2>/dev/null | grep -v Sample | head -3))"
check "recorded install: the registry value is where the variables point" \
  "$(reg_value 'HKLM\Software\Vantrell\Chosen' Name 32)" "from the command line"  # a 32-bit package
shortcut_part="$(wine reg query 'HKCU\Software\Vantrell\PackageTest' /v Shortcuts 2>/dev/null | grep -c Shortcuts)"
check "recorded install: a part no statement switched on stays off" "$shortcut_part" 0
wine msiexec /x "{3D1B6A52-1C7E-4E2B-9F0A-6B5C4D3E2F10}" /qn >/dev/null 2>&1

echo "-- the runner itself: cancel before and during the run, install, remove"
out="$(robot run --timeout 300000 -- "$TESTBIN/installer_run_check.exe" "$(winpath "$package")")"
grep '^  ' <<<"$out"
check "installer runner checks" "$(robot_value exit <<<"$out")" 0

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
