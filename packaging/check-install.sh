#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs: program, data, desktop
# entry (valid), icons, metainfo, man page; the installed program starts and prints.
# Usage: check-install.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1
prefix=$2/prefix
rm -rf "$2"
mkdir -p "$2"
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/quillarium share/applications/quillarium.desktop \
    share/icons/hicolor/scalable/apps/quillarium.svg share/icons/hicolor/48x48/apps/quillarium.png \
    share/icons/hicolor/256x256/apps/quillarium.png share/metainfo/io.github.quillarium.Quillarium.metainfo.xml \
    share/man/man1/quillarium.1; do
  [[ -s "$prefix/$file" ]] || { echo "not installed: $file" >&2; exit 1; }
done
ls "$prefix"/share/quillarium/QVXData/* >/dev/null
desktop-file-validate "$prefix/share/applications/quillarium.desktop"

"$prefix/bin/quillarium" --version | grep -q '^Quillarium '
printf 'first line\nsecond line\n' >"$2/in.txt"
env -u QUILLARIUM_DATA HOME="$2/home" XDG_CONFIG_HOME="$2/home/.config" \
  "$prefix/bin/quillarium" --print-pdf "$2/out.pdf" "$2/in.txt"
[[ -s "$2/out.pdf" ]]
echo "installed and checked in $prefix"
