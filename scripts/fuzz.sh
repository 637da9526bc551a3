#!/usr/bin/env bash
# Builds the libFuzzer targets (settings, known counts, corrections file, counting
# stages, JPEG structure) with clang (in build-fuzz) and runs each for SECONDS
# (default 60), one process at a time. Fails when a fuzzer finds a crash, a
# sanitizer report, a broken invariant, a leak or a hang; the input that caused it
# is kept in build-fuzz/crashes/. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing; scripts/install-deps.sh must install clang and libclang-rt-14-dev" >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTAMREX_FUZZ=ON -DTAMREX_BUILD_WINDOW=OFF \
  -DTAMREX_BUILD_TESTS=OFF -DTAMREX_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target tamrex-fuzz-settings tamrex-fuzz-known-counts tamrex-fuzz-corrections \
  tamrex-fuzz-stages tamrex-fuzz-jpeg

mkdir -p build-fuzz/crashes
failed=0
for name in settings known-counts corrections stages jpeg; do
  # New inputs go to the first folder; the seeds in the repository stay untouched.
  mkdir -p "build-fuzz/corpus/$name"
  log="build-fuzz/fuzz-$name.log"
  status=0
  build-fuzz/bin/tamrex-fuzz-$name -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$name-" \
    "build-fuzz/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  # A fuzzer that fails at once prints no coverage, which must not end the script.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  if [ "$status" -eq 0 ]; then
    echo "fuzz $name: ${runs:-?} executions in ${took:-?} s, ${coverage:-cov: ?}, no crash"
  else
    failed=1
    echo "fuzz $name: FAILED after ${runs:-?} executions (exit $status); input and log:"
    ls build-fuzz/crashes/"$name"-* 2>/dev/null || true
    grep -E 'invariant broken|ERROR: |SUMMARY: |runtime error' "$log" | head -n 20 || true
    echo "  full log: $log; replay with: build-fuzz/bin/tamrex-fuzz-$name INPUT"
  fi
done
exit "$failed"
