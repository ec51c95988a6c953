# Shell side of the test robot (tests/robot): runs robot.exe under Wine, reads
# its key=value output, runs programs in the background and takes screenshots.
# Sourced by lib.sh; defines functions only.
# shellcheck shell=bash

# robot ARGS... : robot.exe's stdout without CRs; its exit status is robot.exe's.
robot() {
  local status
  wine "$TESTBIN/robot.exe" "$@" | tr -d '\r'
  status=${PIPESTATUS[0]}
  return "$status"
}

# robot_value KEY : the values of KEY=... lines on stdin, one per line.
robot_value() {
  local key="$1" line
  while IFS= read -r line; do
    line="${line%$'\r'}"
    [[ "$line" == "$key="* ]] && printf '%s\n' "${line#"$key="}"
  done
  return 0
}

# robot_bg_run OUTFILE [ROBOT-OPTIONS] -- EXE ARGS... : starts `robot run --log
# OUTFILE` in the background and returns at once; OUTFILE fills line by line as
# windows appear. ROBOT-OPTIONS are robot run's (e.g. --timeout 20000).
ROBOT_BG_OUT=""
robot_bg_run() {
  local outfile="$1"
  shift
  : >"$outfile"
  rm -f "$outfile.status"
  ROBOT_BG_OUT="$outfile"
  # The status file, not `wait`, carries the result so a subshell can collect it.
  (
    wine "$TESTBIN/robot.exe" run --log "$outfile" "$@" >"$outfile.stdout" 2>"$outfile.stderr"
    echo $? >"$outfile.status.tmp"
    mv "$outfile.status.tmp" "$outfile.status"
  ) &
}

# robot_bg_wait [OUTFILE] [SECONDS] : waits for that (default: the last)
# robot_bg_run, prints its stdout (CRs stripped), copies its stderr to stderr and
# returns its exit status.
robot_bg_wait() {
  local outfile="${1:-$ROBOT_BG_OUT}" seconds="${2:-120}" i
  [ -n "$outfile" ] || { echo "robot_bg_wait: nothing started" >&2; return 1; }
  for ((i = 0; i < seconds * 10; i++)); do
    [ -f "$outfile.status" ] && break
    sleep 0.1
  done
  if [ ! -f "$outfile.status" ]; then
    echo "robot_bg_wait: robot still running after $seconds s" >&2
    return 1
  fi
  tr -d '\r' <"$outfile.stdout"
  tr -d '\r' <"$outfile.stderr" >&2
  return "$(cat "$outfile.status")"
}

# robot_wait_line OUTFILE KEY [SECONDS] : waits until OUTFILE has a KEY=... line.
robot_wait_line() {
  local outfile="$1" key="$2" seconds="${3:-30}" i
  for ((i = 0; i < seconds * 10; i++)); do
    grep -q "^$key=" "$outfile" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# screenshot NAME [SELECTOR...] : saves $WINE_RUN_DIR/shots/NAME.png and prints
# its path; of the selected window, or of the whole screen without a selector.
screenshot() {
  local name="$1"
  shift
  local dir="$WINE_RUN_DIR/shots"
  mkdir -p "$dir"
  local bmp="$dir/$name.bmp" png="$dir/$name.png"
  if [ $# -eq 0 ]; then set -- --screen; fi
  local target attempt
  target="$(winepath -w "$bmp" 2>/dev/null)"
  [ -n "$target" ] || target="Z:${bmp//\//\\}"
  # A whole-screen capture has failed once on a loaded machine: one more try,
  # and the robot's own reason is printed if that fails too.
  for attempt in 1 2; do
    if robot shot "$@" --out "$target" >/dev/null 2>"$dir/$name.err" && [ -s "$bmp" ]; then break; fi
    if [ "$attempt" = 2 ]; then
      echo "screenshot $name: $(tr -d '\r' <"$dir/$name.err")" >&2
      return 1
    fi
    sleep 1
  done
  rm -f "$dir/$name.err"
  convert "$bmp" "$png" || return 1
  rm -f "$bmp"
  echo "$png"
}
