#!/usr/bin/env bash
# With an XEmbed tray (trayer): after the splash the program leaves only its icon in the
# tray; a click on the icon shows the window, and Exit in the icon's menu ends the program
# with its language kept. SIGTERM, SIGINT and SIGHUP (a log-out) end it in order too. The
# job of orvessa-run's last run comes back at the next start: "run now" from the tray
# stopped by SIGTERM leaves nothing in the destination; left alone, it backs up again.
#   tray_xembed_test.sh PATH_TO_ORVESSA PATH_TO_ORVESSA_RUN
set -euo pipefail
program=$1 runner=$2
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer
desktop_start 1024x700 xembed
start_orvessa "$program"

read -r x y < <(tray_icon_xembed) || fail "no icon in the tray"
echo "icon at $x,$y"
hidden_at_start icon

xdotool mousemove --sync "$x" "$y" click 1
read -r window wx wy width height < <(find_window "$title" "$app")
echo "a click shows the window at $wx,$wy size ${width}x${height}"
if ((wx < 0 || wy < 0 || wx + width > 1024 || wy + height > 700)); then fail "the restored window is not wholly on the screen"; fi

# Each end must save the language: it is changed behind the program's back meanwhile.
ended() { # HOW
  wait_exit "$app" 10
  echo "$1: exit status $status, language $(setting Language)"
  [ "$status" = 0 ] || fail "exit status $status"
  [ "$(setting Language)" = 328 ] || fail "the language was not saved"
}
# The icon's menu: Restore, a separator, Exit.
sed -i 's/^Language=328/Language=100/' "$(conf)"
xdotool mousemove --sync "$x" "$y" click 3
sleep 0.5
xdotool key Down Down Return
ended Exit

for signal in TERM INT HUP; do
  store_settings '[Language]\nLanguage=328\nShutDown=none\n'
  start_orvessa "$program"
  tray_icon_xembed >/dev/null || fail "no icon in the tray"
  sed -i 's/^Language=328/Language=100/' "$(conf)"
  kill -"$signal" "$app"
  ended "SIG$signal"
done

src=$scratch/src dest=$scratch/dest
mkdir -p "$src" "$dest"
echo first >"$src/a.txt"
write_job "$scratch/weekly.cop" "$dest" "$src"
"$runner" "$scratch/weekly.cop" >"$scratch/run.out" 2>&1 || { cat "$scratch/run.out"; echo "FAIL: orvessa-run"; exit 1; }
[ "$(cat "$dest/src/a.txt")" = first ] || fail "the first run made no copy"
rm -r "$dest/src"
echo second >"$src/a.txt"
store_settings '[Language]\nLanguage=328\nShutDown=none\n'
start_orvessa "$program"
run_now_from_tray
sleep 0.5
kill -TERM "$app"
ended "SIGTERM during a run"
[ ! -e "$dest/src" ] || fail "the stopped run copied"

start_orvessa "$program"
run_now_from_tray
copied() { [ "$(cat "$dest/src/a.txt" 2>/dev/null)" = second ]; }
wait_until 20 copied || fail "the restored job did not back up its source"
end_orvessa
echo "PASS"
