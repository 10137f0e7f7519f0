#!/usr/bin/env bash
# Opens a generated log several times larger than a memory control group's limit, as a user would
# (open, Ctrl+End, Count of a literal, a line typed in the middle, Save), inside that group, and
# checks the results against grep and cmp. Needs root (cgroup v1 memory controller) and a build
# with the tests (quill_large_file_check).
#   tests/large/check-in-memory-group.sh BUILD_DIR [SIZE_GIB=6] [LIMIT=2G] [FOLDER=/tmp]
set -euo pipefail
build=${1:?the build folder}
size_gib=${2:-6}
limit=${3:-2G}
folder=${4:-/tmp}
tool="$build/tests/quill_large_file_check"
group=/sys/fs/cgroup/memory/quill-check-$$
log="$folder/quill-large-$size_gib-gib.log"
work="$folder/quill-large-work.log"
literal="status=timeout"

[[ -x "$tool" ]] || { echo "no $tool: build the tests first" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "the memory control group needs root" >&2; exit 2; }

if [[ ! -f "$log" ]]; then
  echo "== generating $log"
  python3 - "$log" "$size_gib" <<'PY'
import sys
path, size = sys.argv[1], int(sys.argv[2]) << 30
states = ["ok", "ok", "ok", "ok", "ok", "ok", "retry", "timeout"]
with open(path, "w") as out:
    written, i = 0, 0
    while written < size:
        batch = []
        for k in range(i, i + 100000):
            batch.append("2026-12-09 10:%02d:%02d.%03d INFO  [worker-%d] request %010d handled in %d ms status=%s\n"
                         % (k // 60000 % 60, k // 1000 % 60, k % 1000, k % 8, k, k * 7919 % 997, states[k * 31 % 8]))
        i += 100000
        chunk = "".join(batch)
        out.write(chunk)
        written += len(chunk)
PY
fi
cp "$log" "$work"
lines=$(wc -l < "$work")
middle=$((lines / 2))

cleanup() {
  [[ -d "$group" ]] || return 0
  # Processes left in the group go back to the root group, then the group can go.
  while read -r pid; do echo "$pid" > /sys/fs/cgroup/memory/cgroup.procs 2>/dev/null || true; done < "$group/cgroup.procs"
  rmdir "$group"
}
trap cleanup EXIT
mkdir "$group"
echo "$limit" > "$group/memory.limit_in_bytes"
echo "== $(du -h "$work" | cut -f1) log, $lines lines, in a group of $limit"

set +e
out=$(sh -c 'echo $$ > "$1/cgroup.procs"; shift; exec "$@"' sh "$group" "$tool" "$work" "$literal" "$middle")
status=$?
set -e
echo "$out"
echo "group: peak use $(($(cat "$group/memory.max_usage_in_bytes") >> 20)) MiB," \
     "limit reached $(cat "$group/memory.failcnt") times, oom kills: $(grep -c . <(grep -E '^oom_kill [1-9]' "$group/memory.oom_control") || true)"
failed=0
check() { if [[ "$2" == "$3" ]]; then echo "ok   $1: $2"; else echo "FAIL $1: $2, expected $3"; failed=1; fi; }
check "program ended" "$status" 0
check "last line" "$(grep '^last line ' <<< "$out" | cut -c11-)" "$(tail -n 1 "$log")"
check "count" "$(grep '^count ' <<< "$out" | cut -d' ' -f2)" "$(grep -o -F "$literal" "$log" | wc -l)"
if cmp -s "$work" <({ head -n "$middle" "$log"; echo "a line typed in the middle"; tail -n "+$((middle + 1))" "$log"; }); then
  echo "ok   saved file: the expected bytes"
else
  echo "FAIL saved file differs from the expected bytes"; failed=1
fi
rm -f "$work"
exit $failed
