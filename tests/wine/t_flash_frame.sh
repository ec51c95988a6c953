#!/usr/bin/env bash
# Flash frames: a page's Tag-1 frame plays the support folder's movie with the
# player control of its "flash.ocx" (our test control, which logs what it is
# given): "movie.swf", or "movie.German.swf" with German active; the next page
# releases it and the library is unloaded. A library that refuses the class,
# no "flash.ocx" at all, and no movie leave the frame showing its text.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support" "$src/forms"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
cp "$TESTBIN/movie_probe.dll" "$src/support/flash.ocx"
printf 'FWS plain' >"$src/support/movie.swf"
printf 'FWS german' >"$src/support/movie.German.swf"
# German can be chosen on the command line once the project has translations.
crlf() { printf '%s\r\n' "$@"; }
crlf 'CODEGEAR$GREETING$CODEGEAR' >"$src/support/Movie Test.mtx"
crlf 'localization' >"$src/support/translations.Map"
crlf 'Hello' >"$src/support/translations.Original"
crlf 'Hello' >"$src/support/translations.English"
crlf 'Hallo' >"$src/support/translations.German"

cat >"$src/forms/Movie.txt" <<'FORM'
object Movie: TPoolTemplate
  BorderStyle = bsDialog
  Caption = 'Movie'
  ClientHeight = 260
  ClientWidth = 400
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  object Player: TFlashFrame
    Left = 8
    Top = 8
    Width = 384
    Height = 210
    Tag = 1
  end
  object Next: TButton
    Left = 310
    Top = 227
    Width = 80
    Height = 25
    Caption = '&Next >'
    Default = True
    Tag = 1
    TabOrder = 0
  end
end
FORM
sed -e 's/object Movie:/object Done:/' -e "s/Caption = 'Movie'/Caption = 'Done'/" \
  -e '/object Player/,/^  end/d' "$src/forms/Movie.txt" >"$src/forms/Done.txt"

script() {
  cat <<S
@title Movie Test
Localization Variable|GREETING|Hello
Set Variable|VELDLOGO|TRUE
Display Dialog|Movie|PAGE|TRUE||TRUE|FALSE
Display Dialog|Done|DONE|TRUE||TRUE|FALSE
Terminate with Exit Code|5
S
}
build() { SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" < <(script) >/dev/null; }

log="$dir/movie.log"
export MOVIE_PROBE_LOG
MOVIE_PROBE_LOG="$(winpath "$log")"
lines() { tr -d '\r' 2>/dev/null <"$log" | tr '\n' '|'; }

# show NAME [ARGS...] : runs the setup to its movie page, keeps the page's
# dump in $dump, a screenshot and the log in $played, then goes on to the
# second page (the log then in $released) and the end.
show() {
  local name="$1"
  shift
  rm -f "$log"
  robot_bg_run "$dir/robot.log" --timeout 90000 -- "$(winpath "$dir/setup/setup.exe")" "$@"
  local w
  w="$(robot wait --timeout 30000 --title Movie | robot_value hwnd)"
  sleep 1
  dump="$(robot dump --hwnd "$w")"
  shot="$(screenshot "flash-$name" --hwnd "$w")"
  echo "  screenshot: $shot"
  played="$(lines)"
  robot click --hwnd "$w" --button "Next >" >/dev/null
  w="$(robot wait --timeout 30000 --title Done | robot_value hwnd)"
  released="$(lines)"
  robot click --hwnd "$w" --button "Next >" >/dev/null
  run="$(robot_bg_wait "$dir/robot.log" 60)"
  check "$name: exit code" "$(robot_value exit <<<"$run")" 5
}

build
show plain
check "the movie plays: its full path, then Play" \
  "$(sed 's/movie=[A-Za-z]:\\[^|]*\\/movie=/' <<<"$played")" "activate|movie=movie.swf|play|"
check "the player's window shows in the frame" "$(robot_value static <<<"$dump")" \
  "Playing $(sed -n 's/.*movie=\([^|]*\).*/\1/p' <<<"$played")"
check "no text over it" "$(robot_value label <<<"$dump")" ""
check "the next page releases it and the library goes" "$released" \
  "${played}close|release|unload|"

show german LANGUAGE=German
check "German active: the German movie" "$(grep -o 'movie=[^|]*' <<<"$played" | sed 's/.*\\//')" \
  "movie.German.swf"

MOVIE_PROBE_REFUSE=1 show refused
check "a library that refuses the player: the engine text" "$(robot_value label <<<"$dump")" \
  "Unable to play Flash movie"
check "nothing was created, and the library is let go at once" "$played" "unload|"

rm -f "$src/support/movie.swf" "$src/support/movie.German.swf"
build
show no-movie
check "no movie: the message" "$(robot_value label <<<"$dump")" \
  "Add a movie.swf file to your project to display it here."
check "no movie: the player is not loaded" "$(lines)" ""

printf 'FWS plain' >"$src/support/movie.swf"
rm -f "$src/support/flash.ocx"
build
show no-player
check "no flash.ocx: the engine text" "$(robot_value label <<<"$dump")" "Unable to play Flash movie"
test_done
