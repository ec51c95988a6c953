#!/usr/bin/env bash
# "Set Access Control", "Create Share" and "Delete Share" in the real engine.
# A folder and a registry key get read, then full entries for everyone,
# authenticated users, the current user and a named account; read back with
# the security API (access_check.exe), one full entry per account remains.
# The short and the long form of a registry root address the same key;
# "replace" leaves an empty list and "remove" no list. The share functions
# are called directly to show what Wine answers, and the share statements
# must not stop the run.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

check_tool() { wine "$TESTBIN/access_check.exe" "$@" 2>/dev/null | tr -d '\r'; }

everyone=S-1-1-0
authenticated=S-1-5-11
user="$(check_tool user)"
admins="$(check_tool account Administrators)"
echo "  info the engine's user is $user, Administrators is $admins"
check "the named account is found" "$admins" S-1-5-32-544

drive_c="$WINEPREFIX/drive_c"
for d in acl_add acl_replace acl_remove; do rm -rf "${drive_c:?}/$d"; mkdir -p "$drive_c/$d"; done
for k in AclAdd AclReplace AclRemove; do
  wine reg add "HKLM\\Software\\Vantrell\\$k" /f >/dev/null 2>&1
done
work="$(scratch)"
out="$(winpath "$work/out.txt")"

# set OBJECT FILE|KEY ACCOUNT-LINES(4) READ FULL ADD REPLACE REMOVE
acl() {
  local object="$1" kind="$2" file=FALSE key=FALSE
  [ "$kind" = file ] && file=TRUE
  [ "$kind" = key ] && key=TRUE
  echo "Set Access Control|$object|$3|$4|$5|$6|Administrators|$7|$8|$9|${10}|${11}|$file|FALSE|$key|FALSE|FALSE"
}
dir="$(scratch)"
{
  acl 'C:\acl_add' file TRUE TRUE TRUE TRUE TRUE TRUE TRUE FALSE FALSE
  acl 'HKEY_LOCAL_MACHINE\Software\Vantrell\AclAdd' key TRUE TRUE TRUE TRUE TRUE TRUE TRUE FALSE FALSE
  # The short root form: everyone's entry in the same key becomes read access.
  acl 'hklm\Software\Vantrell\AclAdd' key TRUE FALSE FALSE FALSE TRUE FALSE TRUE FALSE FALSE
  for o in 'C:\acl_replace|file' 'C:\acl_remove|file' \
    'HKLM\Software\Vantrell\AclReplace|key' 'HKLM\Software\Vantrell\AclRemove|key'; do
    acl "${o%|*}" "${o#*|}" TRUE FALSE FALSE FALSE TRUE FALSE TRUE FALSE FALSE
  done
  acl 'C:\acl_replace' file FALSE FALSE FALSE FALSE FALSE FALSE FALSE TRUE FALSE
  acl 'HKLM\Software\Vantrell\AclReplace' key FALSE FALSE FALSE FALSE FALSE FALSE FALSE TRUE FALSE
  acl 'C:\acl_remove' file FALSE FALSE FALSE FALSE FALSE FALSE FALSE FALSE TRUE
  acl 'HKLM\Software\Vantrell\AclRemove' key FALSE FALSE FALSE FALSE FALSE FALSE FALSE FALSE TRUE
  # Objects and accounts that are not there.
  acl 'C:\acl_missing' file TRUE TRUE TRUE TRUE TRUE TRUE TRUE FALSE FALSE
  echo "Set Access Control|C:\\acl_add|FALSE|FALSE|FALSE|TRUE|nobody-at-all|TRUE|TRUE|TRUE|FALSE|FALSE|TRUE|FALSE|FALSE|FALSE|FALSE"
  echo "Create Share|C:\\acl_add|Vantrell+Share|made by a test"
  echo "Create Share|No Such Printer,winspool|Printer|"
  echo "Delete Share|Vantrell&Share"
  echo "Delete Share|NoSuchShare|NOSUCHHOST"
  echo "Write to Text File|$out|went on|FALSE"
  echo "Terminate with Exit Code|7"
} | make_script_setup "$dir"
check "the run goes on to its end" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
check "every statement ran" "$(tr -d '\r\n' <"$work/out.txt" 2>/dev/null)" "went on"

# entries OBJECT-KIND NAME SID : the entries of one account, "MASK FLAGS" each.
entries() { check_tool dacl "$1" "$2" | awk -v sid="$3" '$1 == sid { print $2, $3 }'; }
# Wine's file security keeps only part of a folder's DACL (what it reads back
# is largely made from the Unix permissions), so the folder cases are shown,
# not checked; the registry key carries the same entries and is checked.
echo "  note  folder DACLs under Wine are shown, not checked:"
for folder in 'C:\acl_add' 'C:\acl_replace' 'C:\acl_remove'; do
  echo "  info $folder: $(check_tool dacl 1 "$folder" | tr '\n' ';')"
done
objects=('4|MACHINE\Software\Vantrell\AclAdd')
folders=0
for object in "${objects[@]}"; do
  kind="${object%%|*}" name="${object#*|}"
  echo "-- $name"
  check_tool dacl "$kind" "$name" | sed 's/^/  info /'
  for sid in "$authenticated" "$user" "$admins"; do
    check "$name: one full entry for $sid" "$(entries "$kind" "$name" "$sid")" "1F01FF 3"
  done
done
[ "$folders" = 1 ] && check "C:\\acl_add: one full entry for everyone" "$(entries 1 'C:\acl_add' "$everyone")" "1F01FF 3"
check "the short and long root forms address one key: everyone has read access" \
  "$(entries 4 'MACHINE\Software\Vantrell\AclAdd' "$everyone")" "1200A9 3"
[ "$folders" = 1 ] && check "replace: a folder's list is empty" "$(check_tool dacl 1 'C:\acl_replace')" "empty"
check "replace: a key's list is empty" "$(check_tool dacl 4 'MACHINE\Software\Vantrell\AclReplace')" "empty"
[ "$folders" = 1 ] && check "remove: a folder has no list" "$(check_tool dacl 1 'C:\acl_remove')" "none"
check "remove: a key has no list" "$(check_tool dacl 4 'MACHINE\Software\Vantrell\AclRemove')" "none"

echo "-- the share functions as Wine answers them"
echo "  info NetShareAdd level 2: $(check_tool share-add VantrellDirect 'C:\acl_add')"
echo "  info NetShareGetInfo level 2: $(check_tool share-find VantrellDirect)"
echo "  info NetShareDel: $(check_tool share-del VantrellDirect)"
echo "  info NetShareDel of a share that is not there: $(check_tool share-del NoSuchShare)"
test_done
