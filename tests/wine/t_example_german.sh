#!/usr/bin/env bash
# The example, built in English and German, installed by a German user: the
# language question preselects German; the pages, the installed shortcut's
# name and description, the confirmation box and the engine's own error text
# are German; the cache remembers German, so that later maintenance runs are
# German under any user language.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

if ! find_author; then
  fail "vantrell-author is not built (set AUTHOR or build the native preset)"
  test_done
fi
dir="$(scratch)"
example_project "$dir"
"$AUTHOR" build "$dir/project/example.vproj" "$dir/out" --engine "$DIST/engine.exe" 2>"$dir/build.err"
check "the example builds in two languages" "$?" 0
check "every text has its German translation" "$(grep -c 'untranslated' "$dir/build.err")" 0

# A product left behind by an earlier test of the same prefix would make this
# a maintenance run.
wine msiexec /x "{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}" /qn >/dev/null 2>&1
page() { robot wait --timeout 60000 --class VantrellFormContainer --title-contains "Vantrell Author Example" | robot_value hwnd; }
keys() { robot key --hwnd "$1" --keys "$2" >/dev/null; sleep 0.5; }
values() { robot dump --hwnd "$1" | robot_value "$2" | tr '\n' '|'; }
german() { export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 2>/dev/null; }
english() { export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 2>/dev/null; }

echo "-- a German user installs"
german
robot_bg_run "$dir/run.log" --timeout 240000 -- "$(winpath "$dir/out/setup.exe")"
# (Titles are matched in ASCII: the host may lack the German locale that
# Wine would convert the robot's arguments with.)
w="$(robot wait --timeout 30000 --class VantrellFormContainer --title-contains "Setup-Sprache" | robot_value hwnd)"
check "language: the question in German, German preselected" \
  "$(robot dump --hwnd "$w" | robot_value title)/$(robot focus --hwnd "$w" | robot_value focus_text)" \
  "Setup-Sprache auswählen/German"
keys "$w" RETURN
w="$(page)"
check "welcome: German buttons" "$(values "$w" button)" "< Zurück|Weiter >|Abbrechen|"
screenshot german-welcome --hwnd "$w" >/dev/null
keys "$w" RETURN
w="$(page)"
check "license: the German license file" "$(robot dump --hwnd "$w" | robot_value edit | head -c 43)" \
  "BEISPIEL ZU VANTRELL AUTHOR - LIZENZVERTRAG"
robot scroll --hwnd "$w" --index 0 >/dev/null
sleep 0.5
robot click --hwnd "$w" --button "Ich akzeptiere den Lizenzvertrag" --no-wait >/dev/null
sleep 0.5
screenshot german-license --hwnd "$w" >/dev/null
keys "$w" ALT+W
w="$(page)"
title="$(robot dump --hwnd "$w" | robot_value title)"
[[ "$title" == *Assistent* ]] && pass "the caption's suffix in German ($title)" || fail "caption [$title]"
keys "$w" ALT+W
w="$(page)"
screenshot german-destination --hwnd "$w" >/dev/null
keys "$w" ALT+W
w="$(page)"
check "components: the German description of the first node" "$(values "$w" static | cut -d'|' -f1)" \
  "Die Beispielanwendung"
screenshot german-components --hwnd "$w" >/dev/null
keys "$w" ALT+W
w="$(page)"
check "ready: Install is German" "$(robot dump --hwnd "$w" | robot_value default)" "Installieren"
keys "$w" ALT+I
finish="$(robot progress --class VantrellFormContainer --title-contains "Vantrell Author Example" \
  --until "Fertig stellen" | robot_value until)"
[ -n "$finish" ] && pass "finish: the German finish page" || fail "finish: no page with Fertig stellen"
screenshot german-finish --hwnd "$finish" >/dev/null
keys "$finish" RETURN
check "installed: exit code 0" "$(robot_value exit <<<"$(robot_bg_wait "$dir/run.log" 240)")" 0

program_files='Program Files (x86)'
[ "$ENGINE_BITS" = 64 ] && program_files='Program Files'
app="$WINEPREFIX/drive_c/$program_files/Vantrell Author Example"
[ -f "$app/readme.txt" ] && pass "installed: the application" || fail "installed: no $app/readme.txt"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantrell Author Example"
check "shortcut: its German name" "$(ls "$menu" 2>/dev/null | tr '\n' '|')" "Liesmich.lnk|"
# The link's description is stored as UTF-16 text.
check "shortcut: its German description" \
  "$(python3 -c 'import sys; print(int("Öffnet die Hinweise zum Beispiel".encode("utf-16-le") in open(sys.argv[1], "rb").read()))' \
    "$menu/Liesmich.lnk" 2>/dev/null)" 1
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example'
uninstall="$(wine reg query "$uninstall_key" /v UninstallString /reg:32 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *UninstallString *REG_SZ *//p')"
[ -z "$uninstall" ] && uninstall="$(wine reg query "$uninstall_key" /v UninstallString 2>/dev/null |
  tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p')"
cached="${uninstall#\"}"
cached="${cached%%\"*}"
cache_unix="$(dirname "$(winepath -u "$cached" 2>/dev/null)")"
check "the cache remembers the language" "$(tr -d '\r\n' <"$cache_unix/setup.lan" 2>/dev/null)" German

echo "-- later maintenance runs: the first by a user whose Windows speaks English"
english
# maintenance CHOICE-BUTTON : starts the cached copy, chooses on the
# maintenance page and moves on; prints the page's window.
maintenance() {
  robot_bg_run "$dir/m.log" --timeout 180000 -- "$cached"
  local m
  m="$(page)"
  robot dump --hwnd "$m" >"$dir/maintenance.dump"
  # The keyboard's way through the page: where the focus starts, then Tab.
  if [ -z "${MAINTENANCE_TABS:-}" ]; then
    MAINTENANCE_TABS="$(robot focus --hwnd "$m" | robot_value focus_text)|"
    local i
    for i in 1 2 3 4; do
      keys "$m" TAB
      MAINTENANCE_TABS+="$(robot focus --hwnd "$m" | robot_value focus_text)|"
    done
  fi
  robot click --hwnd "$m" --button "$1" --no-wait >/dev/null
  sleep 0.5
  keys "$m" ALT+W
}
maintenance "Entfernen: Vantrell Author Example von diesem Computer entfernen"
grep -qx 'button=Reparieren: Dateien und Einstellungen erneut installieren' "$dir/maintenance.dump" &&
  pass "maintenance: the page in German without being asked" || fail "maintenance: the page is not German"
# Back is off on the first page, and the options are one stop: the chosen one.
check "maintenance: the focus starts on Next; Tab goes to Cancel, the chosen option, Next" \
  "$MAINTENANCE_TABS" "Weiter >|Abbrechen|Ändern: wählen, welche Teile installiert sind|Weiter >|Abbrechen|"
box="$(robot wait --timeout 30000 --class '#32770' | robot_value hwnd)"
check "remove: the script's question in German" "$(values "$box" static)" \
  "Vantrell Author Example mit allen Komponenten von diesem Computer entfernen?|"
check "remove: a question" "$(robot dump --hwnd "$box" | robot_value icon)" question
screenshot german-remove-question --hwnd "$box" >/dev/null
robot click --hwnd "$box" --button No >/dev/null
check "remove answered No: the run ends, nothing removed" \
  "$(robot_value exit <<<"$(robot_bg_wait "$dir/m.log" 120)")/$([ -f "$app/readme.txt" ] && echo kept)" "2/kept"

# Repair without the original sources at hand, by the German user again (the
# engine's own texts follow the user's Windows language): the engine asks for
# them; cancelled, its error text comes up through the script's box.
german
maintenance "Reparieren: Dateien und Einstellungen erneut installieren"
browser="$(robot wait --timeout 60000 --class '#32770' | robot_value hwnd)"
robot dump --hwnd "$browser" >"$dir/browser.dump"
grep -qx 'static=Bitte geben Sie den Ort Ihrer ursprünglichen Setup-Quellen an, um den Vorgang fortzusetzen' \
  "$dir/browser.dump" && pass "repair: the engine asks for the sources in German" ||
  fail "repair: the question [$(robot_value static <"$dir/browser.dump" | tr '\n' '|')]"
robot close --hwnd "$browser" >/dev/null
box="$(robot wait --timeout 60000 --class '#32770' | robot_value hwnd)"
check "repair: the engine's error text in German" "$(values "$box" static)" \
  "Zum Abschließen des Vorgangs werden die ursprünglichen Setup-Quellen benötigt, Quellen nicht gefunden|"
check "repair: an error box" "$(robot dump --hwnd "$box" | robot_value icon)" error
screenshot german-sources-error --hwnd "$box" >/dev/null
robot close --hwnd "$box" >/dev/null
check "repair: the run ends with the failure" "$(robot_value exit <<<"$(robot_bg_wait "$dir/m.log" 120)")" 1

out="$(robot run --timeout 180000 -- "$cached" /s REMOVE=TRUE MODIFY=FALSE)"
check "silent removal: exit code 0, no window" "$(robot_value exit <<<"$out")/$(robot_value windows <<<"$out")" "0/0"
[ -f "$app/readme.txt" ] && fail "silent removal: the application is still there" || pass "silent removal: the application is gone"
unset LANG LC_ALL
echo "  note screenshots: $WINE_RUN_DIR/shots/german-*.png"
test_done
