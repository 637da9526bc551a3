#!/usr/bin/env bash
# Times a count run against its floor (decode, threshold, save) on an 800 x 576 and a
# 4032 x 3024 stack photo, then a batch of 40 photos with -j 1 and -j 2.
# Usage: scripts/bench.sh [BUILD_DIR]   (after scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$(realpath "${1:-build}")/bin"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data"  # the counts made here are no station's: keep them out of its log

"$bin/tamrex-make-photo" --width 800 --height 576 --boards 20 "$scratch/stack-800x576.jpg"
"$bin/tamrex-make-photo" --width 4032 --height 3024 --boards 40 --board-rows 60 --gap-rows 8 \
  --quality 92 "$scratch/stack-4032x3024.jpg"
printf 'BDLINE=320\r\nTHRESHOLD=110\r\nPWIDTH=24\r\n' > "$scratch/small.ini"
printf 'BDLINE=1600\r\nTHRESHOLD=110\r\nPWIDTH=68\r\n' > "$scratch/phone.ini"

echo "== One photo: medians of 15 alternating rounds"
"$bin/tamrex-bench" --ini "$scratch/small.ini" "$scratch/stack-800x576.jpg" | head -n 1
"$bin/tamrex-bench" --ini "$scratch/phone.ini" "$scratch/stack-4032x3024.jpg" | head -n 1
"$bin/tamrex-bench" --ini "$scratch/small.ini" "$scratch/stack-800x576.jpg" "$scratch/stack-4032x3024.jpg" | tail -n 1

echo "== A batch of 40 photos of 800 x 576"
for i in $(seq 1 40); do
  "$bin/tamrex-make-photo" --width 800 --height 576 --boards 20 --seed "$i" "$scratch/batch-$i.jpg"
done
# Medians of five runs each, alternating, so a passing hiccup of the machine does not decide.
batch_seconds() {
  local start end
  start=$(date +%s.%N)
  "$bin/tamrex-count" --ini "$scratch/small.ini" -j "$1" "$scratch"/batch-*.jpg > /dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | sed -n 3p; }
ones=() twos=()
for round in 1 2 3 4 5; do
  ones+=("$(batch_seconds 1)")
  twos+=("$(batch_seconds 2)")
done
one=$(median "${ones[@]}")
two=$(median "${twos[@]}")
printf 'batch -j 1: %.3f s, -j 2: %.3f s, speed-up %.2f (medians of 5)\n' "$one" "$two" "$(echo "$one / $two" | bc -l)"

echo "== The count log: the same batch with -j 2, with the log and with --no-log"
# Processor time of the program and its threads, which a busy machine blurs less than it
# does the wall clock; medians of nine alternating runs.
python3 - "$bin/tamrex-count" "$scratch" <<'PY'
import glob, resource, statistics, subprocess, sys
program, scratch = sys.argv[1], sys.argv[2]
photos = sorted(glob.glob(scratch + "/batch-*.jpg"))

def seconds(*options):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run([program, "--ini", scratch + "/small.ini", "-j", "2", *options, *photos],
                   stdout=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime

runs = [(seconds("--log", scratch + "/counts.sqlite"), seconds("--no-log")) for _ in range(9)]
logged, unlogged = (statistics.median(times) for times in zip(*runs))
print(f"processor time with the log {logged:.3f} s, --no-log {unlogged:.3f} s, ratio {logged / unlogged:.3f}")
PY
