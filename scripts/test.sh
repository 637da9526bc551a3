#!/usr/bin/env bash
# Installs what Tamrex needs, builds it and runs every test.
# Usage: scripts/test.sh [PRESET]   (dev, the default, or asan for the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
scripts/install-deps.sh
scripts/build.sh "$preset"
ctest --preset "$preset" -j "$(nproc)"
