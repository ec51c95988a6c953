#!/usr/bin/env bash
# "Delete Files Recursive" and "Register Library" under Wine: a silent setup
# deletes a mask's files from a real folder tree (links, read-only files and
# the 64-bit file view included) and registers and unregisters the probe
# library, a type library made by the probe program and the probe program as
# a server; the results are compared afterwards. Then the folder selection
# dialog is opened over an owner window and answered with the robot.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
data="$(scratch)"
out="$WINE_RUN_DIR/files.txt"
rm -f "$out"
w_out="$(winpath "$out")"
w_data="$(winpath "$data")"
probe_key='HKCU\Software\VantrellRegisterProbe'
tlb_guid='{6F1D2C3B-4A59-4E68-9D7C-8B0A1F2E3D4C}'

# The tree: X with matches at every depth, a folder that keeps another file,
# an empty folder, a read-only match and a link to a folder outside; Y beside it.
mkdir -p "$data/X/s1/t" "$data/X/s2" "$data/X/s3" "$data/Y" "$data/outside"
touch "$data/X/a.log" "$data/X/keep.txt" "$data/X/s1/c.LOG" "$data/X/s1/t/d.log" "$data/X/s1/t/d.txt" \
  "$data/X/s3/ro.log" "$data/Y/other.log" "$data/outside/behind.log"
chmod a-w "$data/X/s3/ro.log"
ln -s "$data/outside" "$data/X/link"
# The same folder in both system folders of the 64-bit prefix.
sys64="$WINEPREFIX/drive_c/windows/system32"
sys32="$WINEPREFIX/drive_c/windows/syswow64"
for side in "$sys64" "$sys32"; do
  rm -rf "$side/vantrell_x64" "$side/vantrell_w32"
  mkdir -p "$side/vantrell_x64/sub" "$side/vantrell_w32/sub"
  touch "$side/vantrell_x64/sub/p.log" "$side/vantrell_w32/sub/p.log"
done

# The probes, in a folder with a blank in its name.
probe="$data/probe dir"
w_probe="$(winpath "$probe")"
mkdir -p "$probe"
cp "$TESTBIN/register_probe.dll" "$TESTBIN/register_probe.exe" "$probe/"
cp "$TESTBIN/register_probe.exe" "$probe/noentry.dll"
printf 'no library' >"$probe/notlib.dll"
wine "$TESTBIN/register_probe.exe" maketlb "$w_probe\\probe.tlb" >/dev/null 2>&1
[ -f "$probe/probe.tlb" ] || fail "the probe type library was not made"
wine reg delete "$probe_key" /f >/dev/null 2>&1
for view in 32 64; do wine reg delete "HKCR\\TypeLib\\$tlb_guid" /f "/reg:$view" >/dev/null 2>&1; done

{
  r() { local name="$1"; shift; echo "$*"; echo "Write to Text File|$w_out|$name=\$$name\$|FALSE"; }
  echo "Delete Files Recursive|$w_data\\X\\*.log"
  r DLL_REG "Register Library|$w_probe\\register_probe.dll|TRUE|DLL_REG"
  r DLL_REG_FOLDER "Read Registry|DLL_REG_FOLDER|1|Software\\VantrellRegisterProbe|Folder"
  r DLL_UNREG "Register Library|$w_probe\\register_probe.dll|FALSE|\$DLL_UNREG\$"
  r DLL_UNREG_AGAIN "Register Library|$w_probe\\register_probe.dll|FALSE|DLL_UNREG_AGAIN"
  r NO_ENTRY "Register Library|$w_probe\\noentry.dll|TRUE|NO_ENTRY"
  r NOT_LIB "Register Library|$w_probe\\notlib.dll|TRUE|NOT_LIB"
  r TLB_MISSING "Register Library|$w_probe\\missing.tlb|TRUE|TLB_MISSING"
  r TLB_REG "Register Library|$w_probe\\probe.TLB|TRUE|TLB_REG"
  r TLB_HELPDIR "Check Registry|TLB_HELPDIR|0|TypeLib\\$tlb_guid\\1.0\\HELPDIR|"
  r TLB_UNREG "Register Library|$w_probe\\probe.tlb|FALSE|TLB_UNREG"
  r TLB_GONE "Check Registry|TLB_GONE|0|TypeLib\\$tlb_guid\\1.0|"
  r EXE_REG "Register Library|$w_probe\\register_probe.exe|TRUE|EXE_REG"
  echo "Set 64 Bit Mode|FALSE|FALSE|TRUE"
  echo 'Delete Files Recursive|C:\windows\system32\vantrell_x64\*.log'
  echo "Set 64 Bit Mode|TRUE|FALSE|FALSE"
  echo 'Delete Files Recursive|C:\windows\system32\vantrell_w32\*.log'
  echo "Write to Text File|$w_out|END=done|FALSE"
} | make_script_setup "$dir" >/dev/null
robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s >/dev/null

value() { tr -d '\r' <"$out" | sed -n "s/^$1=//p" | head -1; }
[ -f "$out" ] || { fail "no results written"; test_done; }
check "the script ran to its end" "$(value END)" "done"

# Delete Files Recursive on the real tree.
for gone in X/a.log X/s1/c.LOG X/s1/t/d.log X/s3/ro.log X/s2 X/s3; do
  [ -e "$data/$gone" ] && fail "deleted: $gone" || pass "deleted: $gone"
done
for kept in X X/keep.txt X/s1/t/d.txt X/link outside/behind.log Y/other.log; do
  [ -e "$data/$kept" ] && pass "kept: $kept" || fail "kept: $kept"
done
# The 64-bit file view: system32 itself in x64 mode, the 32-bit system folder in Win32 mode.
check "x64 mode deletes in system32" "$([ -e "$sys64/vantrell_x64/sub" ] && echo kept || echo gone)" gone
check "x64 mode leaves syswow64" "$([ -e "$sys32/vantrell_x64/sub/p.log" ] && echo kept || echo gone)" kept
skip_unless_32bit "Win32 mode deletes in syswow64" "file-system redirection" &&
  check "Win32 mode deletes in syswow64" "$([ -e "$sys32/vantrell_w32/sub" ] && echo kept || echo gone)" gone
skip_unless_32bit "Win32 mode leaves system32" "file-system redirection" &&
  check "Win32 mode leaves system32" "$([ -e "$sys64/vantrell_w32/sub/p.log" ] && echo kept || echo gone)" kept

# Register Library.
check "library registered" "$(value DLL_REG)" TRUE
check "registration ran in the library's folder" "$(value DLL_REG_FOLDER)" "$w_probe"
check "library unregistered" "$(value DLL_UNREG)" TRUE
check "failing unregistration entry" "$(value DLL_UNREG_AGAIN)" FALSE
check "library without entry" "$(value NO_ENTRY)" FALSE
check "file that is no library" "$(value NOT_LIB)" FALSE
check "missing type library" "$(value TLB_MISSING)" FALSE
check "type library registered" "$(value TLB_REG)" TRUE
check "type library help folder" "$(value TLB_HELPDIR)" 'C:\ProbeHelp'
check "type library unregistered" "$(value TLB_UNREG)" TRUE
check "type library registration removed" "$(value TLB_GONE)" 'NO$KEY'
check "server program started" "$(value EXE_REG)" TRUE
# The engine does not wait for the server program; give it time to record.
server=""
for _ in $(seq 1 50); do
  server="$(wine reg query "$probe_key" /v Server 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')"
  [ -n "$server" ] && break
  sleep 0.2
done
check "server command line" "$server" "\"$w_probe\\register_probe.exe\" /regserver"
server_folder="$(wine reg query "$probe_key" /v ServerFolder 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')"
check "server started in its folder" "$server_folder" "$w_probe"

echo "-- the folder selection dialog"
pick="$WINEPREFIX/drive_c/vantrell browse/pick"
mkdir -p "$pick"
browse() { # browse START BUTTON : the probe's answer after BUTTON is clicked
  local run dialog
  run="$(scratch)"
  robot_bg_run "$run/r.log" --timeout 60000 -- "$(winpath "$TESTBIN/folder_browser_probe.exe")" "$1" \
    "$(winpath "$run/out.txt")"
  dialog="$(robot wait --timeout 20000 --title "Browse for Folder")"
  robot dump --title "Browse for Folder" >"$WINE_RUN_DIR/browse-dump.txt"
  robot wait --timeout 5000 --title "Folder Browser Owner" | robot_value hwnd >"$WINE_RUN_DIR/browse-owner.txt"
  # OK is enabled once the tree has settled on the start folder.
  local settled=0
  for _ in $(seq 50); do
    robot dump --title "Browse for Folder" | grep -qx 'disabled=OK' || { settled=1; break; }
    sleep 0.2
  done
  # Under load Wine's tree can settle on its root after the probe's last
  # reselection; the start folder is then selected again from outside.
  if [ "$settled" = 0 ]; then
    echo "  note  the browser's tree left the start folder; selected again" >&2
    robot browse-to --title "Browse for Folder" --path "$1" >/dev/null
  fi
  [ "$2" = OK ] && screenshot folder-browser --title "Browse for Folder" >/dev/null
  robot click --title "Browse for Folder" --button "$2" >/dev/null
  robot_bg_wait "$run/r.log" 90 >/dev/null 2>&1
  tr -d '\r' <"$run/out.txt" 2>/dev/null
  [ -n "$dialog" ] || echo "no dialog"
}
check "OK gives the selected folder" "$(browse 'C:\vantrell browse\pick' OK)" 'chosen=C:\vantrell browse\pick'
check "the dialog is owned by the given window" "$(robot_value owner <"$WINE_RUN_DIR/browse-dump.txt")" \
  "$(cat "$WINE_RUN_DIR/browse-owner.txt")"
grep -qx 'button=Make New Folder' "$WINE_RUN_DIR/browse-dump.txt" && pass "the dialog has the newer style" ||
  fail "the dialog lacks the newer style"
check "Cancel gives nothing" "$(browse 'C:\vantrell browse\pick' Cancel)" cancelled
rm -rf "$WINEPREFIX/drive_c/vantrell browse"

wine reg delete "$probe_key" /f >/dev/null 2>&1
chmod -R u+w "$data" 2>/dev/null
rm -rf "$sys64/vantrell_x64" "$sys64/vantrell_w32" "$sys32/vantrell_x64" "$sys32/vantrell_w32"
test_done
