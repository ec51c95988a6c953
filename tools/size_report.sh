#!/usr/bin/env bash
# Prints the size of each shipped artefact of the win32 build against its budget and
# exits non-zero when one is over. zeb.lib's budget is for the library image; the
# engine texts carried behind it in dist are reported on their own line.
# Usage: size_report.sh [win32 build dir]
set -euo pipefail

# Budgets in KB (1024 bytes), each with the file measured (relative to the build
# folder). The engine's is the one planned for it with the dialogs in.
budgets=(
  "engine.exe 1536 dist/engine.exe"
  "zeb.lib 250 media/zeb/zeb.lib"
)

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/win32}"
status=0
for entry in "${budgets[@]}"; do
  read -r name budget path <<<"$entry"
  file="$build/$path"
  if [ ! -f "$file" ]; then
    echo "size: $name missing in $build (build the win32 preset)"
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

# The engine texts: what the shipped zeb.lib carries behind its image.
image="$build/media/zeb/zeb.lib"
shipped="$build/dist/zeb.lib"
if [ -f "$image" ] && [ -f "$shipped" ]; then
  carried=$(($(stat -c %s "$shipped") - $(stat -c %s "$image")))
  echo "size: engine texts behind zeb.lib $(((carried + 1023) / 1024)) KB ($carried bytes)"
fi
exit $status
