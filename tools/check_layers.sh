#!/usr/bin/env bash
# Reports every include that runs against the layer graph of cmake/layers.txt:
# a file in layer L may include only headers of L and of the layers L uses,
# directly or through those. Files outside the layers (tests, tools, the
# authoring tool, fuzzers, benchmarks) are not checked. Exit 1 on a finding.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

declare -A uses
layers=()
while read -r name rest; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  layers+=("$name")
  uses[$name]="$rest"
done <cmake/layers.txt

# The closure of what a layer may see, itself included.
declare -A sees
for name in "${layers[@]}"; do
  seen=" $name "
  todo=(${uses[$name]})
  while [ ${#todo[@]} -gt 0 ]; do
    next="${todo[0]}"
    todo=("${todo[@]:1}")
    [[ "$seen" == *" $next "* ]] && continue
    seen+="$next "
    todo+=(${uses[$next]})
  done
  sees[$name]="$seen"
done

findings=0
for name in "${layers[@]}"; do
  while IFS=: read -r file line text; do
    target="$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$text")"
    [ -z "$target" ] && continue
    case "$target" in
      */*) ;;
      *) continue ;;  # a header beside the including file
    esac
    if [[ "$target" == ../* || "$target" == */../* ]]; then
      echo "$file:$line: '$target' climbs out of the include roots"
      findings=$((findings + 1))
      continue
    fi
    top="${target%%/*}"
    # Only the engine's own folders are checked; the archive library's public
    # header is reached through the media layer.
    [ -n "${uses[$top]+x}" ] || continue
    if [[ "${sees[$name]}" != *" $top "* ]]; then
      echo "$file:$line: layer '$name' includes '$target' (layer '$top' is not below it)"
      findings=$((findings + 1))
    fi
  done < <(git ls-files "$name/*.h" "$name/*.cpp" | grep -v "^$name/zeb/" | xargs -r grep -n '#[[:space:]]*include[[:space:]]*"' /dev/null)
done
if [ "$findings" -ne 0 ]; then
  echo "layers: $findings include(s) against cmake/layers.txt"
  exit 1
fi
echo "layers: every include follows cmake/layers.txt (${#layers[@]} layers)"
