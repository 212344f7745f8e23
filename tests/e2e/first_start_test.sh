#!/usr/bin/env bash
# The first start on a host learns how the session announces a shut-down, stores it under
# "ShutDown" and welcomes the user once; later starts show nothing. The session's services
# are fakes that only own their names: the desktop's session manager on the private
# session bus, logind on a second private bus standing in for the system bus.
#   first_start_test.sh PATH_TO_ORVESSA PATH_TO_ORVESSA_RUN PATH_TO_SESSION_FAKES
set -euo pipefail
program=$1 owner=$3
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home
desktop_start 1024x700
system_bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$scratch/system.pid")
desktop_pids+=("$(cat "$scratch/system.pid")")

own() { # BUS_ADDRESS NAME..: a fake owner of the names, until the test ends
  local address=$1
  shift
  DBUS_SESSION_BUS_ADDRESS=$address "$owner" own "$@" >"$scratch/owner" &
  desktop_pids+=($!)
  wait_until 5 grep -q ready "$scratch/owner" || fail "cannot own $*"
}
welcome() { # the welcome message's window, shown
  local found
  found=$(xdotool search --onlyvisible --name '^Orvessa$' 2>/dev/null) || return 1
  [ -n "$found" ]
}
resident() { [ -n "$(window_id "$title")" ]; }

first_start() { # EXPECTED_CHANNEL
  store_settings '[Language]\nLanguage=328\n'
  start_orvessa "$program"
  wait_until 15 welcome || fail "no welcome message at the first start"
  xdotool windowactivate --sync "$(xdotool search --onlyvisible --name "^Orvessa$" | head -1)" key Return
  echo "first start: ShutDown=$(setting ShutDown)"
  [ "$(setting ShutDown)" = "$1" ] || fail "expected ShutDown=$1"
  kill -0 "$app" 2>/dev/null || { cat "$scratch/out"; echo "FAIL: the program ended with the message"; exit 1; }
  kill -TERM "$app"
  wait_exit "$app" 10
}

first_start none
own "$system_bus" org.freedesktop.login1
first_start logind
own "$DBUS_SESSION_BUS_ADDRESS" org.gnome.SessionManager
first_start gnome-session

# The next start goes to the task bar with no message, and keeps what was learnt.
start_orvessa "$program"
wait_until 15 resident || fail "no main window at the second start"
sleep 2
if welcome; then fail "the welcome message came again"; fi
kill -TERM "$app"
wait_exit "$app" 10
[ "$(setting ShutDown)" = gnome-session ] || fail "ShutDown changed"
echo "PASS"
