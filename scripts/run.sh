#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts Quillarium: scripts/run.sh [FILE[#LINE]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/release"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILL_BUILD_TESTS=OFF -DQUILL_BUILD_BENCH=OFF
fi
cmake --build "$build" --target quillarium
exec "$build/quillarium" "$@"
