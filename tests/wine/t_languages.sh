#!/usr/bin/env bash
# Translations in the real engine: the support folder's translation files
# offer English and German; the project's default language is chosen, a
# LANGUAGE pair on the command line loads German before the first statement;
# "Localization Variable" and "Set Variable" take their translated texts, and
# LANGUAGE set empty by the script turns translation off (unless the command
# line set it: its pair outweighs the script).
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

work="$(scratch)"
support="$work/support"
cp -r "$VANTRELL_ROOT/examples/sample/support" "$support"
crlf() { printf '%s\r\n' "$@"; }
# Statement 1 is the "Set Variable" below (identifiers follow the statement index).
crlf 'CODEGEAR$GREETING$CODEGEAR' '{00000000-0000-0000-0000-000000000001}' >"$support/Lang Test.mtx"
crlf 'localization' 'statement' >"$support/translations.Map"
crlf 'Hello' 'Goodbye' >"$support/translations.Original"
crlf 'Hello' 'Goodbye' >"$support/translations.English"
crlf 'Hallo' 'Auf Wiedersehen' >"$support/translations.German"

dir="$(scratch)"
out="$(winpath "$work/out.txt")"
script_layout >"$dir/script.txt" <<S
@title Lang Test
Localization Variable|GREETING|Hello
Set Variable|FAREWELL|Goodbye
Write to Text File|$out|[\$LANGUAGE\$][\$GREETING\$][\$FAREWELL\$]|FALSE
Set Variable|LANGUAGE|
Set Variable|AFTER|Goodbye
Write to Text File|$out|[\$LANGUAGE\$][\$AFTER\$]|FALSE
S
bash "$VANTRELL_ROOT/tools/make_setup.sh" "$dir" "$dir/script.txt" "$support" "$(sample_package)"

run_case() { # run_case ARGS... : the two lines the script wrote
  rm -f "$work/out.txt"
  robot run --timeout 60000 -- "$(winpath "$dir/setup.exe")" /s "$@" >/dev/null
  tr -d '\r' <"$work/out.txt" 2>/dev/null | tr '\n' ' '
}
check "default language: English texts, then translation off" "$(run_case)" \
  "[English][Hello][Goodbye] [][Goodbye] "
# A command-line pair outweighs the script's own assignment, so LANGUAGE stays German.
check "LANGUAGE=German from the command line: German texts from the first statement" \
  "$(run_case LANGUAGE=German)" "[German][Hallo][Auf Wiedersehen] [German][Goodbye] "
rm -f "$support/Lang Test.mtx"
bash "$VANTRELL_ROOT/tools/make_setup.sh" "$dir" "$dir/script.txt" "$support" "$(sample_package)"
check "without the matrix no language: texts as written" "$(run_case)" "[][Hello][Goodbye] [][Goodbye] "
test_done
