#!/usr/bin/env bash
# The program itself, in a window under a window manager, at the seams where its faults were found:
#  1. Ctrl+End as soon as a large log shows (while it loads in the background), then typed text
#     and Ctrl+S: the text lands at the file's end, the rest of the file unchanged.
#  2. Another program cuts the file while Ctrl+S reads it (a second hard link makes the save write
#     in place): no zeros are saved; the program says why, or asks first.
#  3. Another program writes 64 bytes into the middle of the open file, its size unchanged: Ctrl+S
#     asks the stronger question ("Save it anyway?"), and No leaves the file as the other left it.
#  4. On the text "\r\n": Down, Shift+Up, Shift+Down, Backspace, Ctrl+C: no crash.
# Needs Xvfb, openbox, xdotool and xclip (scripts/install-deps.sh --bench).
#   tests/large/check-at-the-seams.sh BUILD_DIR [FOLDER=/tmp]
set -uo pipefail
build=${1:?the build folder}
folder=${2:-/tmp}
program="$build/quillarium"
[[ -x "$program" ]] || { echo "no $program: build the program first" >&2; exit 2; }
work=$(mktemp -d "$folder/quill-seams-XXXXXX")
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"
failures=0
pass() { echo "ok:   $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cleanup() {
  [[ -n "${app:-}" ]] && kill "$app" 2>/dev/null
  [[ -n "${wm:-}" ]] && kill "$wm" 2>/dev/null
  [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1400x900x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# Starts the program on a file and waits for its main window; sets app and window.
start() {
  "$program" "$@" >"$work/stderr" 2>&1 &
  app=$!
  window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --pid "$app" --onlyvisible --name ' - Quillarium$' 2>/dev/null | head -1)
    [[ -n "$window" ]] && break
    sleep 0.1
  done
  [[ -n "$window" ]] && xdotool windowactivate --sync "$window" >/dev/null 2>&1
}
# The id of a message box of the program, after waiting up to `seconds` for it.
message_box() {
  local seconds=$1 box="" id
  for _ in $(seq 1 $((seconds * 10))); do
    for id in $(xdotool search --pid "$app" --onlyvisible --name Quillarium 2>/dev/null); do
      [[ "$id" != "$window" && "$(xdotool getwindowname "$id" 2>/dev/null)" == "Quillarium" ]] && box=$id && break
    done
    [[ -n "$box" ]] && break
    sleep 0.1
  done
  echo "$box"
}
# A message box shows within ten seconds (told as `good`, else `bad`) and Enter answers it.
expect_box() {
  local box
  box=$(message_box 10)
  if [[ -n "$box" ]]; then
    pass "$1"
    answer "$box" Return
    sleep 1
  else
    fail "$2"
  fi
}
# Presses a key in a message box, as the user would with the box in front.
answer() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1
  xdotool key "$2"
}
# Waits until the file's size or time changes from what `stat` said before, up to `seconds`.
wait_for_change() {
  local file=$1 before=$2 seconds=$3
  for _ in $(seq 1 $((seconds * 10))); do
    [[ "$(stat -c '%s %Y' "$file" 2>/dev/null)" != "$before" ]] && return 0
    sleep 0.1
  done
  return 1
}
stop() {
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
}

echo "== 1. Ctrl+End while a large log loads in the background"
log="$work/big.log"
python3 - "$log" <<'PY'
import sys
with open(sys.argv[1], "w") as out:
    for block in range(60):
        out.write("".join("2026-12-10 14:%02d:%02d INFO [worker-%d] request %09d handled\n"
                          % (k // 60 % 60, k % 60, k % 8, k) for k in range(block * 200000, (block + 1) * 200000)))
    out.write("the last line")
PY
cp "$log" "$work/original.log"
start "$log"
xdotool key ctrl+End
# The rest is read with a progress window; the keys typed then wait or go to it, never to the
# middle of the file. Typing goes on once the process is idle again.
previous=-1
for _ in $(seq 1 120); do
  sleep 0.5
  used=$(awk '{print $14 + $15}' "/proc/$app/stat")
  [[ "$used" == "$previous" ]] && break
  previous=$used
done
xdotool type --delay 20 "TAIL"
before=$(stat -c '%s %Y' "$log")
xdotool key ctrl+s
if wait_for_change "$log" "$before" 60; then
  sleep 1
  if [[ "$(tail -c 17 "$log")" == "the last lineTAIL" ]] &&
     cmp -s <(head -c "$(stat -c %s "$work/original.log")" "$log") "$work/original.log"; then
    pass "TAIL saved at the end of the file, the rest unchanged"
  else
    fail "the file ends with '$(tail -c 30 "$log")'"
  fi
else
  fail "nothing was saved"
fi
stop

echo "== 2. The file cut by another program while Ctrl+S reads it"
cut="$work/cut.log"
head -c 400000000 "$work/original.log" > "$cut"
ln "$cut" "$work/cut-link.log"
start "$cut"
sleep 2
xdotool type --delay 20 "X"
xdotool key ctrl+s
sleep 0.05
truncate -s 100000000 "$cut"
box=$(message_box 30)
if [[ -n "$box" ]]; then
  pass "the program says why, or asks first: a message box shows"
  xwd -id "$box" -out "$work/message.xwd" 2>/dev/null
  answer "$box" Escape
else
  fail "no message"
fi
sleep 1
if [[ $(stat -c %s "$cut") -le 100000001 ]] && ! cmp -s <(head -c 1000000 /dev/zero) <(tail -c 1000000 "$cut"); then
  pass "the cut file was not written with zeros ($(stat -c %s "$cut") bytes)"
else
  fail "the file holds $(stat -c %s "$cut") bytes; its last megabyte: $(tail -c 1000000 "$cut" | tr -d '\0' | wc -c) not zero"
fi
kill -0 "$app" 2>/dev/null && pass "the program is still running" || fail "the program ended"
stop

echo "== 3. 64 bytes written into the middle of the open file"
middle="$work/middle.log"
head -c 100000000 "$work/original.log" > "$middle"
start "$middle"
sleep 1
xdotool type --delay 20 "Y"
python3 -c "
import os
fd = os.open('$middle', os.O_WRONLY)
os.pwrite(fd, b'Z' * 64, 50000000)
os.close(fd)"
cp "$middle" "$work/middle-written.log"
expect_box "the change is told at once" "the change was not told"
xdotool key ctrl+s
expect_box "a question shows before the save; Enter answers it (No is the default)" "the save asked nothing"
cmp -s "$middle" "$work/middle-written.log" && pass "No left the file as the other program left it" ||
  fail "the file was written"
stop

echo "== 4. Backspace after a selection shrank back to nothing, then Ctrl+C"
crlf="$work/crlf.txt"
printf '\r\n' > "$crlf"
start "$crlf"
for key in Down shift+Up shift+Down BackSpace ctrl+c; do
  xdotool key "$key"
  sleep 0.2
done
sleep 0.5
kill -0 "$app" 2>/dev/null && pass "the program is still running" || fail "the program ended: $(tail -3 "$work/stderr")"
stop

echo "== $failures failed"
exit $((failures > 0))
