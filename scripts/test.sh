#!/usr/bin/env bash
# Installs what is missing, checks the sources' formatting, builds everything and runs every test
# headless: once in a normal build, once under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the core's tests (the loader's and the database worker's threads among them) under
# ThreadSanitizer. Ends with ctest's summary.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" || exit 1
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)

configure() {  # build folder, extra cmake options...
  local build=$1; shift
  [[ -f "$build/CMakeCache.txt" ]] && return 0
  cmake -S "$root" -B "$build" -G Ninja -DQUILL_WERROR=ON "$@" >/dev/null
}

status=0
echo "== formatting"
"$root/scripts/check-format.sh" || status=1

run_suite() {  # name, build folder, cmake options...
  local name=$1 build=$2; shift 2
  echo "== $name build"
  configure "$build" "$@" && cmake --build "$build" -j "$jobs" || { status=1; return; }
  echo "== $name tests"
  (cd "$build" && ctest --output-on-failure -j "$jobs") || status=1
}

run_suite "normal" "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite "sanitizer" "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DQUILL_SANITIZE=ON -DQUILL_BUILD_BENCH=OFF
export TSAN_OPTIONS=halt_on_error=1
run_suite "thread sanitizer" "$root/build/tsan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DQUILL_BUILD_GUI=OFF \
  -DQUILL_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
exit $status
