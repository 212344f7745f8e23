#!/usr/bin/env bash
# Times what sharing unchanged files and the comparison after a run cost, side by side with
# rsync, cp -a and du in one run; rsync and cp are followed by sync -f on their target, as
# orvessa-run syncs its copy before it names it:
#   a) the fifth daily run of a 2 000-file 200 MiB tree, 1 % of the files changed each day,
#      five copies kept, against rsync -a --link-dest; the five copies' disk use;
#   b) an overwrite-mode re-run of an unchanged 20 000-file tree against rsync -a --delete,
#      on a fresh loop-mounted ext4 image (root only) and on tmpfs (/dev/shm);
#   c) the first full copy of tree a against cp -a;
#   d) peak memory of a keep-mode re-run, 2 000 against 100 000 files.
#   bench/links.sh [BUILD_DIR [WORK_ROOT]]
set -euo pipefail
shopt -s inherit_errexit
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$repo/build/default}")
run_bin=$build/app/orvessa-run
[ -x "$run_bin" ] || {
  echo "missing $run_bin: cmake --build $build --target orvessa-run" >&2
  exit 1
}
command -v rsync >/dev/null || {
  echo "rsync is needed (Debian package rsync)" >&2
  exit 1
}
. "$repo/bench/lib.sh"

work=$(realpath "${2:-$build}")/orvessa-links-bench
rm -rf "$work"
mkdir -p "$work"
mounted=()
cleanup() {
  for m in "${mounted[@]}"; do umount -l "$m" 2>/dev/null || true; done
  chmod -R u+rwx "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# rsync, then its target to the disk as orvessa-run's copies are; the target comes last.
rsync_synced() { rsync "$@" && sync -f "${@: -1}"; }
cp_synced() { cp -a "$1" "$2" && sync -f "$2"; }

orvessa() { # job_file [options]
  "$run_bin" --quiet "${@:2}" "$1" >"$work/last.out" || {
    echo "orvessa-run failed (exit $?):" >&2
    cat "$work/last.out" >&2
    exit 1
  }
}

# The fixed drive wait (2 s per folder entry) measured on an empty folder, keep mode.
drive_wait() { # root
  mkdir -p "$1/empty" "$1/empty-out"
  write_job "$1/empty.cop" "$1/empty-out" "$1/empty" 4
  orvessa "$1/empty.cop"
  for i in 1 2 3; do seconds orvessa "$1/empty.cop"; done | median
}

# Appends a line to `count` files of the tree, chosen afresh each day.
change_files() { # root count day
  find "$1" -type f | sort | awk -v n="$2" -v day="$3" 'BEGIN { srand(day) } { f[NR] = $0 }
    END { for (i = 0; i < n; ++i) print f[int(rand() * NR) + 1] }' |
    while read -r f; do echo "changed on day $3" >>"$f"; done
}

echo "Orvessa sharing benchmarks on $(df -P "$work" | awk 'NR == 2 { print $1 }'), $(nproc) cores"
baseline=$(drive_wait "$work")
echo "drive-wait baseline (a run of an empty folder): $baseline s, taken off every orvessa time"
echo

echo "a) five daily runs of 2000 files (200 MiB), 1 % changed a day, five copies kept"
tree=$work/tree
mkdir -p "$tree"
make_tree "$tree" 20 2000 51200 153600
write_job "$work/daily.cop" "$work/orv" "$tree" 4
mkdir -p "$work/orv" "$work/rs"
for day in 1 2 3 4 5; do
  ((day > 1)) && change_files "$tree" 20 "$day"
  if ((day < 5)); then
    orvessa "$work/daily.cop"
    link=()
    ((day > 1)) && link=(--link-dest="$work/rs/day$((day - 1))")
    rsync -a "${link[@]}" "$tree/" "$work/rs/day$day/"
  fi
done
# The fifth run three times in turns, each time into the same state.
for rep in 1 2 3; do
  rm -rf "$work/orv/Copy05" "$work/rs/day5"
  sync
  echo "orv $(seconds orvessa "$work/daily.cop")"
  sync
  echo "rs $(seconds rsync_synced -a --link-dest="$work/rs/day4" "$tree/" "$work/rs/day5/")"
done >"$work/a.times"
t_orv=$(minus "$(awk '$1 == "orv" { print $2 }' "$work/a.times" | median)" "$baseline")
t_rs=$(awk '$1 == "rs" { print $2 }' "$work/a.times" | median)
diff -r "$tree" "$work/orv/Copy05/tree" >/dev/null || {
  echo "the fifth copy differs from the tree" >&2
  exit 1
}
du_orv=$(du -sbc "$work"/orv/Copy0? | tail -1 | cut -f1)
du_rs=$(du -sbc "$work"/rs/day? | tail -1 | cut -f1)
printf '  fifth run   orvessa %8s s   rsync --link-dest %8s s   ratio %s\n' "$t_orv" "$t_rs" \
  "$(ratio "$t_orv" "$t_rs")"
printf '  five copies orvessa %12s B   rsync --link-dest %12s B   ratio %s\n' "$du_orv" "$du_rs" \
  "$(ratio "$du_orv" "$du_rs")"
grep -h "shared\|Verified" "$work/last.out" | sed 's/^/  last run: /'
echo

echo "c) first full copy of the same tree"
# Fresh targets, removed only after the last round: a file system without a journal
# (ext4 without one) skips inodes freed in the last minutes when it creates files, so
# whichever tool ran right after a deletion would pay for it.
for rep in 1 2 3; do
  mkdir -p "$work/first$rep"
  write_job "$work/first.cop" "$work/first$rep" "$tree"
  sync
  echo "orv $(seconds orvessa "$work/first.cop")"
  sync
  echo "cp $(seconds cp_synced "$tree" "$work/cp$rep")"
done >"$work/c.times"
diff -r "$tree" "$work/first3/tree" >/dev/null || {
  echo "the first copy differs from the tree" >&2
  exit 1
}
rm -rf "$work"/first? "$work"/cp?
t_orv=$(minus "$(awk '$1 == "orv" { print $2 }' "$work/c.times" | median)" "$baseline")
t_cp=$(awk '$1 == "cp" { print $2 }' "$work/c.times" | median)
printf '  orvessa %8s s   cp -a %8s s   ratio %s\n' "$t_orv" "$t_cp" "$(ratio "$t_orv" "$t_cp")"
rm -rf "$work/orv" "$work/rs"
echo

# b) An unchanged re-run in overwrite mode, after one untimed run each; fresh targets.
rerun() { # root label
  local root=$1 wait
  mkdir -p "$root/src" "$root/orv"
  make_tree "$root/src" 200 20000 1024 8192
  wait=$(drive_wait "$root")
  write_job "$root/re.cop" "$root/orv" "$root/src"
  orvessa "$root/re.cop"
  rsync -a --delete "$root/src/" "$root/rs/"
  for rep in 1 2 3; do
    sync
    echo "orv $(seconds orvessa "$root/re.cop")"
    sync
    echo "rs $(seconds rsync_synced -a --delete "$root/src/" "$root/rs/")"
  done >"$root/b.times"
  local t_orv t_rs
  t_orv=$(minus "$(awk '$1 == "orv" { print $2 }' "$root/b.times" | median)" "$wait")
  t_rs=$(awk '$1 == "rs" { print $2 }' "$root/b.times" | median)
  printf '  %-6s orvessa %8s s   rsync -a --delete %8s s   ratio %s\n' "$2" "$t_orv" "$t_rs" \
    "$(ratio "$t_orv" "$t_rs")"
}
echo "b) overwrite-mode re-run of an unchanged 20000-file tree"
if [ "$(id -u)" = 0 ] && command -v mkfs.ext4 >/dev/null; then
  truncate -s 2G "$work/ext4.img"
  mkfs.ext4 -q "$work/ext4.img"
  mkdir -p "$work/ext4"
  mount -o loop "$work/ext4.img" "$work/ext4"
  mounted+=("$work/ext4")
  rerun "$work/ext4" ext4
else
  echo "  ext4: needs root to mount a fresh image; skipped"
fi
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  shm=$(mktemp -d /dev/shm/orvessa-bench-XXXXXX)
  rerun "$shm" tmpfs
  rm -rf "$shm"
fi
echo

if [ -x /usr/bin/time ]; then
  echo "d) peak memory of a keep-mode re-run (Maximum resident set size)"
  peak() { # files folders
    local root=$work/mem$1
    mkdir -p "$root/src" "$root/out"
    make_tree "$root/src" "$2" "$1" 0 16
    write_job "$root/m.cop" "$root/out" "$root/src" 2
    orvessa "$root/m.cop"
    /usr/bin/time -v "$run_bin" --quiet "$root/m.cop" 2>"$root/time.txt" >/dev/null
    awk -F': ' '/Maximum resident set size/ { print $2 }' "$root/time.txt"
    rm -rf "$root"
  }
  small=$(peak 2000 20)
  large=$(peak 100000 1000)
  printf '  2 000 files %8s KiB   100 000 files %8s KiB   ratio %s\n' "$small" "$large" \
    "$(ratio "$large" "$small")"
fi
