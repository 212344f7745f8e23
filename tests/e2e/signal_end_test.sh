#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP (a log-out that kills the program) end it in order: the
# language is saved and the exit status is 0. A run in progress is stopped first, leaving
# nothing in the destination.
#   signal_end_test.sh PATH_TO_ORVESSA PATH_TO_ORVESSA_RUN
set -euo pipefail
program=$1
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer
desktop_start 1024x700 xembed

for signal in TERM INT HUP; do
  store_settings '[Language]\nLanguage=328\nShutDown=none\n'
  start_orvessa "$program"
  tray_icon_xembed >/dev/null || fail "no icon in the tray"
  # Changed behind the program's back: only a save at the end writes 328 again.
  sed -i 's/^Language=328/Language=100/' "$(conf)"
  kill -"$signal" "$app"
  wait_exit "$app" 10
  echo "SIG$signal: exit status $status, language $(setting Language)"
  [ "$status" = 0 ] || fail "exit status $status"
  [ "$(setting Language)" = 328 ] || fail "the language was not saved"
done

# A run in progress: it waits for its destination first, and is stopped there.
src=$scratch/src dest=$scratch/dest
mkdir -p "$src" "$dest"
echo data >"$src/a.txt"
mkdir -p "$XDG_DATA_HOME/Orvessa"
write_job "$XDG_DATA_HOME/Orvessa/job.cop" "$dest" "$src"
printf '%s/Orvessa/job.cop\r\n' "$XDG_DATA_HOME" >"$XDG_DATA_HOME/Orvessa/ultima.ovs"
store_settings '[Language]\nLanguage=328\nShutDown=none\n'
start_orvessa "$program"
run_now_from_tray
sleep 0.5
kill -TERM "$app"
wait_exit "$app" 10
echo "SIGTERM during a run: exit status $status, destination holds: $(ls -A "$dest" | tr '\n' ' ')"
[ "$status" = 0 ] || fail "exit status $status"
[ ! -e "$dest/src" ] || fail "the stopped run copied"
[ "$(setting Language)" = 328 ] || fail "the language was not saved"
echo "PASS"
