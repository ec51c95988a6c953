#!/usr/bin/env bash
# The house style, checked: clang-format over every tracked C++ file of ours,
# and clang-tidy (.clang-tidy, warnings as errors) over the portable core's
# sources with the native build's compile commands. Prints one line per check
# and exits 1 when either finds something. Usage: check_style.sh [format|tidy]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
what="${1:-all}"
status=0

# Ours: everything tracked except the archive library's imported parts.
cxx_files() { git ls-files '*.cpp' '*.h' | grep -v '^media/zeb/third_party/'; }

if [ "$what" = all ] || [ "$what" = format ]; then
  differ=()
  while read -r f; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || differ+=("$f")
  done < <(cxx_files)
  total=$(cxx_files | wc -l)
  if [ ${#differ[@]} -eq 0 ]; then
    echo "format: $total files follow .clang-format"
  else
    printf 'format: %s\n' "${differ[@]}"
    echo "format: ${#differ[@]} of $total files differ from .clang-format (clang-format -i FILE)"
    status=1
  fi
fi

if [ "$what" = all ] || [ "$what" = tidy ]; then
  if [ ! -f build/native/compile_commands.json ]; then
    echo "tidy: build/native/compile_commands.json missing (cmake --preset native)"
    exit 1
  fi
  # The portable core: every layer's sources outside win32/, which the native build compiles.
  mapfile -t core < <(while read -r name _; do
    [[ -z "$name" || "$name" == \#* ]] && continue
    git ls-files "$name/*.cpp" | grep -v -e '/win32/' -e "^$name/zeb/" -e '^engine/main.cpp$'
  done <cmake/layers.txt)
  log="$(mktemp)"
  printf '%s\n' "${core[@]}" | xargs -P "${VANTRELL_JOBS:-2}" -n 8 \
    clang-tidy -p build/native --quiet --extra-arg=-Wno-unknown-warning-option >"$log" 2>/dev/null
  findings=$(grep -c -E ': (warning|error): ' "$log" || true)
  if [ "$findings" -eq 0 ]; then
    echo "tidy: ${#core[@]} core sources clean"
  else
    grep -E ': (warning|error): ' "$log" | sort -u
    echo "tidy: $findings finding(s) in the core"
    status=1
  fi
  rm -f "$log"
fi
exit $status
