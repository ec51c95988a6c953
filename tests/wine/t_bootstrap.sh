#!/usr/bin/env bash
# The bootstrap against Wine's own Windows Installer: a product installed with
# msiexec makes a run of the same build a maintenance run, a run of another
# build an upgrade, and a run beside instance.dat a run of that instance.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

product="{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}"
package="$(sample_package)"
package_code="$(msiinfo suminfo "$package" | sed -n 's/^Revision number (UUID): //p' | tr -d '\r')"

# Exit code: 10 maintenance, 20 upgrade, 30 first installation; +1 for a new instance.
run_kind() {
  local revision="$1" dir="$2"
  shift 2
  make_script_setup "$dir" <<S
@revision $revision
@title Vantrell Sample
If|MAINTENANCE|0|TRUE|TRUE
If|NEWINSTANCE|0|TRUE|TRUE
Terminate with Exit Code|11
End
Terminate with Exit Code|10
End
If|NEEDSUPGRADE|0|TRUE|TRUE
If|NEWINSTANCE|0|TRUE|TRUE
Terminate with Exit Code|21
End
Terminate with Exit Code|20
End
If|ENGINECACHE|1|$revision|TRUE
Terminate with Exit Code|30
End
Terminate with Exit Code|39
S
  robot_value exit <<<"$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s "$@")"
}

check "package code read from the package" "${package_code:0:1}" "{"
check "before installing: first installation, cache named after the revision" "$(run_kind "$package_code" "$(scratch)")" 30

wine msiexec /i "$(winpath "$package")" /qn >/dev/null 2>&1
wineserver -w
check "same build installed: maintenance from the media is a new instance" "$(run_kind "$package_code" "$(scratch)")" 11
# A kept variable is saved in the engine cache at the end of a run and loaded
# by the next maintenance run. A run that installs nothing refreshes a saved
# state that exists and makes none: here the state comes from the script's
# own "Save Feature Selections" into the cache folder.
dir="$(scratch)"
where="$dir/cache.txt"
make_script_setup "$dir" <<S
@revision $package_code
@title Vantrell Sample
Write to Text File|$(winpath "$where")|\$ENGINECACHE\$|FALSE
S
robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s >/dev/null
cache_folder="$(winepath -u "$(tr -d '\r\n' <"$where")" 2>/dev/null)"
[ -n "$cache_folder" ] && mkdir -p "$cache_folder"
dir="$(scratch)"
make_script_setup "$dir" <<S
@revision $package_code
@title Vantrell Sample
Set Variable|COLOR\$VELD\$VELD\$TRUE|red
Save Feature Selections|\$ENGINECACHE\$setup.dat
Set Variable|COLOR\$VELD\$VELD\$TRUE|blue
Terminate with Exit Code|5
S
check "maintenance run keeps a variable" \
  "$(robot_value exit <<<"$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s)")" 5
dir="$(scratch)"
make_script_setup "$dir" <<S
@revision $package_code
@title Vantrell Sample
If|COLOR|0|blue|TRUE
Terminate with Exit Code|6
End
Terminate with Exit Code|7
Set Variable|COLOR\$VELD\$VELD\$TRUE|never runs, declares COLOR
S
check "the next maintenance run loads it from the engine cache" \
  "$(robot_value exit <<<"$(robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s)")" 6
cache_dat="$(find "$WINEPREFIX/drive_c" -ipath "*$package_code*/setup.dat" 2>/dev/null | head -1)"
[ -n "$cache_dat" ] && pass "feature selection file in the engine cache: ${cache_dat#$WINEPREFIX/}" ||
  fail "no feature selection file in the engine cache"
rm -f "$cache_dat"

check "another build installed: upgrade" "$(run_kind "{01234567-89AB-CDEF-0123-456789ABCDEF}" "$(scratch)")" 21
dir="$(scratch)"
printf '%s\r\n%s\r\n%s\r\n' "$product" "$package_code" "Vantrell Sample" >"$dir/instance.dat"
check "beside instance.dat: maintenance of that instance" \
  "$(run_kind "{01234567-89AB-CDEF-0123-456789ABCDEF}" "$dir")" 10

wine msiexec /x "$(winpath "$package")" /qn >/dev/null 2>&1
wineserver -w
check "after removal: first installation again" "$(run_kind "$package_code" "$(scratch)")" 30
test_done
