#!/usr/bin/env bash
# Runs tamrex-count under valgrind memcheck on a counted photo and on every kind of
# refusal, and fails on any memory error or leak. Usage: scripts/memcheck.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$(realpath "${1:-build}")/bin"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data"  # the counts made here are no station's: keep them out of its log

head -c "$(( $(stat -c %s samples/stack_a.jpg) / 2 ))" samples/stack_a.jpg > "$scratch/truncated.jpg"
echo "not a photo" > "$scratch/text.jpg"
: > "$scratch/empty.jpg"
python3 - "$scratch/bomb.jpg" <<'PY'
import sys
data = bytearray(open("samples/stack_d.jpg", "rb").read())
frame = data.find(b"\xff\xc0")
data[frame + 5:frame + 9] = bytes([0xFF, 0xDC, 0xFF, 0xDC])  # claims 65500 x 65500
open(sys.argv[1], "wb").write(data)
PY

check() {
  local what="$1"; shift
  if valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
       --show-leak-kinds=definite,indirect "$bin/tamrex-count" --ini Tamrex.ini "$@" >/dev/null 2>"$scratch/log"; then
    status=0
  else
    status=$?
  fi
  if [ "$status" -eq 99 ]; then
    cat "$scratch/log"
    echo "memcheck: FAILED on $what"
    exit 1
  fi
  echo "memcheck: clean on $what (exit status $status)"
}

check "a counted photo with its line map" --line-map "$scratch/map.bmp" samples/stack_b.jpg
check "a batch on two threads" -j 2 samples/*.jpg
check "a missing photo" "$scratch/absent.jpg"
check "a text file named .jpg" "$scratch/text.jpg"
check "an empty file" "$scratch/empty.jpg"
check "a truncated photo" "$scratch/truncated.jpg"
check "a decompression bomb" "$scratch/bomb.jpg"
check "a threshold out of range" --threshold 300 samples/stack_a.jpg
check "a line map that cannot be written" --line-map "$scratch/missing/map.bmp" samples/stack_a.jpg
