#!/usr/bin/env bash
# Every predefined variable written by a script with "Write to Text File",
# under Wine: a first run by the (administrator) Wine user, then a maintenance
# run of the installed product from its engine cache with instance.dat.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

names="ABORT ADVERTISE ALLUSERS CMDLINE COMPANY COMPLETE COPYWEBLOCK DATADIR DATE ENGINECACHE EXEDIR EXEFILE
GPOPATH IISHOST LANGUAGE LASTERROR LICENSE LOGGED MAINTENANCE MINIMUM MODIFY MSIFILE NEEDSUPGRADE NEWINSTANCE
OVERRIDECACHE PERSONALIZED PRODUCTCODE PROGRESS PROGRESSMODE PROGRESSTEXT REBOOTCOMPUTER REBOOTNOW REMOVE REPAIR
REVISIONCODE ROOTDIR RUNAPP SELECTED SFXFILE SFXPATH SILENT STARTMENU SUPPORTDIR TARGETDIR TEMPDIR TIME TITLE
UNINSTALLLINK USERCOMPANY USERNAME VELDLOGO VELD_COMPRESS_INSTALLER_CACHE VELD_DISABLE_ROLLBACK
VELD_DISABLE_VISTA_RESTART_MANAGER VERSION WINDOWHANDLE WIZARD"

package="$(sample_package)"
package_code="$(msiinfo suminfo "$package" | sed -n 's/^Revision number (UUID): //p' | tr -d '\r')"

# predefined_run DIR OUTFILE : writes NAME=value lines for every name into OUTFILE.
predefined_run() {
  local dir="$1" out="$2" name
  {
    echo "@revision $package_code"
    echo "@title Vantrell Sample"
    for name in $names; do echo "Write to Text File|$(winpath "$out")|$name=\$$name\$|FALSE"; done
  } | make_script_setup "$dir"
  robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s "/m=C:\\Sfx Dir\\Self.EXE" "/g=\\\\srv\\gpo\\x" >/dev/null
}
value() { tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -1; }

out="$WINE_RUN_DIR/first.txt"
dir="$(scratch)"
predefined_run "$dir" "$out"
exe_dir="$(winpath "$dir")\\"
program_files="$(wine cmd /c echo %ProgramFiles% 2>/dev/null | tr -d '\r')"
expect_first=(
  "ALLUSERS=TRUE" "MAINTENANCE=FALSE" "NEEDSUPGRADE=FALSE" "NEWINSTANCE=FALSE" "SILENT=TRUE"
  "TITLE=Vantrell Sample" "STARTMENU=Vantrell Sample" "COMPANY=Publisher" "VERSION=1.0"
  "PRODUCTCODE={5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}" "REVISIONCODE=$package_code"
  "EXEDIR=$exe_dir" "ROOTDIR=$exe_dir" "EXEFILE=${exe_dir}setup.exe" "DATADIR=${exe_dir}data\\"
  "TARGETDIR=$program_files\\Vantrell Sample\\" "WIZARD=NEXT" "RUNAPP=TRUE" "REBOOTNOW=OK" "IISHOST=localhost"
  "VELD_COMPRESS_INSTALLER_CACHE=TRUE" "VELD_DISABLE_ROLLBACK=FALSE" "WINDOWHANDLE=0" "SELECTED=0" "PROGRESS=0"
  "LICENSE=FALSE" "COMPLETE=TRUE" "MODIFY=TRUE" "REPAIR=FALSE" "REMOVE=FALSE" "ADVERTISE=FALSE" "ABORT=FALSE"
  "SFXPATH=c:\\sfx dir\\" "SFXFILE=self.exe" "GPOPATH=\\\\srv\\gpo\\" "CMDLINE=/s \"/m=C:\\Sfx Dir\\Self.EXE\" /g=\\\\srv\\gpo\\x"
)
for pair in "${expect_first[@]}"; do
  check "first run: ${pair%%=*}" "$(value "$out" "${pair%%=*}")" "${pair#*=}"
done
cache="$(value "$out" ENGINECACHE)"
[[ "$cache" == *"\\$package_code\\" ]] && pass "first run: ENGINECACHE ends in the revision code: $cache" ||
  fail "first run: ENGINECACHE [$cache]"
check "first run: UNINSTALLLINK" "$(value "$out" UNINSTALLLINK)" "${cache}setup.exe"
[[ "$(value "$out" SUPPORTDIR)" == *\\zeb[0-9]*\\ ]] && pass "first run: SUPPORTDIR" || fail "first run: SUPPORTDIR"
check "first run: MSIFILE" "$(value "$out" MSIFILE)" "$(value "$out" SUPPORTDIR)setup.msi"
[ -n "$(value "$out" DATE)" ] && [ -n "$(value "$out" TIME)" ] && pass "first run: DATE and TIME" || fail "DATE/TIME"
check "first run: every name written" "$(tr -d '\r' <"$out" | grep -c '=')" "$(echo $names | wc -w)"

# Maintenance from the engine cache: the product is installed and the setup
# runs from its cache folder beside instance.dat.
wine msiexec /i "$(winpath "$package")" /qn >/dev/null 2>&1
wineserver -w
cache_unix="$(winepath -u "$cache" 2>/dev/null)"
mkdir -p "$cache_unix"
out="$WINE_RUN_DIR/maintenance.txt"
predefined_run "$cache_unix" "$out"  # builds the setup in the cache folder first
printf '%s\r\n%s\r\n%s\r\n' "{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}" "$package_code" "Vantrell Sample" >"$cache_unix/instance.dat"
rm -f "$out"
robot run --timeout 60000 -- "$(winpath "$cache_unix/setup.exe")" /s >/dev/null
check "cache run: MAINTENANCE" "$(value "$out" MAINTENANCE)" TRUE
check "cache run: NEWINSTANCE" "$(value "$out" NEWINSTANCE)" FALSE
check "cache run: ENGINECACHE is the folder it runs from" "$(value "$out" ENGINECACHE)" "$cache"
check "cache run: EXEDIR" "$(value "$out" EXEDIR)" "$cache"
wine msiexec /x "$(winpath "$package")" /qn >/dev/null 2>&1
wineserver -w
rm -rf "$cache_unix"
test_done
