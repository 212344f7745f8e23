#!/usr/bin/env bash
# Times orvessa-run against cp -a and rsync -a, the folder size against du -sb, and
# measures the run's peak memory for a small and a large tree.
#   bench/run.sh [BUILD_DIR [WORK_ROOT]]
#     BUILD_DIR defaults to build/default; it must hold app/orvessa-run and
#     bench/orvessa-folder-size. WORK_ROOT (default BUILD_DIR) is where the trees and
#     their copies go, e.g. /dev/shm to leave the disk's write-back out of the figures.
set -euo pipefail
shopt -s inherit_errexit
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$repo/build/default}")
run_bin=$build/app/orvessa-run
size_bin=$build/bench/orvessa-folder-size
for bin in "$run_bin" "$size_bin"; do
  if [ ! -x "$bin" ]; then
    echo "missing $bin: cmake --build $build --target orvessa-run orvessa-folder-size" >&2
    exit 1
  fi
done

# Everything on the build dir's file system, so every tool copies within one disk.
work=$(realpath "${2:-$build}")/orvessa-bench-work
rm -rf "$work"
mkdir -p "$work"
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT

# The run's own home, settings and program folder: the user's are never touched.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

have_rsync=1
command -v rsync >/dev/null || {
  have_rsync=0
  echo "note: rsync is not installed (Debian package rsync); its comparison is skipped"
}
have_time=1
[ -x /usr/bin/time ] || {
  have_time=0
  echo "note: /usr/bin/time is missing (Debian package time); the memory part is skipped"
}

. "$repo/bench/lib.sh"

# Runs the job into a fresh destination; the copy must end normally.
orvessa_into() { # source_folder destination
  rm -rf "$2"
  mkdir -p "$2"
  write_job "$work/bench.cop" "$2" "$1"
  "$run_bin" "$work/bench.cop" >/dev/null || {
    echo "orvessa-run failed on $1 (exit $?)" >&2
    exit 1
  }
}
# Each tool's copy counts once it is on the disk, as orvessa-run's own (it syncs).
cp_into() { rm -rf "$2" && cp -a "$1" "$2" && sync -f "$2"; }
rsync_into() { rm -rf "$2" && rsync -a "$1/" "$2/" && sync -f "$2"; }

# Every tool copies the tree five times, the tools taking turns, after one untimed
# warm-up each; the disk's write-back of one copy is finished before the next starts.
# Prints "tool seconds" lines with each tool's median.
timed_turns() { # source target tool...
  local src=$1 target=$2 tool rep
  shift 2
  for tool in "$@"; do
    "$tool" "$src" "$target" >/dev/null
  done
  for rep in 1 2 3 4 5; do
    for tool in "$@"; do
      rm -rf "$target"
      sync
      echo "$tool $(seconds "$tool" "$src" "$target")"
    done
  done | awk '{ t[$1] = t[$1] " " $2 } END { for (k in t) print k, t[k] }' |
    while read -r tool times; do echo "$tool $(tr ' ' '\n' <<<"$times" | median)"; done
}
median_of_3() { # tool source target
  timed_turns "$2" "$3" "$1" | awk '{ print $2 }'
}

echo "Orvessa benchmarks on $(df -P "$work" | awk 'NR == 2 { print $1 }'), $(nproc) cores"
echo "work folder $work (removed at the end); times are medians of 5 taken in turns after one warm-up"
echo "cp -a and rsync -a are each followed by sync -f on their target, as orvessa-run syncs its copy"
echo

# On a memory file system the first touch of memory the machine has never used costs
# far more than reuse (seen on virtual machines); touch it once so no tool pays for it.
if [ "$(stat -f -c %T "$work")" = tmpfs ]; then
  head -c 2G /dev/zero >"$work/touch" && rm "$work/touch"
fi

mkdir "$work/A" "$work/B" "$work/empty"
make_tree "$work/A" 200 20000 1024 8192
for i in 0 1 2 3 4 5 6 7; do head -c 64M /dev/urandom >"$work/B/big$i.bin"; done

# The run waits 2 s for the drive before each folder entry, by design. The same job on
# an empty folder measures that fixed part, which is taken off the copy times below.
baseline=$(median_of_3 orvessa_into "$work/empty" "$work/out")
echo "drive-wait baseline (orvessa-run on an empty folder): $baseline s"
echo "orvessa-run times below are net of it: run time - $baseline s"
echo

for tree in A B; do
  case $tree in
    A) echo "tree A: 20000 files of 1-8 KiB in 200 folders, $(du -sh "$work/A" | cut -f1)" ;;
    B) echo "tree B: 8 files of 64 MiB" ;;
  esac
  orvessa_into "$work/$tree" "$work/out"
  diff -r "$work/$tree" "$work/out/$tree" >/dev/null || {
    echo "orvessa-run's copy of tree $tree differs from the tree" >&2
    exit 1
  }
  tools=(cp_into orvessa_into)
  ((have_rsync)) && tools+=(rsync_into)
  results=$(timed_turns "$work/$tree" "$work/out" "${tools[@]}")
  t_cp=$(awk '$1 == "cp_into" { print $2 }' <<<"$results")
  raw=$(awk '$1 == "orvessa_into" { print $2 }' <<<"$results")
  t_rsync=$(awk '$1 == "rsync_into" { print $2 }' <<<"$results")
  t_orv=$(minus "$raw" "$baseline")
  printf '  %-12s %8s s\n' "cp -a" "$t_cp"
  ((have_rsync)) && printf '  %-12s %8s s\n' "rsync -a" "$t_rsync"
  printf '  %-12s %8s s   (%s s as run)\n' "orvessa-run" "$t_orv" "$raw"
  printf '  orvessa/cp    %s\n' "$(ratio "$t_orv" "$t_cp")"
  ((have_rsync)) && printf '  orvessa/rsync %s\n' "$(ratio "$t_orv" "$t_rsync")"
  echo
  rm -rf "$work/out"
done

echo "folder size of tree A (median of 5, warm)"
"$size_bin" "$work/A" >/dev/null
du -sb "$work/A" >/dev/null
t_size=$(for i in 1 2 3 4 5; do seconds "$size_bin" "$work/A"; done | median)
t_du=$(for i in 1 2 3 4 5; do seconds du -sb "$work/A"; done | median)
printf '  %-20s %8s s   %s bytes of files\n' "orvessa-folder-size" "$t_size" \
  "$("$size_bin" "$work/A")"
printf '  %-20s %8s s   %s bytes, folders included\n' "du -sb" "$t_du" \
  "$(du -sb "$work/A" | cut -f1)"
printf '  orvessa/du   %s\n' "$(ratio "$t_size" "$t_du")"
echo
rm -rf "$work/B"

if ((have_time)); then
  echo "peak memory of orvessa-run (Maximum resident set size)"
  peak_kib() { # source_folder
    rm -rf "$work/out"
    mkdir -p "$work/out"
    write_job "$work/bench.cop" "$work/out" "$1"
    /usr/bin/time -v "$run_bin" "$work/bench.cop" 2>"$work/time.txt" >/dev/null || {
      echo "orvessa-run failed on $1" >&2
      exit 1
    }
    local want got
    want=$(find "$1" -type f | wc -l)
    got=$(find "$work/out/$(basename "$1")" -type f | wc -l)
    [ "$want" = "$got" ] || {
      echo "orvessa-run copied $got of the $want files of $1" >&2
      exit 1
    }
    awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt"
  }
  mkdir "$work/small" "$work/large"
  make_tree "$work/small" 20 2000 0 16
  make_tree "$work/large" 2000 200000 0 16
  small=$(peak_kib "$work/small")
  large=$(peak_kib "$work/large")
  printf '  %-40s %8s KiB\n' "2 000 files in 20 folders" "$small"
  printf '  %-40s %8s KiB\n' "200 000 files in 2 000 folders" "$large"
  printf '  large/small  %s\n' "$(ratio "$large" "$small")"
fi
