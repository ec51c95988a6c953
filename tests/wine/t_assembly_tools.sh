#!/usr/bin/env bash
# "Generate Native Images", "Run .NET Installer Class" and "Register
# Assembly" in the real engine, with probes at the tool paths of the 2.0 and
# 1.1 frameworks below the prefix's Windows folder: each probe records its
# arguments and working folder and ends with the code given beside it. A 2.0
# tool that fails, or is not there, leads to the 1.1 tool; one that succeeds
# does not. A display name found in the assembly cache is registered by its
# file there.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

windows="$WINEPREFIX/drive_c/windows"
new="$windows/Microsoft.NET/Framework/v2.0.50727"
old="$windows/Microsoft.NET/Framework/v1.1.4322"
new_win='C:\windows\Microsoft.NET\Framework\v2.0.50727'
old_win='C:\windows\Microsoft.NET\Framework\v1.1.4322'
mkdir -p "$new" "$old"
saved="$(scratch)"
# Wine's own tools at these paths are kept aside and put back at the end.
for f in "$new"/{ngen,installutil,regasm}.exe "$old"/{ngen,installutil,regasm}.exe; do
  [ -f "$f" ] && mkdir -p "$saved/$(basename "$(dirname "$f")")" && mv "$f" "$saved/$(basename "$(dirname "$f")")/"
done
restore() {
  rm -f "$new"/*.log "$new"/*.exit "$old"/*.log "$old"/*.exit
  for f in "$saved"/*/*.exe; do [ -f "$f" ] && cp "$f" "$windows/Microsoft.NET/Framework/$(basename "$(dirname "$f")")/"; done
}
# tool FOLDER NAME CODE : a probe at that path ending with CODE.
tool() {
  cp "$TESTBIN/cache_tool_probe.exe" "$1/$2"
  echo "$3" >"$1/$2.exit"
  rm -f "$1/$2.log"
}
log() { tr -d '\r' <"$1.log" 2>/dev/null; }

work="$(scratch)"
mkdir -p "$work/app dir"
app="$(winpath "$work/app dir")"
gac="$windows/assembly/GAC_MSIL/Shop.Core/1.2.0.0__0123456789abcdef"
mkdir -p "$gac"
echo x >"$gac/Shop.Core.dll"
gac_win='C:\windows\assembly\GAC_MSIL\Shop.Core\1.2.0.0__0123456789abcdef'

tool "$new" ngen.exe 0
tool "$old" ngen.exe 0
tool "$new" regasm.exe 1
tool "$old" regasm.exe 0
tool "$old" installutil.exe 0
rm -f "$new/installutil.exe"

dir="$(scratch)"
make_script_setup "$dir" <<S
Generate Native Images|$app\\Shop.dll
Run .NET Installer Class|$app\\Shop.dll|TRUE
Register Assembly|Shop.Core, Version=1.2.0.0, Culture=neutral, PublicKeyToken=0123456789abcdef
Register Assembly|Shop.Gone, Version=1.0.0.0, PublicKeyToken=0123456789abcdef<BAR>FALSE
Terminate with Exit Code|7
S
check "the run goes on to its end" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
check "native images: the 2.0 tool succeeds, installing the quoted path in its folder" \
  "$(log "$new/ngen.exe")" "install \"$app\\Shop.dll\"|$app"
check "native images: the 1.1 tool is not started" "$(log "$old/ngen.exe")" ""
check "installer class: no 2.0 tool, the 1.1 tool installs" \
  "$(log "$old/installutil.exe")" "\"$app\\Shop.dll\"|$app"
first="$(log "$new/regasm.exe" | head -n1)"
check "register: a cached display name is registered by its file" \
  "$first" "/tlb \"$gac_win\\Shop.Core.dll\"|$gac_win"
fallback="$(log "$old/regasm.exe")"
check "register: the 2.0 tool fails (1), so the 1.1 tool runs with the same line" \
  "$(head -n1 <<<"$fallback")" "/tlb \"$gac_win\\Shop.Core.dll\"|$gac_win"
check "register: a name in no cache folder is passed as it is" \
  "$(sed -n 2p <<<"$fallback" | cut -d'|' -f1)" "/tlb /unregister \"Shop.Gone, Version=1.0.0.0, PublicKeyToken=0123456789abcdef\""

# Uninstalling native images: the 2.0 tool returns 1, the 1.1 tool gets /delete.
tool "$new" ngen.exe 1
tool "$old" ngen.exe 0
dir="$(scratch)"
make_script_setup "$dir" <<S
Generate Native Images|$app\\Shop.dll<BAR>FALSE
Terminate with Exit Code|7
S
check "the second run ends" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
check "native images: the 2.0 tool is asked to uninstall" \
  "$(log "$new/ngen.exe")" "uninstall \"$app\\Shop.dll\"|$app"
check "native images: then the 1.1 tool deletes" \
  "$(log "$old/ngen.exe")" "/delete \"$app\\Shop.dll\"|$app"
rm -rf "$windows/assembly/GAC_MSIL/Shop.Core"
rm -f "$new"/{ngen,installutil,regasm}.exe "$old"/{ngen,installutil,regasm}.exe
restore
test_done
