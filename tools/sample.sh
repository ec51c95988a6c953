#!/usr/bin/env bash
# The main job: installs what is missing, builds the engine, its archive
# library and the authoring tool, builds the example project
# (examples/author) into a setup folder, installs it silently under Wine and
# prints what was installed and where. The Wine prefix is kept, so the
# installed product can be looked at, and removed, afterwards. A host that
# cannot run 32-bit programs gets the 64-bit engine under 64-bit Wine. A step
# that fails stops the job with its name and a non-zero exit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# --show: the wizard runs on this machine's display for you to click through,
# instead of under Xvfb with the test robot.
show=0
for arg in "$@"; do
  case "$arg" in
    --show) show=1 ;;
    *) echo "usage: tools/sample.sh [--show]" >&2; exit 2 ;;
  esac
done
if [ "$show" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "sample: --show needs a display (DISPLAY is not set)" >&2
  exit 2
fi
. "$root/tools/host_arch.sh"
host_arch_note
preset="$(engine_preset)"

stop() { # stop STEP WHY
  echo "sample: failed: $1 ($2)" >&2
  exit 1
}
step() { # step NAME COMMAND...
  local name="$1"
  shift
  "$@" || stop "$name" "exit code $?"
}

step "installing what is missing" bash "$root/tools/setup.sh"
step "building the engine ($preset)" bash "$root/tools/build.sh" "$preset"
step "configuring the native build" cmake --preset native -S "$root" >/dev/null
step "building the authoring tool" cmake --build "$root/build/native" --target vantrell-author

author="$root/build/native/authoring/vantrell-author"
out="$root/build/example-setup"
echo "== building examples/author into $out"
step "building the example setup" "$author" build --verbose "$root/examples/author/example.vproj" "$out" \
  --engine "$root/build/$preset/dist/engine.exe"

export WINE_RUN_DIR="$root/build/wine/sample"
export WINEPREFIX="$WINE_RUN_DIR/prefix"
export VANTRELL_KEEP_PREFIX=1
[ "$show" = 1 ] && export VANTRELL_OWN_DISPLAY=1
rm -rf "$WINE_RUN_DIR"
host_runs_32bit || step "finding Wine's loader for 64-bit programs" use_wine64
. "$root/tests/wine/lib.sh"
. "$root/tools/wizard_tour.sh"
trap wine_env_end EXIT
# wine_env_init tolerates a failed boot; a prefix that cannot run a program is no prefix.
prefix_ready() { wine_env_init && [ -f "$WINEPREFIX/system.reg" ] && wine cmd /c exit >/dev/null 2>&1; }
step "preparing the Wine prefix" prefix_ready

log="$out/trace.log"
echo "== running: setup.exe /s /l=$(winpath "$log")"
set +e
wine "$out/setup.exe" /s "/l=$(winpath "$log")"
code=$?
wineserver -w
set -e
[ "$code" -eq 0 ] || stop "running the setup" "exit code $code, trace log $log"
echo "exit code: $code (0: installed)"

drive="$WINEPREFIX/drive_c"
unix_of() { winepath -u "$1" 2>/dev/null; }
reg_value() { # KEY NAME VIEW
  { wine reg query "$1" /v "$2" "/reg:$3" 2>/dev/null || true; } | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
# Values land in the view of the engine's bitness or, written by a 32-bit
# package, in the 32-bit view; the engine's view is read first.
views="32 64"
[ "$ENGINE_BITS" = 64 ] && views="64 32"
product_key='HKLM\Software\Vantrell Examples\Author Example'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrell Author Example'
show_installed() {
  for view in $views; do
    target="$(reg_value "$product_key" InstallDir "$view")"
    [ -n "$target" ] && break
  done
  [ -n "$target" ] || stop "reading what was installed" "no InstallDir under $product_key"
  list_files() { [ -n "$1" ] && [ -d "$1" ] && (cd "$1" && find . -type f | sed 's|^\./|  |' | sort); }
  files="$(list_files "$(unix_of "$target")" || true)"
  [ -n "$files" ] || stop "reading what was installed" "no files in $target"
  shortcut="$({ find "$drive" -ipath '*/Programs/Vantrell Author Example/*.lnk' 2>/dev/null || true; } |
    sed "s|^$drive/|  C:/|")"
  [ -n "$shortcut" ] || stop "reading what was installed" "no shortcut in the programs menu"
  for uninstall_view in $views; do
    uninstall="$(reg_value "$uninstall_key" UninstallString "$uninstall_view")"
    [ -n "$uninstall" ] && break
  done
  [ -n "$uninstall" ] || stop "reading what was installed" "no UninstallString under $uninstall_key"

  echo
  echo "== installed"
  echo "files in $target:"
  echo "$files"
  echo "registry value: $product_key ($view-bit view)"
  echo "  InstallDir = $target"
  echo "shortcut:"
  echo "$shortcut"
  echo "registered for maintenance: $uninstall_key ($uninstall_view-bit view)"
  echo "  UninstallString = $uninstall"
  echo "trace log: $log (UTF-16)"
}
show_installed

cached="${uninstall#\"}"
cached="${cached%%\"*}"
step "removing it again through the cached copy" wine "$cached" /s REMOVE=TRUE MODIFY=FALSE
wineserver -w
echo
if [ "$show" = 1 ]; then
  echo "== the wizard on your display: go through it, then close the finish page"
  step "running the wizard" wine "$out/setup.exe"
  wineserver -w
else
  step "stepping through the wizard" wizard_tour "$out/setup.exe"
fi
show_installed
if [ "$show" = 0 ]; then
  cached="${uninstall#\"}"
  cached="${cached%%\"*}"
  step "stepping through the maintenance wizard" maintenance_tour "$cached" "$out"
  echo
  echo "screenshots of every page: $WINE_RUN_DIR/shots"
fi

launcher=wine
[ "$ENGINE_BITS" = 64 ] && launcher="$WINELOADER"
echo
echo "== next"
echo "the Wine prefix is kept in $WINEPREFIX; with it:"
echo "  remove the product:        WINEPREFIX=$WINEPREFIX $launcher $uninstall /s"
echo "  then run the setup with its wizard (a first installation shows it):"
echo "                             WINEPREFIX=$WINEPREFIX $launcher $out/setup.exe"
echo "the project is documented in authoring/FORMAT.md"
