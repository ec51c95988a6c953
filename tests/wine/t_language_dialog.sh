#!/usr/bin/env bash
# The "Select Setup Language" dialog of a setup that asks for its language:
# it offers the languages of the support folder's translation files with the
# user's language preselected (German for a German user, the default English
# for a French one), in the user's engine texts; the robot's choice becomes
# LANGUAGE and the script's translations follow it. Cancel ends the run before
# its first statement; a silent run takes the preselection without a window.
# The user's locale comes from LANG and LC_ALL, as in t_engine_texts.sh.
# With Hebrew as the language, a page and its controls are mirrored (checked
# on the screenshot language-page-hebrew.png).
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

work="$(scratch)"
support="$work/support"
cp -r "$VANTRELL_ROOT/examples/sample/support" "$support"
cp -r "$VANTRELL_ROOT/examples/sample/forms" "$work/forms"
crlf() { printf '%s\r\n' "$@"; }
# The variable, then the Welcome page's caption and controls.
crlf 'CODEGEAR$GREETING$CODEGEAR' Welcome.dfm Heading Body Back Next Cancel >"$support/Language Dialog.mtx"
crlf localization Welcome.dfm Welcome.dfm Welcome.dfm Welcome.dfm Welcome.dfm Welcome.dfm \
  >"$support/translations.Map"
english=(Hello '$TITLE$ Setup' 'Welcome to the $TITLE$ setup'
  'This wizard installs the sample on your computer. Click Next to go on.' '< &Back' '&Next >' Cancel)
crlf "${english[@]}" >"$support/translations.Original"
crlf "${english[@]}" >"$support/translations.English"
crlf Hallo '$TITLE$ Setup' 'Willkommen' 'Weiter mit Weiter.' '< &Zurück' '&Weiter >' Abbrechen |
  iconv -f UTF-8 -t CP1252 >"$support/translations.German"
crlf 'שלום' 'התקנת $TITLE$' 'ברוכים הבאים להתקנה של $TITLE$' \
  'אשף זה מתקין את הדוגמה במחשב שלך. לחץ על הבא כדי להמשיך.' '< ה&קודם' 'ה&בא >' 'ביטול' |
  iconv -f UTF-8 -t CP1255 >"$support/translations.Hebrew"

dir="$(scratch)"
out="$work/out.txt"
script_layout >"$dir/script.txt" <<S
@title Language Dialog
@ask-language
Localization Variable|GREETING|Hello
Write to Text File|$(winpath "$out")|[\$LANGUAGE\$][\$GREETING\$]|FALSE
S
bash "$VANTRELL_ROOT/tools/make_setup.sh" "$dir" "$dir/script.txt" "$support" "$(sample_package)"
setup="$(winpath "$dir/setup.exe")"
written() { tr -d '\r\n' <"$out" 2>/dev/null; }
# The preparing window is a form container too: the dialog is the one with the list.
dialog() { robot wait --timeout 30000 --class VantrellFormContainer --with-control ComboBox | robot_value hwnd; }

# interactive LOCALE KEYS SHOT : runs the setup under that locale, reads the
# dialog, presses KEYS in it; RESULT is what the script wrote.
interactive() {
  local locale="$1" keys="$2" shot="$3" w
  rm -f "$out"
  export LANG="$locale" LC_ALL="$locale" 2>/dev/null
  robot_bg_run "$work/run.log" --timeout 120000 -- "$setup"
  w="$(dialog)"
  DIALOG_TITLE="$(robot dump --hwnd "$w" | robot_value title)"
  DIALOG_TEXTS="$(robot dump --hwnd "$w" | robot_value static | tr '\n' '|')$(robot dump --hwnd "$w" | robot_value button | tr '\n' '|')"
  DIALOG_CHOICE="$(robot focus --hwnd "$w" | robot_value focus_text)"
  [ -n "$shot" ] && screenshot "$shot" --hwnd "$w" >/dev/null
  robot key --hwnd "$w" --keys "$keys" >/dev/null
  robot_bg_wait "$work/run.log" 120 >"$work/run.out"
  unset LANG LC_ALL
  RESULT="$(written)"
}

interactive de_DE.UTF-8 RETURN language-dialog-german 2>/dev/null
check "German user: the dialog's caption is the German engine text" "$DIALOG_TITLE" "Setup-Sprache auswählen"
# The prompt is a label the page paints itself: it is seen on the screenshot.
check "German user: the buttons in German" "$DIALOG_TEXTS" "OK|Abbrechen|"
check "German user: German preselected" "$DIALOG_CHOICE" "German"
check "German user: OK runs the setup in German" "$RESULT" "[German][Hallo]"

interactive fr_FR.UTF-8 G,RETURN "" 2>/dev/null  # G: the first language with that letter
check "French user: English preselected" "$DIALOG_CHOICE" "English"
check "French user who picks German: the run uses German" "$RESULT" "[German][Hallo]"

interactive en_US.UTF-8 ESCAPE "" 2>/dev/null
check "Cancel: no statement ran" "$RESULT" ""
check "Cancel: the run ends with exit code 0" "$(robot_value exit <"$work/run.out")" "0"

rm -f "$out"
run="$( (export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 && robot run --timeout 120000 -- "$setup" /s) )"
check "silent German run: the preselection, German" "$(written)" "[German][Hallo]"
check "silent run: no window" "$(printf '%s\n' "$run" | robot_value windows)" "0"

# A Hebrew run: the page is mirrored.
page_dir="$(scratch)"
script_layout >"$page_dir/script.txt" <<S
@title Language Dialog
Display Dialog|Welcome|WIZ|TRUE||TRUE|FALSE
Write to Text File|$(winpath "$out")|[\$LANGUAGE\$]|FALSE
S
bash "$VANTRELL_ROOT/tools/make_setup.sh" "$page_dir" "$page_dir/script.txt" "$support" "$(sample_package)"
rm -f "$out"
export LANG=he_IL.UTF-8 LC_ALL=he_IL.UTF-8
robot_bg_run "$work/page.log" --timeout 120000 -- "$(winpath "$page_dir/setup.exe")" LANGUAGE=Hebrew
w="$(robot wait --timeout 30000 --class VantrellFormContainer --title-contains " - Vantrell Wizard" |
  robot_value hwnd)"
check "Hebrew page: the Hebrew caption" "$(robot dump --hwnd "$w" | robot_value title)" "התקנת Language Dialog - Vantrell Wizard"
check "Hebrew page: the Hebrew buttons" "$(robot dump --hwnd "$w" | robot_value button | sort | tr '\n' '|')" \
  "$(printf '%s\n' "< הקודם" "הבא >" "ביטול" | sort | tr '\n' '|')"
screenshot language-page-hebrew --hwnd "$w" >/dev/null
robot key --hwnd "$w" --keys RETURN >/dev/null
robot_bg_wait "$work/page.log" 120 >/dev/null
unset LANG LC_ALL
check "Hebrew page: Next goes on in Hebrew" "$(written)" "[Hebrew]"
test_done
