#!/usr/bin/env bash
# Start-up of the real engine under Wine: a complete run with its trace log,
# each start-up exit code with its message box owned by the preparing window
# (or no window when silent),
# the support folder's numbering and removal, and the engine's import table.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

sample="$VANTRELL_ROOT/examples/sample"
package="$WINE_RUN_DIR/startup-sample.msi"
[ -f "$package" ] || (cd "$sample" && wixl -o "$package" product.wxs)
temp_unix="$(wine_temp_dir)"

# make_case DIR [package] : a setup folder built from the sample.
make_case() {
  bash "$VANTRELL_ROOT/tools/make_setup.sh" "$1" "$sample/script.txt" "$sample/support" "${2:-$package}"
}

trace_text() { iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r'; }
support_folders() { (cd "$temp_unix" && ls -d zeb[0-9]* 2>/dev/null | sort) || true; }

# run_silent DIR ARGS... : runs DIR/setup.exe through the robot; prints its output.
run_silent() {
  local dir="$1"
  shift
  robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" "$@"
}

echo "-- complete run, trace log"
full_trace="<Vantrell>
  <SetupSplash>
    <StubSize>
    </StubSize>
    <StubData>
    </StubData>
    <GlobalLists>
    </GlobalLists>
    <SupportDir>
    </SupportDir>
    <ExtractArchive>
    </ExtractArchive>
    <ExtractResource>
    </ExtractResource>
    <ResourcePath>
    </ResourcePath>
    <Dialogs>
    </Dialogs>
  </SetupSplash>
  <RunScript>
    <Variables>
    </Variables>
    <CompileScript>
    </CompileScript>
    <BootStrap>
    </BootStrap>
    <veld>
    </veld>
    <ExitScript>
    </ExitScript>
  </RunScript>
  <Free>
  </Free>
  <CachedSupportDir>
  </CachedSupportDir>
</Vantrell>"
for mode in silent window; do
  dir="$(scratch)"
  make_case "$dir"
  log="$dir/Trace Log.TXT"
  printf 'stale contents that must go' >"$log"
  before="$(support_folders)"
  args=("/L=$(winpath "$log")")
  [ "$mode" = silent ] && args+=(/s)
  if [ "$mode" = silent ]; then
    out="$(run_silent "$dir" "${args[@]}")"
    check "$mode: no window" "$(robot_value windows <<<"$out")" 0
  else
    # The sample's welcome page is the one window; Next ends the script.
    robot_bg_run "$dir/robot.log" --timeout 60000 -- "$(winpath "$dir/setup.exe")" "${args[@]}"
    page="$(robot wait --timeout 30000 --title-contains " - Vantrell Wizard" | robot_value title)"
    check "$mode: the welcome page, its caption with the suffix" "$page" "Vantrell Sample Setup - Vantrell Wizard"
    screenshot startup-welcome --title-contains " - Vantrell Wizard" >/dev/null
    robot click --title-contains " - Vantrell Wizard" --button "Next >" >/dev/null
    out="$(robot_bg_wait "$dir/robot.log" 60)"
    # Besides the page only the preparing window may have been seen (it can
    # come and go between two looks of the robot).
    check "$mode: the page, besides the preparing window" \
      "$(robot_value window <<<"$out" | grep -vxF "Vantrell Wizard")" "Vantrell Sample Setup - Vantrell Wizard"
  fi
  check "$mode: exit code" "$(robot_value exit <<<"$out")" 0
  check "$mode: trace lines" "$(trace_text "$log")" "$full_trace"
  lines=$(printf '%s\n' "$full_trace" | wc -l)
  text_chars=$(($(printf '%s\n' "$full_trace" | wc -c) + lines))  # CR LF per line
  check "$mode: UTF-16 size, no byte-order mark" "$(stat -c %s "$log")" $((2 * text_chars))
  check "$mode: first bytes" "$(head -c 4 "$log" | od -An -tx1 | tr -d ' ')" "3c005600"
  check "$mode: support folders unchanged" "$(support_folders)" "$before"
  [ -e "$temp_unix/zeb.tmp" ] && fail "$mode: zeb.tmp left behind" || pass "$mode: zeb.tmp removed"
done

echo "-- start-up failures"
# case name | how the folder is damaged | exit code | message | last trace line
cases=(
  "no script|cp \"\$DIST/engine.exe\" \"\$dir/setup.exe\"|13|For internal use only|    <StubSize>"
  "no support archive|rm \"\$dir/setup.res\"|14|Setup resource not found|    <ExtractArchive>"
  "damaged support archive|head -c 100 \"\$dir/setup.res\" >\"\$dir/x\"; mv \"\$dir/x\" \"\$dir/setup.res\"|15|Setup resource decompression failure|    <ExtractArchive>"
  "no package|rm \"\$dir/setup.msi\"|16|Setup database not found|    <ExtractResource>"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name damage code message last <<<"$row"
  for mode in silent window; do
    dir="$(scratch)"
    make_case "$dir"
    eval "$damage"
    log="$dir/t.log"
    before="$(support_folders)"
    if [ "$mode" = silent ]; then
      out="$(run_silent "$dir" -QN "/l=$(winpath "$log")")"
      check "$name, silent: exit code" "$(robot_value exit <<<"$out")" "$code"
      check "$name, silent: no window" "$(robot_value windows <<<"$out")" 0
    else
      robot_bg_run "$dir/robot.out" --timeout 60000 -- "$(winpath "$dir/setup.exe")" "/l=$(winpath "$log")"
      box="$(robot dump --timeout 30000 --title "Vantrell Wizard" --class '#32770')"
      check "$name: message" "$(robot_value static <<<"$box" | tail -1)" "$message"
      check "$name: icon" "$(robot_value icon <<<"$box")" error
      owner="$(robot_value owner <<<"$box")"
      [ "$owner" != 0x00000000 ] && owner="$(robot dump --timeout 2000 --hwnd "$owner" 2>/dev/null)"
      check "$name: owned by the preparing window, still up" \
        "$(robot_value class <<<"$owner")/$(robot_value title <<<"$owner")" "VantrellFormContainer/Vantrell Wizard"
      check "$name: button" "$(robot_value button <<<"$box")" OK
      [ "$code" = 14 ] && screenshot "startup-exit-$code" --title "Vantrell Wizard" --class '#32770' >/dev/null
      robot click --title "Vantrell Wizard" --class '#32770' --button OK >/dev/null
      out="$(robot_bg_wait "$dir/robot.out" 60)"
      check "$name: exit code after OK" "$(robot_value exit <<<"$out")" "$code"
    fi
    check "$name, $mode: trace ends at the failing step" "$(trace_text "$log" | tail -1)" "$last"
    after="$(support_folders)"
    if [ "$code" = 13 ]; then
      check "$name, $mode: no support folder made" "$after" "$before"
    else
      [ "$(echo "$after" | wc -w)" -eq $(($(echo "$before" | wc -w) + 1)) ] &&
        pass "$name, $mode: support folder left behind" || fail "$name, $mode: support folder not left"
    fi
  done
done

echo "-- support folder numbering"
# Occupy the first two free numbers; a run that stops with 14 shows which it took.
n=1
while [ -e "$temp_unix/zeb$n" ]; do n=$((n + 1)); done
mkdir -p "$temp_unix/zeb$n" "$temp_unix/zeb$((n + 1))"
dir="$(scratch)"
make_case "$dir"
rm "$dir/setup.res"
run_silent "$dir" /s >/dev/null
[ -d "$temp_unix/zeb$((n + 2))" ] && pass "took zeb$((n + 2))" || fail "did not take zeb$((n + 2))"
rmdir "$temp_unix/zeb$((n + 2))" 2>/dev/null

echo "-- a patch without a package passes"
dir="$(scratch)"
make_case "$dir"
mv "$dir/setup.msi" "$dir/setup.msp"
out="$(run_silent "$dir" /s)"
check "patch only: exit code" "$(robot_value exit <<<"$out")" 0

echo "-- the engine image"
objdump_out="$(i686-w64-mingw32-objdump -p "$DIST/engine.exe")"
dlls="$(grep 'DLL Name' <<<"$objdump_out" | awk '{print tolower($3)}' | sort | tr '\n' ' ')"
# Only libraries the loader takes from the system folder (comctl32.dll from
# the side-by-side store that the manifest names), and our own archive library.
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll zeb.lib "
bad=""
for d in $dlls; do [[ "$allowed" == *" $d "* ]] || bad+="$d "; done
check "engine imports only known system libraries and zeb.lib: [$dlls]" "$bad" ""
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
image_end() { # largest raw offset + raw size over the section headers
  local f="$1" pe sections opt table i m=0 e
  pe=$(u32 "$f" 60); sections=$(u16 "$f" $((pe + 6))); opt=$(u16 "$f" $((pe + 20)))
  table=$((pe + 24 + opt))
  for ((i = 0; i < sections; i++)); do
    e=$(($(u32 "$f" $((table + i * 40 + 20))) + $(u32 "$f" $((table + i * 40 + 16)))))
    [ $e -gt $m ] && m=$e
  done
  echo $m
}
end="$(image_end "$DIST/engine.exe")"
check "nothing trails the engine image" "$(stat -c %s "$DIST/engine.exe")" "$end"

test_done
