#!/usr/bin/env bash
# Installs the Debian packages Ferrolux needs to build, test and run. Quick when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  libhidapi-dev libinih-dev libnl-route-3-dev
  # log formats: zlib for BLF containers
  zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils imagemagick
  # packaging: icons rendered from SVG, desktop entry and metainfo checks, .deb dependencies, man
  librsvg2-bin desktop-file-utils appstream dpkg-dev file man-db
  # project files: an independent XML reader checks the written declaration; log files: an
  # independent reader and writer of ASC, BLF, TRC and candump logs checks ours
  python3 python3-can
  # signals: an independent DBC decoder the signal tests compare against
  python3-canmatrix
  # SocketCAN against a real kernel CAN stack: a guest of Debian's kernel (downloaded, never
  # installed) under QEMU, with can-utils as the peer
  qemu-system-x86 busybox-static can-utils iproute2 procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
