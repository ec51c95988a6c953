#!/usr/bin/env bash
# Prints the size of each shipped artefact of the win32 build against its budget and
# exits non-zero when one is over. Usage: size_report.sh [win32 build dir]
set -euo pipefail

# Budgets in KB (1024 bytes). The engine's becomes 1536 KB once the dialogs are in.
budgets=(
  "engine.exe 1024"
  "zeb.lib 250"
)

root="$(cd "$(dirname "$0")/.." && pwd)"
dist="${1:-$root/build/win32}/dist"
status=0
for entry in "${budgets[@]}"; do
  read -r name budget <<<"$entry"
  file="$dist/$name"
  if [ ! -f "$file" ]; then
    echo "size: $name missing in $dist (build the win32 preset)"
    status=1
    continue
  fi
  bytes=$(stat -c %s "$file")
  kb=$(((bytes + 1023) / 1024))
  if [ "$bytes" -le $((budget * 1024)) ]; then
    verdict=ok
  else
    verdict="over by $((kb - budget)) KB"
    status=1
  fi
  echo "size: $name $kb KB (budget $budget KB) $verdict"
done
exit $status
