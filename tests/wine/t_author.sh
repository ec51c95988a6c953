#!/usr/bin/env bash
# The authoring tool end to end: builds the example project into a setup
# folder, installs it silently under Wine through its package, removes it
# with the cached copy, and checks that dump followed by build gives back the
# same carried script and that a failing check builds nothing.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

if ! find_author; then
  fail "vantrell-author is not built (set AUTHOR or build the native preset)"
  test_done
fi
author() { "$AUTHOR" "$@" --engine "$DIST/engine.exe"; }

echo "-- build the example, install it, remove it through the cached copy"
dir="$(scratch)"
author build "$VANTRELL_ROOT/examples/author/example.vproj" "$dir/out" 2>"$dir/build.err"
check "example builds" "$?" 0
check "build is quiet" "$(cat "$dir/build.err")" ""
for f in setup.exe setup.res setup.msi zeb.lib; do
  [ -s "$dir/out/$f" ] && pass "setup folder has $f" || fail "setup folder lacks $f"
done
check "no temporary folder left" "$(find "$dir" -maxdepth 1 -name '.*part*' | wc -l)" 0
check "package code is the revision code" \
  "$(msiinfo suminfo "$dir/out/setup.msi" | sed -n 's/^Revision number (UUID): //p' | tr -d '\r')" \
  "{7F1A3C95-2E4D-4B68-8D0C-1A9E5F3B7C24}"

# The 32-bit package lands in the 32-bit registry view of the 64-bit prefix;
# its files go to the program files folder the engine sees.
program_files='Program Files (x86)'
[ "$ENGINE_BITS" = 64 ] && program_files='Program Files'
app="$WINEPREFIX/drive_c/$program_files/Vantrell Author Example"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantrell Author Example/Read Me.lnk"
product_key='HKLM\Software\Vantrell Examples\Author Example'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example'
reg_value() { wine reg query "$1" /v "$2" /reg:32 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }
installed_files() { (cd "$app" 2>/dev/null && find . -type f | sort | tr '\n' ' '); }

out="$(robot run --timeout 180000 -- "$(winpath "$dir/out/setup.exe")" /s "/l=$(winpath "$dir/t.log")")"
check "install: exit code 0" "$(robot_value exit <<<"$out")" 0
check "install: no window" "$(robot_value windows <<<"$out")" 0
check "install: the files, the chosen help component with its sub-folder" "$(installed_files)" \
  "./Help/en/guide.txt ./hello.cmd ./readme.txt "
check "install: file content" "$(head -1 "$app/readme.txt" 2>/dev/null)" "Vantrell Author Example"
check "install: registry value where the variables point" "$(reg_value "$product_key" InstallDir)" \
  "C:\\$program_files\\Vantrell Author Example\\"
[ -f "$shortcut" ] && pass "install: shortcut in the programs menu" || fail "install: no shortcut at $shortcut"
uninstall="$(reg_value "$uninstall_key" UninstallString)"
[ -z "$uninstall" ] && uninstall="$(wine reg query "$uninstall_key" /v UninstallString 2>/dev/null |
  tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p')"
[[ "$uninstall" == \"*'\setup.exe" REMOVE=TRUE MODIFY=FALSE' ]] && pass "install: registered ($uninstall)" ||
  fail "install: UninstallString [$uninstall]"

cached="${uninstall#\"}"
cached="${cached%%\"*}"
cache_unix="$(dirname "$(winepath -u "$cached" 2>/dev/null)")"
[ -f "$dir/out/data/{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}" ] && pass "the setup's data folder holds the source marker" ||
  fail "the setup's data folder lacks the source marker"

echo "-- maintenance from the engine cache: modify and repair, silently and through the sources question"
arp_value() { # the value under the product's own uninstall entry, in whichever view the engine wrote it
  local v
  v="$(reg_value "$uninstall_key" "$1")"
  [ -n "$v" ] || v="$(wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p")"
  printf '%s' "$v"
}
modify_path="$(arp_value ModifyPath)"
check "ModifyPath is the cached engine" "$modify_path" "$cached"
# The original setup folder, where the folder browser can show it.
rm -rf "$WINEPREFIX/drive_c/vantrell setup sources"
cp -r "$dir/out" "$WINEPREFIX/drive_c/vantrell setup sources"
sources='C:\vantrell setup sources'
# removed_help WHAT : Windows Installer removes a component whose condition
# turned false on reinstall (it is transitive); Wine's installer leaves it.
help_kept=""
removed_help() {
  if [ -e "$app/Help/en/guide.txt" ]; then
    echo "  note  $1: Wine's installer keeps the unticked component (no transitive removal)"
    help_kept="./Help/en/guide.txt "
  else
    pass "$1: the unticked component is removed"
    help_kept=""
  fi
  check "$1: the rest stays" "$(installed_files)" "$help_kept./hello.cmd ./readme.txt "
}
maintain() { # maintain ARGS... : exit code of the cached setup started as ModifyPath with ARGS
  robot_value exit <<<"$(robot run --timeout 180000 -- "$modify_path" "$@")"
}
check "silent modify without sources gives up (exit 1)" "$(maintain /s WITHHELP=FALSE)" 1
check "silent modify without sources changes nothing" "$(installed_files)" \
  "./Help/en/guide.txt ./hello.cmd ./readme.txt "
check "silent modify, sources from /p=: exit 0" "$(maintain /s WITHHELP=FALSE "/p=$sources")" 0
removed_help "silent modify"
switched_on() { # the number of statement parts the cached property list switches on
  tr -d '\r' <"$cache_unix/setup.par" 2>/dev/null | awk 'NR % 2 == 1 { name = $0; next }
    name ~ /^A[0-9A-F]+$/ { last[name] = $0 } END { n = 0; for (k in last) if (last[k] == "TRUE") n++; print n }'
}
parts_without_help="$(switched_on)"
check "silent modify, ticked again: exit 0" "$(maintain /s WITHHELP=TRUE "/p=$sources")" 0
check "silent modify: the ticked component is back" "$(installed_files)" \
  "./Help/en/guide.txt ./hello.cmd ./readme.txt "
check "silent modify: the help statement is off without the component, on with it" \
  "$(switched_on)" "$((parts_without_help + 1))"
rm -f "$app/readme.txt"
check "silent repair: exit 0" "$(maintain /s "/p=$sources")" 0
check "silent repair: the deleted file is back" "$(head -1 "$app/readme.txt" 2>/dev/null)" "Vantrell Author Example"

# Interactive: the cached copy shows its maintenance page (Modify is chosen
# at first; Modify goes through the components page). No /p=, so the engine
# asks for the sources; the robot picks the setup folder (its data\
# sub-folder holds the marker), and the finish page ends the run.
wizard_page() { # wizard_page [NOT-HWND] : the page on screen, other than NOT-HWND
  local w i
  for i in $(seq 1 120); do
    w="$(robot wait --timeout 60000 --title-contains " - Vantrell Wizard" --class VantrellFormContainer | robot_value hwnd)"
    [ -n "$w" ] && [ "$w" != "${1:-}" ] && { echo "$w"; return 0; }
    sleep 0.5
  done
  return 1
}
interactive() { # interactive modify|repair ARGS... : goes through the pages, prints the exit code
  local choice="$1" run w
  shift
  run="$(scratch)"
  robot_bg_run "$run/r.log" --timeout 180000 -- "$modify_path" "$@"
  w="$(wizard_page)"
  if [ "$choice" = repair ]; then
    robot click --hwnd "$w" --button "Repair: install the files and settings again" --no-wait >/dev/null
    sleep 0.5
  fi
  robot key --hwnd "$w" --keys ALT+N >/dev/null
  if [ "$choice" = modify ]; then
    w="$(wizard_page "$w")"
    robot key --hwnd "$w" --keys ALT+N >/dev/null
  fi
  if robot wait --timeout 60000 --title "Browse for Folder" >/dev/null; then
    robot dump --title "Browse for Folder" >"$WINE_RUN_DIR/sources-dump.txt"
    robot browse-to --title "Browse for Folder" --path "$sources" >/dev/null
    screenshot sources-question --title "Browse for Folder" >/dev/null
    robot click --title "Browse for Folder" --button OK >/dev/null
  fi
  w="$(robot progress --title-contains " - Vantrell Wizard" --class VantrellFormContainer --until Finish |
    robot_value until)"
  [ -n "$w" ] && robot key --hwnd "$w" --keys RETURN >/dev/null
  robot_value exit <<<"$(robot_bg_wait "$run/r.log" 200)"
}
check "interactive modify: exit 0" "$(interactive modify WITHHELP=FALSE)" 0
grep -qx 'static=Please locate your original setup sources to continue operation' "$WINE_RUN_DIR/sources-dump.txt" &&
  pass "interactive modify: the question's text" || fail "interactive modify: no question with the locate-sources text"
removed_help "interactive modify"
rm -f "$app/hello.cmd"
check "interactive repair: exit 0" "$(interactive repair)" 0
check "interactive repair: the deleted file is back, the choice kept" "$(installed_files)" \
  "$help_kept./hello.cmd ./readme.txt "
check "after maintenance: still registered" "$(arp_value ModifyPath)" "$cached"
for f in setup.exe setup.msi setup.res zeb.lib setup.dat setup.par instance.dat; do
  [ -f "$cache_unix/$f" ] && pass "after maintenance: the engine cache holds $f" || fail "after maintenance: the engine cache lacks $f"
done
rm -rf "$WINEPREFIX/drive_c/vantrell setup sources"

out="$(robot run --timeout 180000 -- "$cached" /s REMOVE=TRUE MODIFY=FALSE)"
check "remove: exit code 0" "$(robot_value exit <<<"$out")" 0
if [ -n "$help_kept" ] && [ "$(installed_files)" = "$help_kept" ]; then
  # Wine's installer dropped the unticked component from the product without
  # removing its files, so the removal does not know them.
  echo "  note  remove: Wine's installer leaves the files of the component it kept"
  rm -rf "$app"
fi
check "remove: the files are gone" "$(installed_files)" ""
[ -d "$app" ] && fail "remove: the application folder stays" || pass "remove: the application folder is gone"
check "remove: the registry value is gone" "$(reg_value "$product_key" InstallDir)" ""
[ -f "$shortcut" ] && fail "remove: the shortcut stays" || pass "remove: the shortcut is gone"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "remove: still registered" || pass "remove: unregistered"

echo "-- folders, file removal and copies, INI values, environment and number values"
proj="$dir/more"
mkdir -p "$proj/support"
echo support >"$proj/support/readme.txt"
cat >"$proj/more.vproj" <<'P'
title = Vantrell Author Test
product-code = {61C0A7E2-3B5D-4F18-9C2A-7E4D1B0F8A36}
revision-code = {0E9B4C71-58A2-4D36-B1F0-2C7A9E6D3B58}
package = more.wxs
support = support
script = more.vscript
# The test passes WORK on the setup's command line.
input-variable = WORK
P
cat >"$proj/more.wxs" <<'W'
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{61C0A7E2-3B5D-4F18-9C2A-7E4D1B0F8A36}" Name="Vantrell Author Test" Language="1033"
           Version="1.0.0" Manufacturer="Vantrell Tests" UpgradeCode="{3A7E1C95-0B2D-4E68-9F4A-6C1D8B2E7F05}">
    <Package InstallerVersion="200" Compressed="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir" />
  </Product>
</Wix>
W
cat >"$proj/more.vscript" <<'V'
If
  > REMOVE
  > 0
  > TRUE
  > TRUE
Apply Changes
  > progress
  > RESULT
  > FALSE
  > TRUE
Else
Create Folder
  > $WORK$\made
# Wine's installer deletes a RemoveFile row's name literally (no masks).
Delete Files
  > $WORK$\old
  > a.tmp
  > TRUE
  > FALSE
Copy/Move Local Files
  > $WORK$\from
  > *.cfg
  > $WORK$\to
  >
  > FALSE
Edit INI File
  > $WORK$
  > app.ini
  > 0
  > Main
  > Home
  > $WORK$
Set Environment
  > VANTRELL_AUTHOR_TEST
  > $WORK$\bin
  > FALSE
  > 0
Write Registry
  > 1
  > 1
  > Software\Vantrell Author Test
  > Count
  > 42
  > FALSE
  > FALSE
Apply Changes
  > progress
  > RESULT
  > TRUE
  > FALSE
End
If
  > RESULT
  > 0
  > COMPLETE
  > TRUE
Terminate with Exit Code
  > 0
End
Terminate with Exit Code
  > 1
V
author build "$proj/more.vproj" "$proj/out" 2>"$proj/build.err"
check "second project builds" "$?" 0
check "second project: no warning" "$(cat "$proj/build.err")" ""
work="$proj/work"
mkdir -p "$work/old/keep" "$work/from"
echo t >"$work/old/a.tmp"; echo k >"$work/old/b.txt"; echo c >"$work/from/app.cfg"
out="$(robot run --timeout 180000 -- "$(winpath "$proj/out/setup.exe")" /s "WORK=$(winpath "$work")")"
check "second project: installed" "$(robot_value exit <<<"$out")" 0
[ -d "$work/made" ] && pass "Create Folder: made" || fail "Create Folder: no folder"
[ ! -e "$work/old/a.tmp" ] && [ -e "$work/old/b.txt" ] && pass "Delete Files: the file deleted, others kept" ||
  fail "Delete Files: $(ls "$work/old" | tr '\n' ' ')"
check "Copy/Move Local Files: copied" "$(cat "$work/to/app.cfg" 2>/dev/null)" c
[ -e "$work/from/app.cfg" ] && pass "Copy/Move Local Files: the source stays" || fail "copy removed its source"
check "Edit INI File: the value" "$(tr -d '\r' <"$work/app.ini" 2>/dev/null | tr '\n' ' ')" \
  "[Main] Home=$(winpath "$work") "
check "Set Environment: the user's variable" \
  "$(wine reg query 'HKCU\Environment' /v VANTRELL_AUTHOR_TEST 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *VANTRELL_AUTHOR_TEST *REG_[A-Z_]* *//p')" "$(winpath "$work")\bin"
check "Write Registry: a number" \
  "$(wine reg query 'HKCU\Software\Vantrell Author Test' /v Count 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Count *REG_DWORD *//p')" 0x2a
cached="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Test' \
  /v UninstallString "/reg:$ENGINE_BITS" 2>/dev/null | tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *"\([^"]*\)".*/\1/p')"
out="$(robot run --timeout 180000 -- "$cached" /s REMOVE=TRUE MODIFY=FALSE)"
check "second project: removed" "$(robot_value exit <<<"$out")" 0
[ -d "$work/made" ] && fail "removal left the created folder" || pass "removal: the created folder is gone"
wine reg query 'HKCU\Environment' /v VANTRELL_AUTHOR_TEST >/dev/null 2>&1 &&
  fail "removal left the environment variable" || pass "removal: the environment variable is gone"
wine reg query 'HKCU\Software\Vantrell Author Test' /v Count >/dev/null 2>&1 &&
  fail "removal left the number value" || pass "removal: the number value is gone"

echo "-- dump, then build again"
"$AUTHOR" dump "$dir/out/setup.exe" "$dir/dump" 2>"$dir/dump.err"
check "dump succeeds" "$?" 0
check "dump is exact (no warning)" "$(cat "$dir/dump.err")" ""
grep -q '^  > \$$' "$dir/dump/main.vscript" && pass "dump shows the whole-line dollar as \$" ||
  fail "dump lacks the whole-line dollar"
check "dump keeps the project's file names" "$(cd "$dir/dump" && ls *.vproj *.vscript | tr '\n' ' ')" \
  "example.vproj main.vscript "
# The texts come back as written: only the package digests are added below
# the install-type statements, and the entries naming what the dump wrote.
check "dump gives back the script with its comments" \
  "$(grep -v '^  @package-digest ' "$dir/dump/main.vscript" | cmp - "$VANTRELL_ROOT/examples/author/main.vscript" && echo same)" same
check "a package digest below each kept install-type statement" \
  "$(grep -c '^  @package-digest [0-9A-F]\{16\}$' "$dir/dump/main.vscript")" 4
grep -q '^# The package is made from the lines above' "$dir/dump/example.vproj" &&
  pass "dump gives back the project file's comments" || fail "dump lost the project file's comments"
author build "$dir/dump/example.vproj" "$dir/again"
check "the dump builds" "$?" 0
cmp -s "$dir/out/setup.exe" "$dir/again/setup.exe" && pass "dump then build: same carried script, byte for byte" ||
  fail "dump then build changed the carried script"

echo "-- an edited install-type statement against the kept package"
line="$(grep -n '^Write Registry$' "$dir/dump/main.vscript" | cut -d: -f1)"
sed -i 's|^  > InstallDir$|  > Folder|' "$dir/dump/main.vscript"
author build "$dir/dump/example.vproj" "$dir/edited" 2>"$dir/edited.err"
check "the edited dump builds" "$?" 0
check "the build warns that the kept package wins" \
  "$(sed -n 's/ (@package-digest).*//p' "$dir/edited.err")" \
  "$dir/dump/main.vscript:$line: warning: \"Write Registry\" was edited after the dump"

echo "-- a setup without the project's texts dumps from its script"
mkdir -p "$dir/alone"
cp "$dir/out/setup.exe" "$dir/out/setup.msi" "$dir/alone/"
"$AUTHOR" dump "$dir/alone/setup.exe" "$dir/alone/dump" 2>"$dir/alone.err"
check "dump without texts succeeds" "$?" 0
check "dump without texts says so in one line" "$(cat "$dir/alone.err")" \
  "$dir/alone/setup.exe: note: the setup carries no project texts (an older setup, or one without support files); the dump is made from the script, without comments"
author build "$dir/alone/dump/setup.vproj" "$dir/alone/again" 2>/dev/null
cmp -s "$dir/out/setup.exe" "$dir/alone/again/setup.exe" && pass "dump without texts then build: same carried script" ||
  fail "dump without texts then build changed the carried script"

echo "-- the Windows build of the tool reads the same script"
if [ -f "$DIST/vantrell-author.exe" ]; then
  # The setup alone: both read the carried script, without the support archive.
  "$AUTHOR" dump "$dir/alone/setup.exe" >"$dir/native.txt" 2>/dev/null
  wine "$DIST/vantrell-author.exe" dump "$(winpath "$dir/alone/setup.exe")" 2>/dev/null | tr -d '\r' >"$dir/win32.txt"
  cmp -s "$dir/native.txt" "$dir/win32.txt" && pass "win32 dump equals the native dump" ||
    fail "win32 dump differs: $(diff "$dir/native.txt" "$dir/win32.txt" | head -5)"
else
  echo "  skip $DIST/vantrell-author.exe not built"
fi

echo "-- rebuilding into an existing folder replaces only the tool's files"
echo keep >"$dir/out/notes.txt"
mkdir -p "$dir/out/data" && echo stale >"$dir/out/data/old.txt"
author build "$VANTRELL_ROOT/examples/author/example.vproj" "$dir/out"
check "rebuild succeeds" "$?" 0
check "a foreign file stays" "$(cat "$dir/out/notes.txt" 2>/dev/null)" keep
[ -e "$dir/out/data/old.txt" ] && fail "a stale data folder stays" || pass "a stale data folder goes"
check "the new data folder holds the source marker only" "$(ls "$dir/out/data" 2>/dev/null)" \
  "{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}"
cmp -s "$dir/out/setup.exe" "$dir/again/setup.exe" && pass "rebuild gives the same setup.exe" ||
  fail "rebuild changed setup.exe"

echo "-- a relative output folder, a script file with a byte order mark"
mkdir -p "$dir/rel"
cp -r "$VANTRELL_ROOT/examples/author/." "$dir/rel/project"
{ printf '\xef\xbb\xbf'; cat "$VANTRELL_ROOT/examples/author/main.vscript"; } >"$dir/rel/project/main.vscript"
(cd "$dir/rel" && author build project/example.vproj out 2>"$dir/rel/build.err")
check "relative output folder: builds" "$?" 0
check "relative output folder: quiet" "$(cat "$dir/rel/build.err")" ""
cmp -s "$dir/out/setup.exe" "$dir/rel/out/setup.exe" && pass "relative output folder: the same setup.exe" ||
  fail "relative output folder: setup.exe differs"
check "relative output folder: the files' cabinet" \
  "$(msiinfo streams "$dir/rel/out/setup.msi" | grep -c '^vantrell1.cab$')" 1

echo "-- a failing check builds nothing"
mkdir -p "$dir/bad"
cp "$VANTRELL_ROOT/examples/author/example.vproj" "$dir/bad/p.vproj"
sed -i 's|^package = .*||; s|^support = .*||' "$dir/bad/p.vproj"
printf 'Comment\n  > first\nIf\n  > UNDEFINED_NAME\n  > 0\n  > x\n  > TRUE\nEnd\n' >"$dir/bad/main.vscript"
msg="$(author build "$dir/bad/p.vproj" "$dir/bad-out" 2>&1)"
check "failing check: exit code 1" "$?" 1
first="$(head -1 <<<"$msg")"
check "failing check: file, parameter line, name and message" "${first%% (no statement*}" \
  "$dir/bad/main.vscript:4: error: \"If\" parameter 1 (variable): variable not defined: UNDEFINED_NAME"
check "failing check: summary" "$(tail -1 <<<"$msg")" \
  "vantrell-author: 1 error; nothing was built"
[ -e "$dir/bad-out" ] && fail "failing check left an output folder" || pass "failing check left no output"

test_done
