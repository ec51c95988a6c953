#!/usr/bin/env bash
# The engine's own texts follow the user's interface language: zeb.lib carries
# lang.loc behind its image, start-up loads the block named like the user's
# language. A silent "Apply Patch" whose sources are missing writes engine
# text 18 to LASTERROR, which the script writes to a file: German for a German
# user, Japanese (code page 932) for a Japanese one, English for an English
# one and for a language without a block. Wine takes the user's locale from the
# process's LC_ALL and LANG (the host need not have that locale installed).
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

package="$(sample_package)"
package_code="$(msiinfo suminfo "$package" | sed -n 's/^Revision number (UUID): //p' | tr -d '\r')"

dir="$(scratch)"
out="$dir/out.txt"
make_script_setup "$dir" <<S
@revision $package_code
Apply Patch|PATCHED
Write to Text File|$(winpath "$out")|[\$PATCHED\$][\$LASTERROR\$]|FALSE
S
printf 'not a patch' >"$dir/setup.msp"  # no sources marker beside it: sources not found

# lasterror LOCALE [CODEPAGE] : what the script wrote when Wine runs with that
# locale, converted from the code page (default CP1252) to UTF-8.
lasterror() {
  rm -f "$out"
  (export LANG="$1" LC_ALL="$1" && robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s) >/dev/null 2>&1
  iconv -f "${2:-CP1252}" -t UTF-8 "$out" 2>/dev/null | tr -d '\r\n'
}

check "German user: German engine text" "$(lasterror de_DE.UTF-8)" \
  "[CANCEL][Zum Abschließen des Vorgangs werden die ursprünglichen Setup-Quellen benötigt, Quellen nicht gefunden]"
check "Japanese user: Japanese engine text" "$(lasterror ja_JP.UTF-8 CP932)" \
  "[CANCEL][操作を完了するには元のセットアップ ソースが必要ですが、ソースが見つかりません]"
check "English user: English engine text" "$(lasterror en_US.UTF-8)" \
  "[CANCEL][Original setup sources required to complete operation, sources not found]"
check "Korean user, no Korean block: English engine text" "$(lasterror ko_KR.UTF-8)" \
  "[CANCEL][Original setup sources required to complete operation, sources not found]"

test_done
