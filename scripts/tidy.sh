#!/bin/bash
# Runs clang-tidy with the project's .clang-tidy over the sources of the core, two at a time.
# Usage: scripts/tidy.sh [build folder with compile_commands.json] [files...]
# Not part of the test run (it takes minutes); run it before a larger change lands.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/test}
shift || true
if [ ! -f "$build/compile_commands.json" ]; then
  echo "No compile_commands.json in $build: configure a build there first." >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(find "$root/src" -name '*.cpp' -not -path '*/ui/*' -not -path '*/platform/qt/*' | sort)
fi
printf '%s\n' "${files[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option 2>/dev/null |
  grep -E 'warning:|error:' | sort -u || true
