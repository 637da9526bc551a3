#!/usr/bin/env bash
# Where a count spends its time, stage by stage, on an 800 x 576 and a 4032 x 3024 stack
# photo, beside the image library's floor (load, threshold, crop, save): processor time
# from tamrex-bench, medians of alternating rounds; with --instructions, the instructions
# of each stage under callgrind instead, which do not change with whatever else the
# machine runs.
# Usage: scripts/bench-stages.sh [--instructions] [--rounds N] [BUILD_DIR]   (after scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
instructions=false rounds=15 build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --instructions) instructions=true; shift ;;
    --rounds) rounds="$2"; shift 2 ;;
    -h|--help) sed -n '2,7s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) build="$1"; shift ;;
  esac
done
bin="$(realpath "$build")/bin"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$bin/tamrex-make-photo" --width 800 --height 576 --boards 20 "$scratch/stack-800x576.jpg"
"$bin/tamrex-make-photo" --width 4032 --height 3024 --boards 40 --board-rows 60 --gap-rows 8 \
  --quality 92 "$scratch/stack-4032x3024.jpg"
printf 'BDLINE=320\r\nTHRESHOLD=110\r\nPWIDTH=24\r\n' > "$scratch/small.ini"
printf 'BDLINE=1600\r\nTHRESHOLD=110\r\nPWIDTH=68\r\n' > "$scratch/phone.ini"

# Each dump callgrind writes at a stage's end holds that stage alone; its name says which.
instructions_of() {
  local photo="$1" ini="$2"
  rm -f "$scratch"/callgrind.*
  valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.%p" \
    "$bin/tamrex-bench" --ini "$ini" "$photo" > /dev/null 2> "$scratch/valgrind.log" ||
    { cat "$scratch/valgrind.log" >&2; exit 1; }
  echo "$(basename "$photo"): instructions by stage, millions"
  for dump in $(cd "$scratch" && ls callgrind.*.* | sort -t. -k3 -n); do
    awk '/^desc: Trigger: Client Request: / { sub(/^desc: Trigger: Client Request: /, ""); name = $0 }
         /^totals: / { print name "\t" $2 }' "$scratch/$dump"
  done | awk -F'\t' '
    { split($1, part, ": "); what[NR] = part[1]; stage[NR] = part[2]; count[NR] = $2; whole[part[1]] += $2 }
    END {
      for (i = 1; i <= NR; ++i) {
        if (what[i] != what[i - 1]) printf " %s\n", what[i]
        printf "  %-16s %9.2f %6.1f%%\n", stage[i], count[i] / 1e6, 100 * count[i] / whole[what[i]]
        if (what[i] != what[i + 1]) printf "  %-16s %9.2f\n", "whole", whole[what[i]] / 1e6
      }
      printf " count / floor %.3f\n", whole["count"] / whole["floor"]
    }'
}

if $instructions; then
  instructions_of "$scratch/stack-800x576.jpg" "$scratch/small.ini"
  instructions_of "$scratch/stack-4032x3024.jpg" "$scratch/phone.ini"
else
  "$bin/tamrex-bench" --rounds "$rounds" --ini "$scratch/small.ini" "$scratch/stack-800x576.jpg"
  "$bin/tamrex-bench" --rounds "$rounds" --ini "$scratch/phone.ini" "$scratch/stack-4032x3024.jpg"
fi
