#!/usr/bin/env bash
# The main job: installs what is missing, builds the engine, its archive
# library and the authoring tool, builds the example project
# (examples/author) into a setup folder, installs it silently under Wine and
# prints what was installed and where. The Wine prefix is kept, so the
# installed product can be looked at, and removed, afterwards.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh" win32
cmake --preset native -S "$root" >/dev/null
cmake --build "$root/build/native" --target vantrell-author

author="$root/build/native/authoring/vantrell-author"
out="$root/build/example-setup"
echo "== building examples/author into $out"
"$author" build --verbose "$root/examples/author/example.vproj" "$out" \
  --engine "$root/build/win32/dist/engine.exe"

export WINE_RUN_DIR="$root/build/wine/sample"
export WINEPREFIX="$WINE_RUN_DIR/prefix"
export VANTRELL_KEEP_PREFIX=1
rm -rf "$WINE_RUN_DIR"
. "$root/tests/wine/lib.sh"
trap wine_env_end EXIT
wine_env_init

log="$out/trace.log"
echo "== running: setup.exe /s /l=$(winpath "$log")"
set +e
wine "$out/setup.exe" /s "/l=$(winpath "$log")"
code=$?
wineserver -w
set -e
echo "exit code: $code (0: installed)"

drive="$WINEPREFIX/drive_c"
unix_of() { winepath -u "$1" 2>/dev/null; }
reg_value() { # KEY NAME VIEW
  { wine reg query "$1" /v "$2" "/reg:$3" 2>/dev/null || true; } | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
product_key='HKLM\Software\Vantrell Examples\Author Example'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example'
target="$(reg_value "$product_key" InstallDir 32)"

echo
echo "== installed"
echo "files in $target:"
if [ -n "$target" ] && [ -d "$(unix_of "$target")" ]; then
  (cd "$(unix_of "$target")" && find . -type f | sed 's|^\./|  |' | sort)
else
  echo "  (none found)"
fi
echo "registry value: $product_key (32-bit view)"
echo "  InstallDir = $target"
echo "shortcut:"
{ find "$drive" -ipath '*/Programs/Vantrell Author Example/*.lnk' 2>/dev/null || true; } |
  sed "s|^$drive/|  C:/|"
echo "registered for maintenance: $uninstall_key"
uninstall="$(reg_value "$uninstall_key" UninstallString 64)"
[ -z "$uninstall" ] && uninstall="$(reg_value "$uninstall_key" UninstallString 32)"
echo "  UninstallString = $uninstall"
echo "trace log: $log (UTF-16)"

echo
echo "== next"
echo "the Wine prefix is kept in $WINEPREFIX; with it:"
echo "  remove the product:        WINEPREFIX=$WINEPREFIX wine $uninstall /s"
echo "  run the setup with its wizard (shown once the dialogs exist):"
echo "                             WINEPREFIX=$WINEPREFIX wine $out/setup.exe"
echo "the project is documented in authoring/FORMAT.md"
exit "$code"
