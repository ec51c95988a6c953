#!/usr/bin/env bash
# The watchdog of "Extract 7Zip Archive": with an archive library whose
# extraction does not listen to the stop request (deaf_archive_library.dll as
# zeb.lib, the real library beside it for everything else), Cancel answered
# Yes on the progress page asks the worker to stop, the worker goes on, and
# 15 seconds later the watchdog ends it: the statement's result is its error,
# VELD_thCancelled is "TRUE" and the run goes on to its end.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

if [ ! -f "$TESTBIN/deaf_archive_library.dll" ]; then
  fail "deaf_archive_library.dll missing ($TESTBIN)"
  test_done
fi
dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
cat >"$src/forms/Work.txt" <<'F'
object Work: TPoolTemplate
  BorderStyle = bsDialog
  Caption = 'Extracting'
  ClientHeight = 90
  ClientWidth = 360
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  object Bar: TProgressBar
    Left = 10
    Top = 14
    Width = 340
    Height = 17
    Tag = 1
  end
  object Cancel: TButton
    Left = 275
    Top = 56
    Width = 75
    Height = 23
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 0
  end
end
F
: >"$dir/deaf.7z"
out="$(winpath "$dir/out.txt")"
SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" <<S
@title Watchdog
Display Dialog|Work|W|FALSE||TRUE|FALSE
Extract 7Zip Archive|$(winpath "$dir")\\deaf.7z|$(winpath "$dir")\\x|EXTRACTED||FALSE|FALSE
Write to Text File|$out|[\$EXTRACTED\$][\$VELD_thCancelled\$]|FALSE
Terminate with Exit Code|0
S
mv "$dir/setup/zeb.lib" "$dir/setup/zeb-real.lib"
cp "$TESTBIN/deaf_archive_library.dll" "$dir/setup/zeb.lib"

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")"
w="$(robot wait --timeout 30000 --title-contains Extracting | robot_value hwnd)"
sleep 1
robot click --hwnd "$w" --button Cancel --no-wait >/dev/null
question="$(robot wait --timeout 20000 --class '#32770' | robot_value hwnd)"
robot click --hwnd "$question" --button Yes >/dev/null
asked=$(date +%s)
run="$(robot_bg_wait "$dir/robot.log" 90)"
took=$(($(date +%s) - asked))
check "the run ends" "$(robot_value exit <<<"$run")" 0
check "the statement fails with the watchdog's error; the cancel is recorded" \
  "$(tr -d '\r\n' <"$dir/out.txt" 2>/dev/null)" \
  "[The extraction was cancelled and did not stop; it was ended][TRUE]"
if [ "$took" -ge 14 ] && [ "$took" -le 30 ]; then
  pass "ended by the watchdog ${took} s after the cancel (15 s, not the worker's minute)"
else
  fail "ended ${took} s after the cancel (want about 15 s)"
fi
test_done
