#!/usr/bin/env bash
# Automatic runs of the real program with the job of its last run restored: a job overdue
# at the start is caught up within a minute, its end is announced to the notification
# service, and a click on the notice brings the window up; a daily job whose time of copy
# is a minute ahead copies at that minute without a click.
#   scheduled_run_test.sh PATH_TO_ORVESSA PATH_TO_SESSION_FAKES
set -euo pipefail
program=$1 sink_program=$2
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer
export LC_ALL=C.UTF-8 # dates in the job file as this locale writes them: "2 Dec 2026"
src=$scratch/src dest=$scratch/dest folder=$XDG_DATA_HOME/Orvessa
mkdir -p "$src" "$dest" "$folder"
echo hello >"$src/a.txt"

# write_timed_job COUNT UNIT HOUR MINUTE LAST_DATE LAST_TIME: every COUNT UNIT at the time,
# overwrite mode, the folder $src into $dest; restored at the start as the last job.
write_timed_job() {
  printf '%s\r\n%s\r\n%s\r\nVerdadero\r\nFalso\r\n 2 \r\nFalso\r\nVerdadero\r\nFalso\r\n %s \r\n%b\r\n %s \r\n %s \r\n 0 \r\n 0 \r\n 1 \r\n%s/*\r\n\r\n' \
    "$6" "$5" "$dest" "$1" "$2" "$3" "$4" "$src" >"$folder/timed.cop"
  printf '%s\r\n' "$folder/timed.cop" >"$folder/ultima.ovs"
}
days='D\0355as' # "Días" in the job file's code page

desktop_start 1024x700 xembed
"$sink_program" notifications 15 >"$scratch/notices" 2>&1 &
desktop_pids+=($!)
wait_until 10 grep -q ready "$scratch/notices" || fail "no fake notification service"
copied() { [ -f "$dest/src/a.txt" ]; }
noticed() { [ "$(grep -c '^Orvessa|' "$scratch/notices")" -ge "$1" ]; }

# Every 2 days, last run 5 days ago, time of copy at midnight: overdue since 3 days.
write_timed_job 2 "$days" 0 0 "$(date -d '5 days ago' '+%-d %b %Y')" 10:00:00
started=$(date +%s)
start_orvessa "$program"
wait_until 75 copied || { cat "$scratch/out"; echo "FAIL: the overdue job was not caught up"; exit 1; }
took=$(($(date +%s) - started))
[ "$took" -le 60 ] || fail "caught up $took s after the start, not within a minute"
echo "an overdue job was caught up $took s after the start"
wait_until 20 noticed 1 || { cat "$scratch/notices"; echo "FAIL: no notice of the automatic run"; exit 1; }
notice=$(grep '^Orvessa|' "$scratch/notices" | head -1)
echo "notice: $notice"
[[ $notice == Orvessa\|*orvessa.png\|*\|*"$dest"* ]] || fail "the notice lacks the icon or the destination"
# Back in the tray after the run; the click on the notice (15 s after it) brings it up.
window=$(window_id "$title")
[ -n "$window" ] || fail "no main window"
wait_until 20 eval '! shown "$window"' || fail "the window did not go back to the tray"
wait_until 15 shown "$window" || fail "clicking the notice did not show the window"
end_orvessa

# Every day, never run yet, time of copy the next minute: it copies at that minute unasked.
rm -r "$dest/src" "$dest/timed.cop"
read -r hour minute < <(date -d '+1 min' '+%-H %-M')
write_timed_job 1 "$days" "$hour" "$minute" "" ""
at=$(printf '%02d%02d' "$hour" "$minute")
start_orvessa "$program"
wait_until 130 copied || { cat "$scratch/out"; echo "FAIL: no run at the time of copy $at"; exit 1; }
wait_until 10 test -f "$dest/timed.cop" || fail "the run did not save its job"
now=$(date -r "$dest/timed.cop" +%H%M) # the run saves its job there as it ends
[ "$now" = "$at" ] || fail "copied at $now, the time of copy was $at"
wait_until 20 noticed 2 || fail "no notice of the second automatic run"
end_orvessa
echo "PASS"
