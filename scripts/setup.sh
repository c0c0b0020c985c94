#!/usr/bin/env bash
# Shared set-up of play.sh and test.sh: installs what a fresh Debian 12 machine
# lacks (only packages that are missing) and builds Tessaron into build/.
# Usage: scripts/setup.sh [build|test]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=${1:-build}

build_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libsdl2-dev libfluidsynth-dev timgm6mb-soundfont libxtst-dev libfontconfig-dev libxcb1-dev
  fonts-dejavu-core qt6-translations-l10n qt6-websockets-dev libicu-dev
)
test_packages=(
  python3 qt6-base-private-dev xvfb xauth xdotool openbox wmctrl imagemagick poppler-utils e2fsprogs
  desktop-file-utils appstream dpkg-dev lintian
  clang libfuzzer-14-dev libclang-rt-14-dev
  at-spi2-core python3-pyatspi dbus-x11 fonts-wqy-microhei
  weston qt6-wayland python3-xlib python3-pil x11-utils gdb gettext
  avahi-daemon avahi-utils iproute2
)

packages=("${build_packages[@]}")
if [ "$mode" = test ]; then
  packages+=("${test_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ "$mode" = test ]; then
  cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
  cmake --build "$here/build" -j"$(nproc)"
else
  # Playing needs only the game: no tests, and none of their packages.
  cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$here/build" -j"$(nproc)" --target tessaron
fi
