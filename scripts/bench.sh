#!/usr/bin/env bash
# Times whole count processes, in one run and alternating round by round: a count of an
# 800 x 576 and of a 4032 x 3024 stack photo against the image library's floor (load,
# threshold, crop, save), in processor time; with --against, today's build against a
# build of an older commit, so that a regression shows as a ratio; and batches with -j 1
# and -j 2 against two floor processes one after the other and side by side; and a batch
# with the count log against one with --no-log.
# Usage: scripts/bench.sh [--against COMMIT] [--rounds N] [BUILD_DIR]   (after scripts/build.sh)
# The older build is made once in a scratch worktree and kept in
# ${TMPDIR:-/tmp}/tamrex-bench-builds/COMMIT for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
against="" rounds=21 build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --against) against="$2"; shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    -h|--help) sed -n '2,10s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) build="$1"; shift ;;
  esac
done
bin="$(realpath "$build")/bin"
for program in tamrex-count tamrex-floor tamrex-make-photo; do
  [ -x "$bin/$program" ] || { echo "bench.sh: $bin/$program is missing: build first (scripts/build.sh)" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data"  # the counts made here are no station's: keep them out of its log

# Builds tamrex-count of an older commit once, in a worktree of its own, and prints its path.
older_count() {
  local commit cache tree
  commit=$(git rev-parse --verify --quiet "$1^{commit}") ||
    { echo "bench.sh: no commit named '$1' in this repository" >&2; exit 1; }
  cache="${TMPDIR:-/tmp}/tamrex-bench-builds/$commit"
  if [ ! -x "$cache/tamrex-count" ]; then
    tree="$scratch/older"
    git worktree add --detach --quiet "$tree" "$commit"
    local launcher=()
    command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMREX_BUILD_WINDOW=OFF \
      -DTAMREX_BUILD_TESTS=OFF -DTAMREX_BUILD_BENCH=OFF "${launcher[@]}" >&2
    cmake --build "$tree/build" --target tamrex-count >&2
    mkdir -p "$cache"
    cp "$tree/build/bin/tamrex-count" "$cache/tamrex-count"
    git worktree remove --force "$tree"
  fi
  echo "$cache/tamrex-count"
}

older=()
if [ -n "$against" ]; then
  older=(--older "$(older_count "$against")" --older-name "$against")
fi

"$bin/tamrex-make-photo" --width 800 --height 576 --boards 20 "$scratch/stack-800x576.jpg"
"$bin/tamrex-make-photo" --width 4032 --height 3024 --boards 40 --board-rows 60 --gap-rows 8 \
  --quality 92 "$scratch/stack-4032x3024.jpg"
printf 'BDLINE=320\r\nTHRESHOLD=110\r\nPWIDTH=24\r\n' > "$scratch/small.ini"
printf 'BDLINE=1600\r\nTHRESHOLD=110\r\nPWIDTH=68\r\n' > "$scratch/phone.ini"
for i in $(seq 1 40); do
  "$bin/tamrex-make-photo" --width 800 --height 576 --boards 20 --seed "$i" "$scratch/batch-small-$(printf %02d "$i").jpg"
done
for i in $(seq 1 8); do
  "$bin/tamrex-make-photo" --width 4032 --height 3024 --boards 40 --board-rows 60 --gap-rows 8 --quality 92 \
    --seed "$i" "$scratch/batch-phone-$i.jpg"
done

python3 bench/processes.py --bin "$bin" --scratch "$scratch" --rounds "$rounds" --threshold 110 "${older[@]}"
