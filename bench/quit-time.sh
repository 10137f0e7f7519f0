#!/usr/bin/env bash
# Measures how long the program takes to end after its window is closed with a large file open:
# it opens FILE, waits until the load is complete (the process's processor time stops growing),
# sends Alt+F4 as a user would and takes the time until the process is gone. Needs xdotool and,
# without a DISPLAY, Xvfb and openbox (both installed by scripts/install-deps.sh).
#   bench/quit-time.sh BUILD_DIR FILE [RUNS=3]
set -euo pipefail
build=${1:?the build folder (Release)}
file=${2:?a large file}
runs=${3:-3}
program="$build/quillarium"
[[ -x "$program" ]] || { echo "no $program: build the program first" >&2; exit 2; }

config=$(mktemp -d)
trap 'rm -rf "$config"; [[ -n "${xvfb:-}" ]] && kill $xvfb 2>/dev/null' EXIT
if [[ -z "${DISPLAY:-}" ]]; then
  display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  sleep 1
  openbox >/dev/null 2>&1 &
  sleep 1
fi

for ((run = 1; run <= runs; ++run)); do
  XDG_CONFIG_HOME=$config "$program" "$file" >/dev/null 2>&1 &
  pid=$!
  previous=-1
  for _ in $(seq 1 300); do
    sleep 1
    used=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    [[ "$used" == "$previous" ]] && break
    previous=$used
  done
  own=$(awk '/RssAnon/ {print $2}' "/proc/$pid/status")
  window=$(xdotool search --pid "$pid" --onlyvisible 2>/dev/null | head -1)
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  start=$(date +%s%N)
  xdotool key alt+F4
  while kill -0 "$pid" 2>/dev/null; do sleep 0.002; done
  end=$(date +%s%N)
  echo "run $run: $(( (end - start) / 1000000 )) ms from the key to the end of the process ($((own / 1024)) MB of its own memory)"
done
