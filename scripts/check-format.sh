#!/usr/bin/env bash
# Checks that every C++ source is formatted as .clang-format says; names the files that are not.
# "scripts/check-format.sh --fix" formats them instead.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 2>/dev/null ||
                     find src tests bench -name '*.cpp' -o -name '*.h')
if [[ "${1:-}" == "--fix" ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for file in "${files[@]}"; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done
if [[ ${#bad[@]} -gt 0 ]]; then
  echo "Not formatted (scripts/check-format.sh --fix formats them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format says."
