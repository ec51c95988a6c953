#!/usr/bin/env bash
# The system query statements under Wine: a silent setup runs each query and
# writes its answer with "Write to Text File"; every answer's form is checked,
# and its value where Wine's answer is certain.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
data="$(scratch)"
mkdir -p "$data/folder"
printf 'plain text' >"$data/plain.txt"
out="$WINE_RUN_DIR/queries.txt"
rm -f "$out"
w_out="$(winpath "$out")"
w_data="$(winpath "$data")"
long="C:\\$(printf 'a%.0s' $(seq 1 300))\\x.dll"

# One statement line and one "Write to Text File" line per answer NAME.
{
  echo "@title Query Test"
  q() { local name="$1"; shift; echo "$*"; echo "Write to Text File|$w_out|$name=\$$name\$|FALSE"; }
  for n in $(seq 0 78); do q "S$n" "Get System Settings|S$n|$n"; done
  for n in $(seq 0 28); do
    q "FU$n" "Get Folder Location|FU$n|$n|FALSE"
    q "FC$n" "Get Folder Location|FC$n|$n|TRUE"
  done
  q OSNAME "Get OS or SP Level|OSNAME|TRUE"
  q OSSP "Get OS or SP Level|OSSP|FALSE"
  q DISKFREE 'Check Disk Space|$DISKFREE$|C:\|TRUE'
  q DISKTOTAL "Check Disk Space|disktotal|C:\\|FALSE"
  q DISKLONG "Check Disk Space|DISKLONG|$long|TRUE"
  q DISKDEV 'Check Disk Space|DISKDEV|\\.\NUL|TRUE'
  q EXFILE "Does File/Folder Exist|EXFILE|$w_data\\plain.txt|TRUE"
  q EXFILEASDIR "Does File/Folder Exist|EXFILEASDIR|$w_data\\plain.txt|FALSE"
  q EXDIR "Does File/Folder Exist|EXDIR|$w_data\\\\folder|FALSE"
  q EXDIRASFILE "Does File/Folder Exist|EXDIRASFILE|$w_data\\folder|TRUE"
  q EXMISSING "Does File/Folder Exist|EXMISSING|$w_data\\missing.txt|TRUE"
  q EXLONG "Does File/Folder Exist|EXLONG|$long|TRUE"
  q EXDEV 'Does File/Folder Exist|EXDEV|\\.\NUL|TRUE'
  q EXCON "Does File/Folder Exist|EXCON|$w_data\\nul.txt|TRUE"
  q VKERNEL 'Get File Version|$WINSYSDIR$kernel32.dll|vkernel'
  q VPLAIN "Get File Version|$w_data\\plain.txt|VPLAIN"
  q VMISSING "Get File Version|$w_data\\missing.dll|VMISSING"
  q VLONG "Get File Version|$long|VLONG"
  q VDEV 'Get File Version|\\.\NUL|VDEV'
  q VCON "Get File Version|CON|VCON"
  q CVLOW 'Check File Version|CVLOW|$WINSYSDIR$kernel32.dll|FALSE||0.0.0.1'
  q CVHIGH 'Check File Version|CVHIGH|$WINSYSDIR$kernel32.dll|FALSE||65535'
  q CVSELF 'Check File Version|CVSELF|$WINSYSDIR$kernel32.dll|TRUE|$WINSYSDIR$kernel32.dll|'
  q CVPLAIN "Check File Version|CVPLAIN|$w_data\\plain.txt|TRUE|$w_data\\missing.dll|"
  q CVOVER 'Check File Version|CVOVER|$WINSYSDIR$kernel32.dll|TRUE|'"$w_data"'\plain.txt|'
  q PSVC "Check Process|services.exe|PSVC"
  q PSVCUP "Check Process|SERVICES.EXE|PSVCUP"
  q PNONE "Check Process|no-such-program.exe|PNONE"
  q SVCNONE "Check Service|NoSuchService|\$EMPTY\$|SVCNONE"
  q SVCRPC "Check Service|RpcSs||SVCRPC"
} | sed '1a Get Folder Location|WINSYSDIR|23|FALSE' | make_script_setup "$dir" >/dev/null
robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s >/dev/null

value() { tr -d '\r' <"$out" | sed -n "s/^$1=//p" | head -1; }
# form "what" NAME REGEX
form() {
  local v
  v="$(value "$2")"
  [[ "$v" =~ $3 ]] && pass "$1: $2=[$v]" || fail "$1: $2=[$v] does not match $3"
}

[ -f "$out" ] || { fail "no answers written"; test_done; }
check "every answer written" "$(tr -d '\r' <"$out" | grep -c '=')" "$((79 + 58 + 30))"

win() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
windir="$(win windir)"
bool='^(TRUE|FALSE)$'
# Settings: the ones Wine answers for sure (a 64-bit prefix, an administrator
# user, a version of 6.0 or later), then the form of every other one.
expect=(S0=TRUE S1=TRUE S17=FALSE S18=TRUE S19=TRUE S20=TRUE S22=TRUE S23=TRUE S24=TRUE S25=TRUE S26=TRUE
  S69=TRUE S53=FALSE S54=FALSE S55=FALSE S56=FALSE S57=FALSE S58=FALSE S73=FALSE S63=ADMIN S70=FALSE S71=FALSE S74=TRUE S75=AMD64 S78=
  "S60=$(win USERNAME)" "S61=$(win COMPUTERNAME)")
skip_unless_32bit "setting S65" "WOW64" && expect+=(S65=TRUE)
for pair in "${expect[@]}"; do check "setting ${pair%%=*}" "$(value "${pair%%=*}")" "${pair#*=}"; done
for n in 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 21 27 28 29 30 31 32 37 38 39 40 41 42 43 44 45 46 47 48 49 50 51 52 \
  66 67 68 72 76 77; do
  form "setting $n" "S$n" "$bool"
done
form "setting 33 (language number)" S33 '^[1-9][0-9]*$'
form "setting 34 (language name)" S34 '^[^|]+$'
form "setting 64 (pixels per inch)" S64 '^(-1|[0-9]+)$'
for n in 34 35 36 59 62; do form "setting $n (text)" "S$n" '^[^|]*$'; done

# Folders.
check "folder 25 (Windows)" "$(value FU25)" "$windir\\"
skip_unless_32bit "folder 23 (32-bit system folder)" "SysWOW64" &&
  check "folder 23 (32-bit system folder)" "$(value FU23)" "$windir\\syswow64\\"
# The engine reads the folders in the registry view of its own bitness.
x86=""
[ "$ENGINE_BITS" = 32 ] && x86="(x86)"
check "folder 20 (program files, $ENGINE_BITS-bit view)" "$(value FU20)" "$(win "ProgramFiles$x86")\\"
check "folder 20 common (common files, $ENGINE_BITS-bit view)" "$(value FC20)" "$(win "CommonProgramFiles$x86")\\"
check "folder 17 (desktop)" "$(value FU17)" "$(win USERPROFILE)\\Desktop\\"
check "folder 19 (profile)" "$(value FU19)" "$(win USERPROFILE)\\"
check "folder 15 common (application data)" "$(value FC15)" "$(win ProgramData)\\"
check "folder 15 (application data)" "$(value FU15)" "$(win APPDATA)\\"
check "folder 28 (beyond the table)" "$(value FU28)" ""
for n in $(seq 0 27); do
  form "folder $n" "FU$n" '^(|.*\\)$'
  form "folder $n common" "FC$n" '^(|.*\\)$'
done

form "OS name" OSNAME '^(NT4|2000|XP|2003|2008|VISTA|UNKNOWN|95|98|98SE|ME)$'
form "service pack" OSSP '^([0-9]|10)$'

form "free disk space" DISKFREE '^[1-9][0-9]*$'
form "disk size" DISKTOTAL '^[1-9][0-9]*$'
[ "$(value DISKTOTAL)" -ge "$(value DISKFREE)" ] 2>/dev/null && pass "size >= free" || fail "size < free"
check "disk space of a too-long path" "$(value DISKLONG)" 0
form "disk space of a device" DISKDEV '^[0-9]+$'

check "file exists" "$(value EXFILE)" TRUE
check "file is no folder" "$(value EXFILEASDIR)" FALSE
check "folder exists" "$(value EXDIR)" TRUE
check "folder is no file" "$(value EXDIRASFILE)" FALSE
check "missing file" "$(value EXMISSING)" FALSE
check "too-long path" "$(value EXLONG)" FALSE
check "device path" "$(value EXDEV)" FALSE
check "device name" "$(value EXCON)" FALSE

form "version of kernel32.dll" VKERNEL '^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$'
[ "$(value VKERNEL)" != "0.0.0.0" ] && pass "kernel32.dll has a version" || fail "kernel32.dll without version"
for name in VPLAIN VMISSING VLONG VDEV VCON; do check "no version: $name" "$(value "$name")" 0.0.0.0; done
check "newer than 0.0.0.1" "$(value CVLOW)" TRUE
check "not newer than 65535" "$(value CVHIGH)" FALSE
check "not newer than itself" "$(value CVSELF)" FALSE
check "no version against a missing file" "$(value CVPLAIN)" FALSE
check "newer than a file without version" "$(value CVOVER)" TRUE

check "process services.exe" "$(value PSVC)" TRUE
check "process name in another case" "$(value PSVCUP)" TRUE
check "no such process" "$(value PNONE)" FALSE
check "no such service" "$(value SVCNONE)" NOTINSTALLED
form "RpcSs state" SVCRPC '^(STOPPED|STARTING|STOPPING|RUNNING|CONTINUE_PENDING|PAUSE_PENDING|PAUSED|NOTINSTALLED)$'
test_done
