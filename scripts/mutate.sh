#!/usr/bin/env bash
# Plants hand-written faults in the code one at a time and tells, for each, whether the
# tests catch it: a fault they let through marks a gap in the suite. A tool for
# developers, not a CI step.
#
# Usage: scripts/mutate.sh [FAULT...]
#   FAULT is a patch file or the name of one in tests/faults/ (without .patch);
#   without one, every patch there is tried.
#
# A fault is a patch of a few lines of production code, made wrong as a person might
# make it, with "#" lines on top: what real mistake it stands for, and
# "# Suites: NAME..." for the test programs that should catch it.
#
# The sources are copied to build-mutate/src (only what changed since the last run)
# and built in build-mutate/build with the dev preset's settings; for each fault only
# the programs it names are built and run, under ctest and its time limits. The
# working tree and build/ are never touched. The copy is put back after every fault,
# also when the run is interrupted, and brought up to date with the working tree
# (uncommitted changes included) on every start. Logs are in build-mutate/logs/.
#
# Exit status: 0 when every fault was caught, 1 when one was missed, did not apply or
# did not build, or when the tests fail without any fault; 2 on a usage error.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out="$root/build-mutate"
mirror="$out/src"
build="$out/build"
logs="$out/logs"
backup="$out/backup"
jobs=$(nproc)
# A hang fails after this many seconds: the slowest test takes a few of them, also on a
# busy machine.
timeout=60

usage() {
  echo "usage: scripts/mutate.sh [FAULT...]  (a patch file, or the name of one in tests/faults/)" >&2
  exit 2
}

faults=()
if [ $# -eq 0 ]; then
  faults=("$root"/tests/faults/*.patch)
  [ -e "${faults[0]}" ] || { echo "mutate: no faults in tests/faults/" >&2; exit 2; }
fi
for fault in "$@"; do
  case "$fault" in -h|--help) usage ;; esac
  if [ -f "$fault" ]; then
    faults+=("$(realpath "$fault")")
  elif [ -f "tests/faults/$fault.patch" ]; then
    faults+=("$root/tests/faults/$fault.patch")
  else
    echo "mutate: no fault '$fault': name a patch file or one of tests/faults/*.patch" >&2
    exit 2
  fi
done

suites_of() {
  sed -n 's/^# Suites: *//p' "$1" | head -n 1
}

for fault in "${faults[@]}"; do
  if [ -z "$(suites_of "$fault")" ]; then
    echo "mutate: $fault names no test programs: add a line '# Suites: NAME...'" >&2
    exit 2
  fi
done

scripts/install-deps.sh >/dev/null

# The copy follows the working tree; a changed file gets a fresh time, so that the
# build sees it.
sync_mirror() {
  local file
  declare -A listed
  mkdir -p "$mirror"
  while IFS= read -r -d '' file; do
    [ -f "$file" ] || continue  # removed from the working tree, not yet from the index
    listed["$file"]=1
    if ! cmp -s "$file" "$mirror/$file"; then
      mkdir -p "$(dirname "$mirror/$file")"
      cp --preserve=mode "$file" "$mirror/$file"
    fi
  done < <(git ls-files -z --cached --others --exclude-standard)
  while IFS= read -r -d '' file; do
    file=${file#./}
    [ -n "${listed[$file]:-}" ] || rm -f "$mirror/$file"
  done < <(cd "$mirror" && find . -type f -print0)
}

# git apply outside a repository works as patch does; the ceiling keeps it from taking
# the working tree's repository for the copy's.
apply() {
  GIT_CEILING_DIRECTORIES="$out" git -C "$mirror" apply "$@"
}

planted=""
restore() {
  [ -n "$planted" ] || return 0
  local file
  while IFS= read -r file; do
    if [ -f "$backup/$file" ]; then
      cp --preserve=mode "$backup/$file" "$mirror/$file"  # a fresh time: the build must see it
    else
      rm -f "$mirror/$file"
    fi
  done < <(apply --numstat "$planted" | cut -f 3)
  rm -rf "$backup"
  planted=""
}
trap restore EXIT
trap 'restore; echo; echo "mutate: interrupted; the copy is restored" >&2; exit 130' INT TERM HUP

plant() {
  local file
  rm -rf "$backup"
  planted="$1"
  while IFS= read -r file; do
    if [ -f "$mirror/$file" ]; then
      mkdir -p "$(dirname "$backup/$file")"
      cp --preserve=mode "$mirror/$file" "$backup/$file"
    fi
  done < <(apply --numstat "$1" | cut -f 3)
  apply "$1"
}

# Configures the copy's build once; later runs only build what changed.
configure() {
  local launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  (cd "$mirror" && cmake --preset dev -B "$build" -DTAMREX_BUILD_BENCH=OFF -DTAMREX_TEST_TIMEOUT="$timeout" \
    "${launcher[@]}") >"$logs/configure.log" 2>&1 || {
    echo "mutate: the copy does not configure; see $logs/configure.log" >&2
    exit 1
  }
}

build_suites() {
  # shellcheck disable=SC2086  # the suites are words
  cmake --build "$build" -j "$jobs" --target $1 >"$2" 2>&1
}

# Runs the suites' tests; prints the failed ones, one "NAME (HOW)" a line.
run_suites() {
  local labels
  labels="^($(echo "$1" | tr -s ' ' '|'))\$"
  ctest --test-dir "$build" -L "$labels" -j "$jobs" --no-tests=error --output-on-failure >"$2" 2>&1 || true
  sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \(.*\)$/\1/p' "$2"
  if ! grep -q '^The following tests FAILED:\|tests passed' "$2"; then echo "ctest itself (see $2)"; fi
}

seconds_since() {
  echo $(($(date +%s) - $1))
}

started=$(date +%s)
mkdir -p "$logs"
sync_mirror
configure

all_suites=$(for fault in "${faults[@]}"; do suites_of "$fault"; done | tr ' ' '\n' | sed '/^$/d' | sort -u | tr '\n' ' ')
echo "mutate: building and running $all_suites without a fault first"
if ! build_suites "$all_suites" "$logs/baseline.build.log"; then
  echo "mutate: the sources do not build; see $logs/baseline.build.log" >&2
  exit 1
fi
failed=$(run_suites "$all_suites" "$logs/baseline.test.log")
if [ -n "$failed" ]; then
  echo "mutate: these tests fail without any fault, so no fault can be judged (see $logs/baseline.test.log):" >&2
  echo "$failed" | sed 's/^/  /' >&2
  exit 1
fi

caught=0 missed=0 skipped=0 number=0
for fault in "${faults[@]}"; do
  number=$((number + 1))
  name=$(basename "$fault" .patch)
  suites=$(suites_of "$fault")
  label=$(printf '[%2d/%d] %s' "$number" "${#faults[@]}" "$name")
  fault_started=$(date +%s)
  if ! apply --check "$fault" 2>"$logs/$name.apply.log"; then
    echo "$label: does not apply (the code it breaks has changed; see $logs/$name.apply.log)"
    skipped=$((skipped + 1))
    continue
  fi
  plant "$fault"
  if ! build_suites "$suites" "$logs/$name.build.log"; then
    restore
    echo "$label: does not build (see $logs/$name.build.log)"
    skipped=$((skipped + 1))
    continue
  fi
  failed=$(run_suites "$suites" "$logs/$name.test.log")
  restore
  took="$(seconds_since "$fault_started") s"
  if [ -z "$failed" ]; then
    echo "$label: MISSED by $suites ($took)"
    missed=$((missed + 1))
    continue
  fi
  caught=$((caught + 1))
  first=$(echo "$failed" | head -n 1)
  more=$(($(echo "$failed" | wc -l) - 1))
  how="caught by $first"
  [ "$more" -eq 0 ] || how="$how and $more more"
  if ! echo "$failed" | grep -qv '(Timeout)$'; then how="caught only by the time limit: $first"; fi
  echo "$label: $how ($took)"
done

total=$(seconds_since "$started")
echo "mutate: ${#faults[@]} faults: $caught caught, $missed missed, $skipped not tried" \
  "in $((total / 60)) min $((total % 60)) s"
[ "$missed" -eq 0 ] && [ "$skipped" -eq 0 ]
