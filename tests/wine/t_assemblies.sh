#!/usr/bin/env bash
# "Remove Assemblies" in the real engine: the assemblies named in the
# package's MsiAssembly and MsiAssemblyName tables go to the engine's own
# assembly cache tool, written into the support folder with its
# configuration file; when the last removal fails (nothing of the kind is in
# Wine's cache) the pass is repeated with the 1.1 framework's tool, here a
# probe that records its arguments and folder. The tool itself is run once.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

echo "-- the engine's assembly cache tool"
tool="$VANTRELL_ROOT/build/win$ENGINE_BITS/resources/gacutil.exe"
wine "$tool" >/dev/null 2>&1
check "no arguments: usage (2)" "$?" 2
wine "$tool" /u "Vantrell.NotThere,Version=1.0.0.0" >/dev/null 2>&1
check "an assembly not in the cache: not removed (1)" "$?" 1

echo "-- the statement"
work="$(scratch)"
cp "$(sample_package)" "$work/assemblies.msi"
printf 'Component_\tFeature_\tFile_Manifest\tFile_Application\tAttributes\ns72\ts38\tS72\tS72\tI2\nMsiAssembly\tComponent_\nCoreComp\tMainFeature\t\t\t0\nDataComp\tMainFeature\t\t\t0\n' \
  >"$work/MsiAssembly.idt"
printf 'Component_\tName\tValue\ns72\ts255\ts255\nMsiAssemblyName\tComponent_\tName\nCoreComp\tName\tShop.Core\nCoreComp\tVersion\t1.2.0.0\nCoreComp\tCulture\tneutral\nDataComp\tName\tShop.Data\nDataComp\tVersion\t2.0.0.0\n' \
  >"$work/MsiAssemblyName.idt"
(cd "$work" && msibuild assemblies.msi -i MsiAssembly.idt && msibuild assemblies.msi -i MsiAssemblyName.idt)
check "package with assembly rows" "$?" 0

old="$WINEPREFIX/drive_c/windows/Microsoft.NET/Framework/v1.1.4322"
mkdir -p "$old"
cp "$TESTBIN/cache_tool_probe.exe" "$old/gacutil.exe"
rm -f "$old/gacutil.exe.log"
dir="$(scratch)"
out="$(winpath "$work/out.txt")"
SETUP_PACKAGE="$work/assemblies.msi" make_script_setup "$dir" <<S
Remove Assemblies
Does File/Folder Exist|TOOL|\$SUPPORTDIR\$\\gacutil.exe|TRUE
Does File/Folder Exist|CONFIG|\$SUPPORTDIR\$\\gacutil.exe.config|TRUE
Write to Text File|$out|TOOL=\$TOOL\$ CONFIG=\$CONFIG\$|FALSE
Terminate with Exit Code|7
S
check "the run goes on to its end" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
check "the tool and its configuration are in the support folder" "$(tr -d '\r\n' <"$work/out.txt" 2>/dev/null)" \
  "TOOL=TRUE CONFIG=TRUE"
old_win='C:\windows\Microsoft.NET\Framework\v1.1.4322'
check "the 1.1 tool repeats the pass, one run per assembly, in its folder" \
  "$(tr -d '\r' <"$old/gacutil.exe.log" 2>/dev/null)" \
  "/u Shop.Core,Version=1.2.0.0|$old_win
/u Shop.Data,Version=2.0.0.0|$old_win"
rm -rf "$old"
test_done
