#!/usr/bin/env bash
# Installs the Debian packages Quillarium needs to build, test and run; does nothing when they are
# all there. Runs as root, or through sudo where that is available. With --bench it also installs
# the tools the benchmarks compare the program with (ripgrep), and the X tools of the quit timing
# and of the scripted checks in tests/large (a display, a window manager, keys, the clipboard); the
# program never needs them.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev libgl-dev
  libboost-regex-dev libicu-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  qt6-svg-dev poppler-utils desktop-file-utils
  zlib1g-dev liblzma-dev libzstd-dev libbz2-dev
  gzip xz-utils zstd bzip2
)
# Hyperscan runs on x86-64 only; elsewhere its portable fork gives the same library.
if [[ $(dpkg --print-architecture) == amd64 ]]; then packages+=(libhyperscan-dev); else packages+=(libvectorscan-dev); fi
# bench/quit-time.sh and tests/large/check-at-the-seams.sh drive a real window: an X server, a window
# manager, a key sender, the clipboard and window dumps.
[[ "${1:-}" == "--bench" ]] && packages+=(ripgrep xvfb openbox xdotool xclip x11-apps)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Please run as root to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
