#!/usr/bin/env bash
# The job of the last successful run comes back at the next start: a job run once with
# orvessa-run is the window's job after the program starts, so that "run now" in the
# restored window backs up its sources into its destination again.
#   last_job_test.sh PATH_TO_ORVESSA PATH_TO_ORVESSA_RUN
set -euo pipefail
program=$1 runner=$2
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer
src=$scratch/src dest=$scratch/dest
mkdir -p "$src" "$dest"
echo first >"$src/a.txt"
write_job "$scratch/weekly.cop" "$dest" "$src"
"$runner" "$scratch/weekly.cop" >"$scratch/run.out" 2>&1 || { cat "$scratch/run.out"; echo "FAIL: orvessa-run"; exit 1; }
[ "$(cat "$dest/src/a.txt")" = first ] || fail "the first run made no copy"
rm -r "$dest/src"
echo second >"$src/a.txt"

desktop_start 1024x700 xembed
start_orvessa "$program"
run_now_from_tray
copied() { [ "$(cat "$dest/src/a.txt" 2>/dev/null)" = second ]; }
wait_until 20 copied || fail "the restored job did not back up its source"
echo "the restored job copied $src into $dest"
end_orvessa
echo "PASS"
