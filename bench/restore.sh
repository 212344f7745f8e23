#!/usr/bin/env bash
# Times getting files back out of a destination with 30 copies of a 20 000-file tree:
# listing the copies, a name search across all of them (first result and all), the
# versions of one file and restoring a whole folder, against ls, find, du -sb and cp -a on
# the same copies; and the search's peak memory with 3 and with 30 copies.
#   bench/restore.sh [BUILD_DIR [WORK_ROOT]]
set -euo pipefail
shopt -s inherit_errexit
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$repo/build/default}")
run_bin=$build/app/orvessa-run
[ -x "$run_bin" ] || {
  echo "missing $run_bin: cmake --build $build --target orvessa-run" >&2
  exit 1
}
work=$(realpath "${2:-$build}")/orvessa-restore-bench
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
. "$repo/bench/lib.sh"

copies=${COPIES:-30}
src=$work/src dest=$work/dest job=$work/bench.cop
mkdir -p "$src" "$dest"
make_tree "$src" 200 20000 100 4000
write_job "$job" "$dest" "$src" 99
echo "making $copies copies of 20000 files (100 files change between two)..."
for n in $(seq 1 "$copies"); do
  for i in $(seq "$n" 200 20000); do echo "day $n" >>"$src/d$((i % 200))/f$i" 2>/dev/null || true; done
  "$run_bin" --quiet "$job" >/dev/null
done
ls "$dest" | grep -c '^Copy' | xargs echo "copies made:"

list=$(seconds "$run_bin" --list-copies "$job")
ls_t=$(seconds ls -l "$dest")
first_result() { # the time until the search prints its first line
  local start end
  start=$(now_ns)
  { "$run_bin" --search "$job" f1999 || true; } | head -n 1 >/dev/null
  end=$(now_ns)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}
first=$(first_result)
search=$(seconds "$run_bin" --search "$job" f1999)
found=$("$run_bin" --search "$job" f1999 | wc -l)
find_t=$(seconds find "$dest" -iname '*f1999*')
du_t=$(seconds du -sb "$dest")
versions=$(seconds "$run_bin" --versions "$job" "$src/d7/f7")
restore=$(seconds "$run_bin" --restore "$job" --copy Copy01 "$src" --to "$work/out")
cp_t=$(seconds cp -a "$dest/Copy01/src" "$work/out-cp")

printf '%-32s %8s %8s %8s\n' "" orvessa other ratio
printf '%-32s %8s %8s %8s\n' "list $copies copies (vs ls -l)" "$list" "$ls_t" "$(ratio "$list" "$ls_t")"
printf '%-32s %8s\n' "search: first result" "$first"
printf '%-32s %8s %8s %8s\n' "search: all $found (vs find)" "$search" "$find_t" "$(ratio "$search" "$find_t")"
printf '%-32s %8s %8s %8s\n' "search: all (vs du -sb)" "$search" "$du_t" "$(ratio "$search" "$du_t")"
printf '%-32s %8s\n' "versions of one file" "$versions"
printf '%-32s %8s %8s %8s\n' "restore 20000 files (vs cp -a)" "$restore" "$cp_t" "$(ratio "$restore" "$cp_t")"

if [ -x /usr/bin/time ]; then
  mem() { /usr/bin/time -f %M "$run_bin" --search "$@" 2>&1 >/dev/null | tail -n 1; }
  all_kb=$(mem "$job" f1999)
  # The same search over the three newest copies only: another destination of links.
  mkdir -p "$work/three"
  for c in $(ls "$dest" | grep '^Copy' | tail -n 3); do cp -al "$dest/$c" "$work/three/$c"; done
  write_job "$work/three.cop" "$work/three" "$src" 99
  three_kb=$(mem "$work/three.cop" f1999)
  echo "search peak memory: $three_kb KiB with 3 copies, $all_kb KiB with $copies"
fi
