#!/usr/bin/env bash
# "Schedule Task" and "Delete Scheduled Task" in the real engine, read back
# through the Task Scheduler 1.0 interfaces by task_probe.exe: a weekly task
# on Monday at 2:30 PM, one at log-on and one at system start (log-on and
# start both asked: start wins) with their program, parameters, folder,
# flags and one trigger each. A name ending in ".job" gets no second ".job".
# A task for a computer that is not there is not made here; one for this
# computer, by its name in other case or with two backslashes, is. A start
# time that is not a time leaves the task's file as it was and makes no new
# one; a task scheduled again has its one trigger replaced; "Delete Scheduled Task" removes a task, and one that is not there
# changes nothing. Every run goes on to its end: the statements report
# nothing.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

probe() { wine "$TESTBIN/task_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
# value READING KEY : one key's value from a probe reading.
value() { sed -n "s/^$2=//p" <<<"$1"; }
# The scheduler's folder, C:\windows\Tasks, in whatever case the prefix has it.
tasks="$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname tasks -type d | head -n 1)"
# Lines 1-14 of "Schedule Task", as a statement.
schedule() { local IFS='|'; echo "Schedule Task|$*"; }

computer="$(wine cmd /c echo %COMPUTERNAME% 2>/dev/null | tr -d '\r')"
work="$(scratch)"
out="$(winpath "$work/out.txt")"
# run_statements NAME < statements : a setup that runs them and ends with 7.
run_statements() {
  local dir
  dir="$(scratch)"
  rm -f "$work/out.txt"
  {
    cat
    echo "Write to Text File|$out|went on|FALSE"
    echo "Terminate with Exit Code|7"
  } | make_script_setup "$dir"
  check "$1: the run goes on to its end" \
    "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
  check "$1: every statement ran" "$(tr -d '\r\n' <"$work/out.txt" 2>/dev/null)" "went on"
}

echo "  info the Schedule service before the first statement: $(probe service)"
{
  schedule 'Weekly Backup' '' FALSE FALSE TRUE 'every day, except monday' '2:30 PM' FALSE TRUE \
    'C:\Tools\backup.exe' 'C:\Tools' '/all /quiet' backupuser secret
  schedule 'At Logon.job' '' FALSE TRUE FALSE '' '' TRUE FALSE 'C:\Tools\sync.exe' 'C:\Tools' \
    '--logon' '' ''
  schedule 'At Startup' '' TRUE TRUE FALSE '' '' FALSE FALSE 'C:\Tools\check.exe' 'C:\' '/boot' '' ''
  schedule 'Remote Task' 'NOSUCHHOST' FALSE FALSE TRUE 'every day' '9:00' FALSE FALSE \
    'C:\Tools\remote.exe' '' '' '' ''
  # This computer by its name in other case (the local computer), and with
  # the two backslashes (given to the scheduler).
  schedule 'Named Here' "${computer,,}" FALSE TRUE FALSE '' '' FALSE FALSE 'C:\Tools\a.exe' '' '' '' ''
  schedule 'Named UNC' "\\\\$computer" FALSE TRUE FALSE '' '' FALSE FALSE 'C:\Tools\b.exe' '' '' '' ''
} | run_statements "create"
check "the service runs after the statements" "$(probe service)" "service=4"

today="$(probe today)"
weekly="$(probe read 'Weekly Backup')"
echo "$weekly" | sed 's/^/  info Weekly Backup: /'
for pair in "activate|0x00000000" "program|C:\\Tools\\backup.exe" "parameters|/all /quiet" \
  "folder|C:\\Tools" "flags|0x2001" "triggers|1" "trigger0.type|2" "trigger0.days|2" \
  "trigger0.interval|1" "trigger0.start|14:30" "trigger0.begin|$today" "trigger0.flags|0x0"; do
  check "weekly: ${pair%%|*}" "$(value "$weekly" "${pair%%|*}")" "${pair#*|}"
done
if [ -n "$(value "$weekly" account-error)" ]; then
  skip_wine_lacks "weekly: the account read back" \
    "its ITask keeps the account only in memory, GetAccountInformation of a loaded task answers $(value "$weekly" account-error)"
else
  check "weekly: account" "$(value "$weekly" account)" backupuser
fi

logon="$(probe read 'At Logon')"
for pair in "activate|0x00000000" "program|C:\\Tools\\sync.exe" "parameters|--logon" \
  "folder|C:\\Tools" "flags|0x2400" "triggers|1" "trigger0.type|7" "trigger0.begin|$today"; do
  check "at log-on: ${pair%%|*}" "$(value "$logon" "${pair%%|*}")" "${pair#*|}"
done
startup="$(probe read 'At Startup')"
for pair in "activate|0x00000000" "program|C:\\Tools\\check.exe" "folder|C:\\" "flags|0x2000" \
  "triggers|1" "trigger0.type|6"; do
  check "at system start: ${pair%%|*}" "$(value "$startup" "${pair%%|*}")" "${pair#*|}"
done

echo "  info tasks folder: $(cd "$tasks" 2>/dev/null && ls | tr '\n' ';')"
check "a name ending in .job is one file" "$(test -f "$tasks/At Logon.job" && echo yes)" yes
check "no second .job" "$(ls "$tasks" | grep -c '\.job\.job$')" 0
check "a task for a computer that is not there is not made here" \
  "$(test -e "$tasks/Remote Task.job" && echo made)" ""
for name in 'Named Here' 'Named UNC'; do
  check "$name: made on this computer" "$(value "$(probe read "$name")" activate)" 0x00000000
done
echo "  info SetTargetComputer of a computer that is not there: $(probe target NOSUCHHOST | tr '\n' ' ')"
echo "  info SetTargetComputer of this computer: $(probe target "$computer" | tr '\n' ' ')"

before="$(md5sum "$tasks/Weekly Backup.job" | cut -d' ' -f1)"
{
  schedule 'Weekly Backup' '' FALSE FALSE TRUE friday '25:99' TRUE FALSE 'C:\Other\other.exe' \
    'C:\Other' '/changed' '' ''
  schedule 'Never Made' '' FALSE FALSE TRUE friday 'half past two' FALSE FALSE 'C:\Tools\x.exe' \
    '' '' '' ''
  # A task that is there gets its one trigger replaced.
  schedule 'Named Here' '' FALSE FALSE TRUE 'Friday' '9:05' FALSE FALSE 'C:\Tools\c.exe' '' '' '' ''
} | run_statements "second run"
check "invalid time: the task's file is as it was" \
  "$(md5sum "$tasks/Weekly Backup.job" | cut -d' ' -f1)" "$before"
weekly="$(probe read 'Weekly Backup')"
check "invalid time: the program is as it was" "$(value "$weekly" program)" 'C:\Tools\backup.exe'
check "invalid time: the start is as it was" "$(value "$weekly" trigger0.start)" "14:30"
check "invalid time: a new task is not made" "$(value "$(probe read 'Never Made')" activate)" \
  0x80070002

replaced="$(probe read 'Named Here')"
for pair in "program|C:\\Tools\\c.exe" "flags|0x2000" "triggers|1" "trigger0.type|2" \
  "trigger0.days|32" "trigger0.start|09:05"; do
  check "replaced: ${pair%%|*}" "$(value "$replaced" "${pair%%|*}")" "${pair#*|}"
done

{
  echo "Delete Scheduled Task|At Startup|"
  echo "Delete Scheduled Task|At Logon.job|"
} | run_statements "delete"
check "delete: the task is gone" "$(value "$(probe read 'At Startup')" activate)" 0x80070002
check "delete: a name ending in .job is gone" "$(test -e "$tasks/At Logon.job" && echo there)" ""
check "delete: the other task stays" "$(value "$(probe read 'Weekly Backup')" activate)" 0x00000000

listing() { (cd "$tasks" && md5sum -- * 2>/dev/null); }
before="$(listing)"
echo "Delete Scheduled Task|No Such Task|" | run_statements "delete a missing task"
check "delete a missing task: the tasks are as they were" "$(listing)" "$before"
test_done
