# Helpers the benchmark scripts share; sourced, not run.
# shellcheck shell=bash

now_ns() { date +%s%N; }

# Seconds the command takes, with three decimals; its output is dropped.
seconds() {
  local start end
  start=$(now_ns)
  "$@" >/dev/null
  end=$(now_ns)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }

# A manual job with one folder entry, CR LF after every line: overwrite mode, or with a
# fourth argument keep-prior-copies mode keeping that many.
write_job() { # job_file destination source_folder [copies_to_keep]
  local overwrite=Verdadero keep=Falso count=0
  if [ $# -ge 4 ]; then overwrite=Falso keep=Verdadero count=$4; fi
  printf '%s\r\n' "10:00:00" "01/12/2026" "$2" "$overwrite" "$keep" " $count " "Verdadero" \
    "Falso" "Falso" " 1 " "" " 0 " " 0 " " 0 " " 0 " " 1 " "$3/*" "" >"$1"
}

# Files named f0.. in folders d0.. under root, sizes from lo to hi bytes at random.
make_tree() { # root folders files lo hi
  perl -e '
    my ($root, $folders, $files, $lo, $hi) = @ARGV;
    srand(42);
    open(my $r, "<", "/dev/urandom") or die; read($r, my $pool, 2 * $hi); close $r;
    for my $d (0 .. $folders - 1) { mkdir "$root/d$d" or die "$root/d$d: $!" }
    for my $i (0 .. $files - 1) {
      my $n = $lo + int(rand($hi - $lo + 1));
      open(my $f, ">", "$root/d" . ($i % $folders) . "/f$i") or die;
      print $f substr($pool, int(rand($hi)), $n); close $f;
    }' "$@"
}

