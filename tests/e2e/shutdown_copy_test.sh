#!/usr/bin/env bash
# The copy at shutdown against stand-ins for the session's services, on private buses.
# An X session manager's request to end the session is called off, the user's OK starts
# the copy, the computer is kept awake while it runs, and only after it logind is asked
# to power off. Then a D-Bus session manager's query is refused the same way, and Cancel
# ends the program with no copy and no power-off.
#   shutdown_copy_test.sh PATH_TO_ORVESSA PATH_TO_SESSION_FAKES PATH_TO_XSMP_MANAGER|none
set -euo pipefail
program=$1 fakes=$2 xsmp=$3
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer dbus-send
[ -x "$xsmp" ] || { echo "SKIP: no X session manager for the test (libsm-dev)"; exit 77; }
store_settings '[Language]\nLanguage=328\nShutDown=xsmp\n'
why="Die Sicherung wird ausgeführt. Danach wird das System heruntergefahren."
src=$scratch/src dest=$scratch/dest
mkdir -p "$src/sub" "$dest" "$XDG_DATA_HOME/Orvessa"
echo alpha >"$src/a.txt"
echo beta >"$src/sub/b.txt"
# Every day, at shutdown, the folder src; restored at start as the last successful job.
job=$scratch/at_shutdown.cop
printf '%s\r\n' 10:20:30 01/02/2025 "$dest" Verdadero Falso " 2 " Falso Verdadero Verdadero \
  " 1 " $'D\xEDas' " 0 " " 0 " " 0 " " 0 " " 1 " "$src/*" "" >"$job"
printf '%s\r\n' "$job" >"$XDG_DATA_HOME/Orvessa/ultima.ovs"

fail() {
  echo "FAIL: $1"
  for log in sm logind gnome; do
    [ -f "$scratch/$log.log" ] && { echo "--- $log"; cat "$scratch/$log.log"; }
  done
  echo "--- program"
  cat "$scratch/out"
  exit 1
}
logged() { grep -qF -- "$2" "$scratch/$1.log"; }
line_of() { grep -nF -- "$2" "$scratch/$1.log" | head -1 | cut -d: -f1; }

desktop_start 1024x700 xembed
system_bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$scratch/system.pid")
desktop_pids+=("$(cat "$scratch/system.pid")")
DBUS_SYSTEM_BUS_ADDRESS=$system_bus FAKE_WATCH=$dest/src/sub/b.txt "$fakes" logind \
  >"$scratch/logind.log" 2>&1 &
desktop_pids+=($!)
wait_until 10 logged logind ready || fail "the fake logind did not start"

# --- An X session manager ends the session.
mkfifo "$scratch/sm.in"
"$xsmp" <"$scratch/sm.in" >"$scratch/sm.log" 2>&1 &
desktop_pids+=($!)
exec 6>"$scratch/sm.in"
wait_until 10 logged sm SESSION_MANAGER= || fail "the session manager did not start"
SESSION_MANAGER=$(sed -n 's/^SESSION_MANAGER=//p' "$scratch/sm.log")
export SESSION_MANAGER
start_orvessa "$program"
wait_until 20 logged sm registered || fail "the program did not register with the session"
wait_until 20 logged logind "inhibit shutdown|Orvessa|$why|delay" ||
  fail "no shutdown delay lock while armed"
echo end >&6
wait_until 10 logged sm cancelled || fail "the end of the session was not called off"
read -r box _ < <(find_window "$title" "$app") || fail "no question"
[ -z "$(ls "$dest")" ] || fail "a copy before the question was answered"
xdotool windowactivate --sync "$box" key Return
wait_until 60 logged logind poweroff || fail "no power-off after the copy"
wait_exit "$app" 20 || fail "the program did not end after asking for the power-off"
[ "$status" = 0 ] || fail "exit status $status"
[ "$(cat "$dest/src/sub/b.txt")" = beta ] || fail "the copy is not complete"
sleep_lock=$(grep -F 'inhibit sleep:idle|Orvessa|Backup in progress|block' "$scratch/logind.log") ||
  fail "no sleep lock during the run"
number=${sleep_lock##*#}
number=${number%% *}
[[ $sleep_lock == *"[missing]" ]] || fail "the sleep lock came after the copy"
logged logind "release #$number [exists]" || fail "the sleep lock was not released after the copy"
(($(line_of logind "release #$number") < $(line_of logind poweroff))) ||
  fail "power-off asked before the run ended"
logged logind "poweroff 0 [exists]" || fail "power-off without the copy, or interactive"
logged logind "release #1 " || fail "the shutdown delay lock was kept"

# --- A D-Bus session manager queries the end; the user answers Cancel.
exec 6>&-
unset SESSION_MANAGER
rm -r "$dest/src"
"$fakes" gnome >"$scratch/gnome.log" 2>&1 &
desktop_pids+=($!)
wait_until 10 logged gnome ready || fail "the fake session manager did not start"
powered=$(grep -c poweroff "$scratch/logind.log")
start_orvessa "$program"
wait_until 20 logged gnome "register org.orvessa.Orvessa|" ||
  fail "the program did not register with the session manager"
# A shut-down logind announces cannot be called off or wait for a copy: the delay lock
# goes at once, and comes back when the shut-down is called off.
wait_until 10 eval '(($(grep -c "inhibit shutdown|" "$scratch/logind.log") == 2))' ||
  fail "no shutdown delay lock at the second start"
delay_lock=$(grep -F "inhibit shutdown|" "$scratch/logind.log" | tail -1)
delay_lock=${delay_lock##*#}
delay_lock=${delay_lock%% *}
logind_says() {
  dbus-send --bus="$system_bus" --print-reply --dest=org.freedesktop.login1 \
    /org/freedesktop/login1 org.orvessa.Test.PrepareForShutdown "boolean:$1" >/dev/null
}
logind_says true
wait_until 10 logged logind "release #$delay_lock " || fail "the delay lock held up a shut-down"
logind_says false
wait_until 10 eval '(($(grep -c "inhibit shutdown|" "$scratch/logind.log") == 3))' ||
  fail "the delay lock was not taken again after the shut-down was called off"
dbus-send --session --print-reply --dest=org.gnome.SessionManager /org/gnome/SessionManager \
  org.orvessa.Test.QueryEndSession >/dev/null
wait_until 10 logged gnome "response 0|$why" || fail "the end of the session was not refused"
read -r box _ < <(find_window "$title" "$app") || fail "no question"
xdotool windowactivate --sync "$box" key Escape
wait_exit "$app" 20 || fail "Cancel did not end the program"
[ "$status" = 0 ] || fail "exit status $status"
[ ! -e "$dest/src" ] || fail "a copy after Cancel"
[ "$(grep -c poweroff "$scratch/logind.log")" = "$powered" ] || fail "power-off after Cancel"
logged gnome unregister || fail "the program stayed registered after it ended"
echo "PASS"
