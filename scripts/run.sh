#!/usr/bin/env bash
# Installs what Tamrex needs, builds it and counts the sample photos: in the window
# when a display is available, and always on the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh dev

# Work on a copy, so that the line map each count writes (test.bmp) stays out of samples/.
bin="$(pwd)/build/bin"
folder=$(mktemp -d -t tamrex-samples-XXXXXX)
trap 'rm -rf "$folder"' EXIT  # the copies and their line maps go when the script ends
cp samples/*.jpg "$folder"
export XDG_DATA_HOME="$folder/.data"  # counts of samples stay out of the user's count log
cd "$folder"

echo
echo "== Counting the sample photos with tamrex-count (in $folder)"
"$bin/tamrex-count" -- *.jpg

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "== Opening the window on the sample photos: pick a photo in the list"
  "$bin/tamrex"
fi
