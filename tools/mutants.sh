#!/bin/bash
# Plants one-line faults (tools/mutants.txt), one at a time, in a scratch copy of this
# worktree and its build, and records which of them the tests catch.
#   tools/mutants.sh TESTS_DIR OUT [SCRATCH]
#   TESTS_DIR  the tests/ folder to judge; copied into the scratch copy
#   OUT        receives one "caught|missed|no-build|not-applied<TAB>name" line a fault
#   SCRATCH    where the copy goes (default /tmp/orvessa-mutants)
# MUTANTS=/path/list runs another list of faults in the format of tools/mutants.txt.
# The build tree names its sources by absolute path, so the copy is mounted over the
# worktree in a mount namespace of its own (needs root): the worktree is never changed,
# and what is built already is reused.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${MUTANTS_INSIDE:-}" ]; then
  tests=$(realpath "$1") out=$(realpath -m "$2") scratch=${3:-/tmp/orvessa-mutants}
  [ -f "$repo/build/default/build.ninja" ] || { echo "build $repo first" >&2; exit 1; }
  mkdir -p "$scratch"
  rsync -a --delete --exclude .git --exclude build/release "$repo/" "$scratch/"
  if ! diff -rq "$tests" "$repo/tests" >/dev/null; then
    rsync -a --delete "$tests/" "$scratch/tests/"
    # Newer than every object, so the tests judged are the ones built.
    find "$scratch/tests" -type f -exec touch {} +
  fi
  exec env MUTANTS_INSIDE=1 unshare -m bash -c \
    'mount --bind "$1" "$2" && exec "$2/tools/mutants.sh" "$3"' _ "$scratch" "$repo" "$out"
fi

out=$1 logs=$1.logs
cd "$repo" || exit 1
list=${MUTANTS:-tools/mutants.txt} # another list of faults, as an absolute path
: >"$out"
mkdir -p "$logs"
# Every test named must pass before a fault is planted, or a failure would prove nothing.
all_targets=$(grep -v '^#' "$list" | cut -d'@' -f4 | tr ' ' '\n' | sort -u | tr '\n' ' ')
nice cmake --build build/default -j2 --target $all_targets >"$logs/baseline" 2>&1 ||
  { echo "the tests do not build: see $logs/baseline" >&2; exit 1; }
# CTest's expressions take few groups: the tests by name, one expression each.
all_tests=$(grep -v '^#' "$list" | cut -d'@' -f5 | while read -r regex; do
  ctest --test-dir build/default -N -R "$regex" | sed -n 's/^ *Test *#[0-9]*: \(.*\)$/^\1$/p'
done | sort -u | paste -sd'|')
[ -n "$all_tests" ] && ctest --test-dir build/default -j2 -R "$all_tests" >>"$logs/baseline" 2>&1 ||
  { echo "the tests fail without a fault: see $logs/baseline" >&2; exit 1; }
while IFS='@' read -r name file expr targets regex; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  cp "$file" "$file.orig"
  sed -i -e "$expr" "$file"
  log=$logs/$name
  if cmp -s "$file" "$file.orig"; then
    result=not-applied
  elif ! nice cmake --build build/default -j2 --target $targets >"$log" 2>&1; then
    result=no-build
  elif ctest --test-dir build/default -j2 --stop-on-failure -R "$regex" >>"$log" 2>&1; then
    result=missed
  else
    result=caught
  fi
  mv "$file.orig" "$file"
  touch "$file" # newer than the mutant's objects, so it is built again
  printf '%s\t%s\n' "$result" "$name" | tee -a "$out"
done <"$list"
