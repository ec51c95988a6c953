#!/usr/bin/env bash
# Builds a setup folder the way the authoring side lays it out:
#   OUT/B.exe  the engine with the script appended behind its image
#   OUT/B.res  the support files packed with 7-Zip
#   OUT/B.msi  the package (given, or built from a WiX source with wixl)
#   OUT/zeb.lib
# Usage: make_setup.sh OUT SCRIPT.txt SUPPORT_DIR PACKAGE.(wxs|msi|none) [BASE]
# SCRIPT.txt holds the carried layout one item per line; lines starting with
# ";;" are notes and are dropped; lines are written with CR LF.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
dist="${DIST:-$root/build/win32/dist}"
out="$1" script="$2" support="$3" package="$4" base="${5:-setup}"

mkdir -p "$out"
cp "$dist/engine.exe" "$out/$base.exe"
grep -av '^;;' "$script" | sed 's/$/\r/' >> "$out/$base.exe"
cp "$dist/zeb.lib" "$out/zeb.lib"
rm -f "$out/$base.res"
# Text forms in a "forms" folder beside the support folder become the
# dialogs' form files (NAME.dfm, compiled by the native form_compile) with
# their rules files (NAME.dfm.zebf: the form's NAME.zebf, else empty).
forms="$(dirname "${support:-none}")/forms"
if [ -n "$support" ] && [ "$support" != none ] && [ -d "$forms" ]; then
  compile="${FORM_COMPILE:-$root/build/native/tests/unit/dialogs/form_compile}"
  staging="$out/.support"
  rm -rf "$staging"
  mkdir -p "$staging"
  cp -r "$support/." "$staging/"
  for form in "$forms"/*.txt; do
    name="$(basename "$form" .txt)"
    "$compile" "$form" "$staging/$name.dfm"
    if [ -f "$forms/$name.zebf" ]; then cp "$forms/$name.zebf" "$staging/$name.dfm.zebf"; else : >"$staging/$name.dfm.zebf"; fi
  done
  support="$staging"
fi
if [ -n "$support" ] && [ "$support" != none ]; then
  (cd "$support" && 7zz a -t7z -bso0 -bsp0 "$out/$base.res" . >/dev/null)
fi
rm -rf "$out/.support"
case "$package" in
  *.wxs) (cd "$(dirname "$package")" && wixl -o "$out/$base.msi" "$(basename "$package")") ;;
  *.msi) cp "$package" "$out/$base.msi" ;;
  none) ;;
  *) echo "make_setup: unknown package $package" >&2; exit 2 ;;
esac
