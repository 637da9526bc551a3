#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Tamrex.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

# Each line says what needs it.
packages=(
  build-essential cmake ninja-build pkg-config           # the build
  libfreeimage-dev libjpeg-dev libexif-dev libexpected-dev  # photos, their orientation, the error type
  libcli11-dev nlohmann-json3-dev                        # the command line and its JSON
  libsqlite3-dev sqlite3                                 # the count log, backing it up
  libgtest-dev libgmock-dev                              # unit tests
  qt6-base-dev qt6-base-dev-tools libgl-dev              # the window
  fonts-dejavu-core fonts-liberation                     # the window's fonts
  xvfb xauth x11-apps imagemagick                        # screenshots of the window
  poppler-utils                                          # the evidence PDF's test reads it
  valgrind clang libclang-rt-14-dev bc python3           # memcheck, fuzzing, benchmarks, scripts
  dpkg-dev fakeroot file desktop-file-utils man-db groff-base  # the Debian package and its checks
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

# Shortly after a fresh machine boots, Debian's automatic upgrades hold the package
# manager's locks for a few minutes: wait for them rather than fail.
lock_wait=300  # seconds
apt_options=(-o "DPkg::Lock::Timeout=$lock_wait")

# apt-get waits for the dpkg lock as told, but not for the lock of the package lists
# that `update` takes (apt 2.6): that one is waited for here, the same way.
update_package_lists() {
  local log waited=0
  log=$(mktemp)
  trap 'rm -f "$log"' RETURN
  until $sudo env LC_ALL=C apt-get "${apt_options[@]}" update 2>&1 | tee "$log"; do
    if ! grep -q 'Could not get lock' "$log" || [ "$waited" -ge "$lock_wait" ]; then
      return 1
    fi
    if [ "$waited" -eq 0 ]; then
      echo "install-deps.sh: another package manager run holds the package lists; waiting up to ${lock_wait} s" >&2
    fi
    sleep 5
    waited=$((waited + 5))
  done
}

export DEBIAN_FRONTEND=noninteractive
update_package_lists
$sudo apt-get "${apt_options[@]}" install -y --no-install-recommends "${packages[@]}"
