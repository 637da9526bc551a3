#!/usr/bin/env bash
# Installs what Tamrex needs, builds it and counts the sample photos: in the window
# when a display is available, and always on the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh dev

echo
echo "== Counting the sample photos with tamrex-count"
(cd samples && ../build/bin/tamrex-count ./*.jpg)

if [ -n "${DISPLAY:-}" ] && [ -x build/bin/tamrex ]; then
  echo
  echo "== Opening the window on the sample photos: pick a photo in the list"
  (cd samples && exec ../build/bin/tamrex)
fi
