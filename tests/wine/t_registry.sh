#!/usr/bin/env bash
# "Read Registry", "Check Registry" and "Delete Registry" under Wine: values of
# every type written with reg into both views of the 64-bit prefix, read,
# checked and deleted by a silent setup, the results compared afterwards.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

base='Software\VantrellRegistryTest'
hklm="HKLM\\$base"
reg_add() { wine reg add "$@" /f >/dev/null 2>&1 || fail "reg add $*"; }
# reg_has VIEW KEY [VALUE] : true when reg finds the key (or its value) in the view.
reg_has() {
  if [ $# -ge 3 ]; then wine reg query "$2" /v "$3" "/reg:$1" >/dev/null 2>&1
  else wine reg query "$2" "/reg:$1" >/dev/null 2>&1; fi
}

wine reg delete "$hklm" /f /reg:32 >/dev/null 2>&1
wine reg delete "$hklm" /f /reg:64 >/dev/null 2>&1
wine reg delete "HKCU\\$base" /f >/dev/null 2>&1
for view in 32 64; do
  reg_add "$hklm" /v Side /d "view $view" "/reg:$view"
  reg_add "$hklm\\Tree\\A\\Deep" /v x /t REG_DWORD /d 1 "/reg:$view"
  reg_add "$hklm\\Tree\\B" /ve /d b "/reg:$view"
  reg_add "$hklm\\Leaf" /v x /d leaf "/reg:$view"
  reg_add "$hklm" /v Gone /d x "/reg:$view"
done
# The engine's Win32 mode reads the view of its own bitness: the values go there.
own="$ENGINE_BITS"
reg_add "$hklm" /v Str /d 'some text' "/reg:$own"
reg_add "$hklm" /v Exp /t REG_EXPAND_SZ /d '%SystemRoot%\sub' "/reg:$own"
reg_add "$hklm" /v Neg /t REG_DWORD /d 0xffffffff "/reg:$own"
reg_add "$hklm" /v Num /t REG_DWORD /d 42 "/reg:$own"
reg_add "$hklm" /v Bin /t REG_BINARY /d 0102ff "/reg:$own"
reg_add "$hklm" /v Multi /t REG_MULTI_SZ /d 'a\0b' "/reg:$own"
reg_add "$hklm" /v Quad /t REG_QWORD /d 5 "/reg:$own"
reg_add "$hklm" /ve /d 'default 32' "/reg:$own"
reg_add "$hklm\\Empty" /v other /d x "/reg:$own"
reg_add "$hklm" /v Only64 /t REG_DWORD /d 0xffffffff /reg:64
reg_add "HKCU\\$base" /v User /d 'for the user'

out="$WINE_RUN_DIR/registry.txt"
rm -f "$out"
w="$(winpath "$out")"
dir="$(scratch)"
{
  # name|command|root|key|value : a result written as name=result.
  while IFS='|' read -r name command root key value; do
    echo "$command|$name|$root|$key|$value"
    echo "Write to Text File|$w|$name=\$$name\$|FALSE"
  done <<LIST
C_STR|Check Registry|2|$base|Str
C_EXP|Check Registry|2|\\$base|Exp
C_NEG|Check Registry|2|$base|Neg
R_NEG|Read Registry|2|$base|Neg
C_NUM|Check Registry|\$ROOT\$|\$KEY\$|Num
C_BIN|Check Registry|2|$base|Bin
R_BIN|Read Registry|2|$base|Bin
C_MULTI|Check Registry|2|$base|Multi
R_MULTI|Read Registry|2|$base|Multi
C_QUAD|Check Registry|2|$base|Quad
C_DEFAULT|Check Registry|2|$base|
C_NOVALUE|Check Registry|2|$base|Missing
R_NOVALUE|Read Registry|2|$base|Missing
C_NODEFAULT|Check Registry|2|$base\\Empty|
C_NOKEY|Check Registry|2|$base\\Missing|Str
R_NOKEY|Read Registry|2|$base\\Missing|Str
C_USER|Check Registry|1|$base|User
C_SIDE32|Check Registry|2|$base|Side
C_ONLY64_IN32|Check Registry|2|$base|Only64
LIST
  echo "Set 64 Bit Mode|FALSE|FALSE|TRUE"
  while IFS='|' read -r name command root key value; do
    echo "$command|$name|$root|$key|$value"
    echo "Write to Text File|$w|$name=\$$name\$|FALSE"
  done <<LIST
C_SIDE64|Check Registry|2|$base|Side
R_ONLY64|Read Registry|2|$base|Only64
C_STR64|Check Registry|2|$base|Str
LIST
  # The 64-bit view: a key with sub-keys stays, a leaf goes, a value goes.
  echo "Delete Registry|2|$base\\Tree||TRUE"
  echo "Delete Registry|2|$base\\Leaf||TRUE"
  echo "Delete Registry|2|$base|Gone|FALSE"
  echo "Set 64 Bit Mode|TRUE|FALSE|FALSE"
  # The 32-bit view: the whole tree goes, and a value; missing ones are no error.
  echo "Delete Registry|2|$base\\Tree||TRUE"
  echo "Delete Registry|2|$base|Num|FALSE"
  echo "Delete Registry|2|$base\\Missing||TRUE"
  echo "Delete Registry|2|$base|Missing|FALSE"
  echo "Check Registry|C_TREE32|2|$base\\Tree|"
  echo "Write to Text File|$w|C_TREE32=\$C_TREE32\$|FALSE"
  echo "Write to Text File|$w|BEFORE=reached|FALSE"
  # A root key line that is no number ends the silent run there.
  echo "Check Registry|C_BAD|HKLM|$base|Str"
  echo "Write to Text File|$w|AFTER=reached|FALSE"
} >"$dir/statements.txt"
# $ROOT$ and $KEY$ come from variables set first.
{ echo "Set Variable|ROOT|2"; echo "Set Variable|KEY|$base"; cat "$dir/statements.txt"; } | make_script_setup "$dir"
robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s >/dev/null
wineserver -w

value() { tr -d '\r' <"$out" | sed -n "s/^$1=//p" | head -1; }
expect=(
  "C_STR=some text" "C_EXP=%SystemRoot%\\sub" "C_NEG=-1" "R_NEG=-1" "C_NUM=42" "C_BIN=BINARY\$VALUE" "R_BIN="
  "C_MULTI=UNKNOWN\$TYPE" "R_MULTI=" "C_QUAD=UNKNOWN\$TYPE" "C_DEFAULT=default 32" "C_NOVALUE=NO\$VALUE"
  "R_NOVALUE=" "C_NODEFAULT=NO\$VALUE" "C_NOKEY=NO\$KEY" "R_NOKEY=" "C_USER=for the user" "C_SIDE32=view 32"
  "C_ONLY64_IN32=NO\$VALUE" "C_SIDE64=view 64" "R_ONLY64=-1" "C_STR64=NO\$VALUE" "C_TREE32=NO\$KEY"
  "BEFORE=reached"
)
for pair in "${expect[@]}"; do
  name="${pair%%=*}"
  case "$name" in
    C_SIDE32 | C_ONLY64_IN32 | C_STR64) skip_unless_32bit "$name" "the 32-bit registry view" || continue ;;
  esac
  if tr -d '\r' <"$out" 2>/dev/null | grep -q "^$name="; then
    check "$name" "$(value "$name")" "${pair#*=}"
  else
    fail "$name not written"
  fi
done
tr -d '\r' <"$out" 2>/dev/null | grep -q '^AFTER=' && fail "the run went on after a bad root key line" ||
  pass "a bad root key line ends the silent run"

# What the deletions left in each view.
# With the 64-bit engine both modes act on the 64-bit view, so the Win32
# mode's deletions are seen there and nothing is left to keep apart.
if skip_unless_32bit "64-bit view: key with sub-keys stays" "the 32-bit registry view"; then
  reg_has 64 "$hklm\\Tree\\A\\Deep" && pass "64-bit view: key with sub-keys stays" || fail "64-bit view: Tree removed"
fi
reg_has 64 "$hklm\\Leaf" && fail "64-bit view: Leaf still there" || pass "64-bit view: leaf key deleted"
reg_has 64 "$hklm" Gone && fail "64-bit view: value Gone still there" || pass "64-bit view: value deleted"
reg_has "$own" "$hklm\\Tree" && fail "$own-bit view: Tree still there" || pass "$own-bit view: whole tree deleted"
if skip_unless_32bit "32-bit view: its Leaf untouched by the 64-bit deletion" "the 32-bit registry view"; then
  reg_has 32 "$hklm\\Leaf" && pass "32-bit view: its Leaf untouched by the 64-bit deletion" || fail "32-bit view: Leaf gone"
fi
if skip_unless_32bit "32-bit view: its value Gone untouched" "the 32-bit registry view"; then
  reg_has 32 "$hklm" Gone && pass "32-bit view: its value Gone untouched" || fail "32-bit view: Gone deleted"
fi
reg_has "$own" "$hklm" Num && fail "$own-bit view: value Num still there" || pass "$own-bit view: value deleted"
reg_has "$own" "$hklm" Str && pass "$own-bit view: other values stay" || fail "$own-bit view: Str gone"

wine reg delete "$hklm" /f /reg:32 >/dev/null 2>&1
wine reg delete "$hklm" /f /reg:64 >/dev/null 2>&1
wine reg delete "HKCU\\$base" /f >/dev/null 2>&1
test_done
