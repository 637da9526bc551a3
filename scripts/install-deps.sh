#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Tamrex.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libfreeimage-dev
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-dejavu-core fonts-liberation
  xvfb xauth x11-apps imagemagick
  valgrind clang libclang-rt-14-dev bc
  python3
  dpkg-dev fakeroot desktop-file-utils man-db groff-base
)

if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi

if ! dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -qv '^install ok installed$' \
   && [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | wc -l)" -eq "${#packages[@]}" ]; then
  echo "All build packages are already installed."
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${packages[@]}"
