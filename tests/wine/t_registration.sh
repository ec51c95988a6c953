#!/usr/bin/env bash
# The product registration through the real registry and file system: the
# check program runs install, advertise and removal cycles (also with the
# cached engine in use) and reads the entries back itself; then a per-user
# registration is left in place, read back with "reg query", and removed.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

program="$TESTBIN/registration_check.exe"
dir="$(scratch)"
echo "-- $(basename "$program")"
wine "$program" "$(winpath "$dir")" | tr -d '\r'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && pass "registration cycles" || fail "registration cycles: $status failure(s)"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Registration Check'
ident='HKCU\Software\Corvatis\Vantrell\Ident.Cache\{5C1E2A3B-4D5F-4A6B-8C7D-9E0F1A2B3C4D}'
cache="$(winpath "$dir")\\cache root\\{7D8E9FA0-B1C2-4D3E-8F4A-5B6C7D8E9FA0}\\"
reg_value() { # reg_value KEY NAME ("/ve" for the default value)
  local flag=(/v "$2")
  [ "$2" = "/ve" ] && flag=(/ve)
  wine reg query "$1" "${flag[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*REG_SZ    //p' | head -1
}

wine "$program" "$(winpath "$dir")" leave | tr -d '\r'
check "left in place" "${PIPESTATUS[0]}" 0
check "reg query: UninstallString" "$(reg_value "$key" UninstallString)" "\"${cache}setup.exe\" REMOVE=TRUE MODIFY=FALSE"
check "reg query: ModifyPath" "$(reg_value "$key" ModifyPath)" "${cache}setup.exe"
check "reg query: DisplayName" "$(reg_value "$key" DisplayName)" "Vantrell Registration Check"
check "reg query: Publisher" "$(reg_value "$key" Publisher)" "Corvatis"
check "reg query: InstallLocation" "$(reg_value "$key" InstallLocation)" 'C:\Program Files\Check\'
check "reg query: engine cache registration" "$(reg_value "$ident" /ve)" "$cache"
[ -f "$dir/cache root/{7D8E9FA0-B1C2-4D3E-8F4A-5B6C7D8E9FA0}/instance.dat" ] && pass "instance.dat on disk" \
  || fail "no instance.dat on disk"

wine "$program" "$(winpath "$dir")" remove | tr -d '\r'
check "removed" "${PIPESTATUS[0]}" 0
wine reg query "$key" >/dev/null 2>&1 && fail "uninstall entry still there" || pass "reg query: uninstall entry gone"
wine reg query "$ident" >/dev/null 2>&1 && fail "cache registration still there" || pass "reg query: cache registration gone"
[ -d "$dir/cache root/{7D8E9FA0-B1C2-4D3E-8F4A-5B6C7D8E9FA0}" ] && fail "cache folder left" || pass "cache folder gone"
test_done
