# Shared helpers for the end-to-end tests that run the real engine under Wine.
# Sourced by run.sh and by every t_*.sh. run.sh prepares one Wine prefix and
# one Xvfb display per test run and exports them; a test run alone (bash
# tests/wine/t_x.sh) prepares its own.

VANTRELL_ROOT="${VANTRELL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
# shellcheck source=../../tools/host_arch.sh
. "$VANTRELL_ROOT/tools/host_arch.sh"
# The 32-bit engine where the host runs it, else the 64-bit one under 64-bit Wine.
if host_runs_32bit; then ENGINE_BITS=32; else ENGINE_BITS=64; use_wine64 || exit 1; fi
DIST="${DIST:-$VANTRELL_ROOT/build/win$ENGINE_BITS/dist}"
TESTBIN="${TESTBIN:-$VANTRELL_ROOT/build/win$ENGINE_BITS/tests}"
WINE_RUN_DIR="${WINE_RUN_DIR:-$VANTRELL_ROOT/build/wine/run-$$}"
export VANTRELL_ROOT DIST TESTBIN WINE_RUN_DIR ENGINE_BITS
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Creates the run's prefix once (64-bit prefix: both registry views exist).
wine_prefix_init() {
  if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="$WINE_RUN_DIR/prefix"
  fi
  export WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager Wine must draw the window frames itself, so
    # that screenshots show title bars, and must not leave windows to one:
    # each hidden managed window would wait 2 s for a window manager to
    # withdraw it ("wait_for_withdrawn_state ... wait timed out").
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Starts a private Xvfb unless a display is already exported for this run
# (or the caller's own display is to be used: VANTRELL_OWN_DISPLAY).
xvfb_start() {
  if [ -n "${VANTRELL_XVFB_PID:-}" ] || [ -n "${VANTRELL_OWN_DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    VANTRELL_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$VANTRELL_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n" VANTRELL_XVFB_PID
      return 0
    fi
  done
  echo "cannot start Xvfb" >&2
  return 1
}

wine_env_init() {
  mkdir -p "$WINE_RUN_DIR"
  xvfb_start
  wine_prefix_init
}

# Stops Wine and Xvfb; the prefix and the cases go, the screenshots stay.
wine_env_end() {
  wineserver -k 2>/dev/null || true
  if [ -n "${VANTRELL_XVFB_PID:-}" ]; then kill "$VANTRELL_XVFB_PID" 2>/dev/null || true; fi
  if [ -z "${VANTRELL_KEEP_PREFIX:-}" ] && [ "${WINEPREFIX:-}" = "$WINE_RUN_DIR/prefix" ]; then
    rm -rf "$WINE_RUN_DIR/prefix" "$WINE_RUN_DIR"/case.*
  fi
}

# Windows form of a Unix path (Z: drive).
winpath() { winepath -w "$1" 2>/dev/null; }

# A fresh scratch folder for one test case.
scratch() {
  local d
  d="$(mktemp -d "$WINE_RUN_DIR/case.XXXXXX")"
  echo "$d"
}

# The prefix's temporary folder for the current user, as a Unix path.
wine_temp_dir() {
  local w
  w="$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')"
  winepath -u "$w" 2>/dev/null
}

# Results: each test counts its cases and ends with test_done, which also adds
# the counts to $WINE_RUN_DIR/results for run.sh's summary.
TEST_FAILS=0
TEST_PASSES=0
TEST_SKIPS=0
TEST_NAME="$(basename "${0:-test}" .sh)"
pass() { echo "  ok   $*"; TEST_PASSES=$((TEST_PASSES + 1)); }
fail() { echo "  FAIL $*"; TEST_FAILS=$((TEST_FAILS + 1)); }
check() { # check "what" actual expected
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: got [$2], want [$3]"; fi
}
# skip_unless_32bit "what" "why": true with the 32-bit engine; with the 64-bit
# one it reports the case as skipped (what only a 32-bit process sees) and
# returns false, so the case is guarded with `if skip_unless_32bit ...; then`.
skip_unless_32bit() {
  [ "$ENGINE_BITS" = 32 ] && return 0
  echo "  skip $1 (needs a 32-bit process: $2)"
  TEST_SKIPS=$((TEST_SKIPS + 1))
  echo "$TEST_NAME: $1 ($2)" >>"$WINE_RUN_DIR/skipped"
  return 1
}
# skip_wine_lacks "what" "why": a case that Wine's side of the platform
# cannot show; it is reported with the reason and listed in run.sh's summary.
skip_wine_lacks() {
  echo "  skip $1 (Wine lacks it: $2)"
  echo "$TEST_NAME: $1 ($2)" >>"$WINE_RUN_DIR/wine-lacks"
}
test_done() {
  echo "$TEST_NAME $TEST_PASSES $TEST_FAILS $TEST_SKIPS" >>"$WINE_RUN_DIR/results"
  if [ "$TEST_FAILS" -ne 0 ]; then
    echo "$TEST_NAME: $TEST_FAILS failure(s)"
    exit 1
  fi
  echo "$TEST_NAME: passed"
}

# find_author : sets AUTHOR to the native authoring tool (AUTHOR as given,
# else the first build that has it); false when there is none.
find_author() {
  if [ -z "${AUTHOR:-}" ]; then
    local candidate
    for candidate in "$VANTRELL_ROOT"/build/native/authoring/vantrell-author \
      "$VANTRELL_ROOT"/build/author-native/authoring/vantrell-author; do
      [ -x "$candidate" ] && AUTHOR="$candidate" && break
    done
  fi
  [ -n "${AUTHOR:-}" ] && [ -x "$AUTHOR" ]
}

# example_project DIR [PARTS] : a copy of the example project in DIR/project,
# with PARTS more 4 KB files beside the application, so that its installer
# run lasts long enough to follow and to cancel.
example_project() {
  cp -r "$VANTRELL_ROOT/examples/author" "$1/project"
  local n
  for ((n = 1; n <= ${2:-0}; n++)); do
    head -c 4096 /dev/urandom >"$1/project/files/app/part$(printf %04d "$n").dat"
  done
}

# The test robot and the display helpers live in robot.sh.
# shellcheck source=robot.sh
[ -f "$VANTRELL_ROOT/tests/wine/robot.sh" ] && . "$VANTRELL_ROOT/tests/wine/robot.sh"
