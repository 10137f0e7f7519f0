#!/usr/bin/env bash
# The Qt front end keeps the layers of the core: a file under src/LAYER/ui/ may include only its
# own layer, the layers LAYER uses (as CMakeLists.txt lists them), their ui/ folders and the
# platform. app/ui sits on top and may include everything. Prints every include that breaks it.
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
# "layer: used layers..." from the quill_layer(...) calls, which may run over several lines.
uses=$(awk '
  /^quill_layer\(/ { collecting = 1; text = "" }
  collecting { text = text " " $0; if ($0 ~ /\)/) { collecting = 0;
      sub(/^ *quill_layer\(/, "", text); sub(/LIBRARIES.*/, "", text); sub(/\).*/, "", text);
      sub(/ USES /, " ", text); print text } }' "$root/CMakeLists.txt")
status=0
for folder in "$root"/src/*/ui; do
  layer=$(basename "$(dirname "$folder")")
  [[ $layer == app ]] && continue
  allowed=" $(grep -E "^ *$layer " <<<"$uses" | head -1) platform "
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [[ -f $file ]] || continue
    while IFS= read -r included; do
      top=${included%%/*}
      if [[ $allowed != *" $top "* ]]; then
        echo "${file#"$root"/} includes $included: $layer does not use $top"
        status=1
      fi
    done < <(sed -nE 's/^#include "([a-z]+\/[^"]+)".*/\1/p' "$file")
  done
done
[[ $status == 0 ]] && echo "Every ui folder keeps to its layer."
exit $status
