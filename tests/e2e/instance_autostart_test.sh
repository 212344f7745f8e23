#!/usr/bin/env bash
# One program per user and the start-with-the-session items, as a user meets them on a
# virtual X display with a window manager and a private session bus:
#  - a second start brings the first one's window up (active) and exits 0 within a second;
#  - the Options items write a valid autostart entry that starts this program and remove
#    it again (the marks and a stale lock are the window's and the guard's own tests).
#   instance_autostart_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$(realpath "$1")
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
desktop_require Xvfb xdotool openbox dbus-daemon xprop xwininfo
desktop_home
# Spanish, whose main window title differs from the splash window's.
# A host already met: the first start's welcome would take the focus.
printf '[Language]\nLanguage=100\nShutDown=none\n' >"$XDG_CONFIG_HOME/Orvessa/Orvessa.conf"
title='^Orvessa\. Copias de Seguridad Autom'
entry=$XDG_CONFIG_HOME/autostart/org.orvessa.Orvessa.desktop
desktop_start 1024x700

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The main window of the program PID, shown or not; its id in decimal.
main_window() {
  local window _
  for _ in $(seq 100); do
    window=$(xdotool search --all --pid "$1" --name "$title" 2>/dev/null | head -1 || true)
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    kill -0 "$1" 2>/dev/null || fail "the program ended before making its window"
    sleep 0.1
  done
  fail "no main window within 10 s"
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

active_window() { printf '%d' "$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*')"; }

# Starts the program in the background, waits past its splash; sets app and window.
start_first() {
  "$program" >>"$scratch/first.log" 2>&1 &
  app=$!
  window=$(main_window "$app")
  sleep 3
}

# A later start: must end with status 0 within a second.
start_second() {
  local started status=0
  started=$(now_ms)
  timeout 10 env "$@" "$program" >"$scratch/second.log" 2>&1 || status=$?
  elapsed=$(($(now_ms) - started))
  echo "second start: status $status after $elapsed ms"
  [ "$status" = 0 ] || fail "the second start ended with status $status: $(cat "$scratch/second.log")"
  ((elapsed < 1000)) || fail "the second start took $elapsed ms"
}

# --- a second start brings the first up ----------------------------------------------
start_first
xdotool windowminimize "$window" 2>/dev/null || true
wait_until 5 bash -c "! xwininfo -id $window | grep -q IsViewable" ||
  fail "the window could not be minimised"
start_second DESKTOP_STARTUP_ID="e2e-launcher-1_TIME$(date +%s)"
wait_until 5 viewable "$window" || fail "the first window did not come up"
wait_until 5 test "$(active_window)" = "$window" ||
  fail "the first window is not the active one ($(active_window), want $window)"
kill -0 "$app" || fail "the first program ended"
[ "$(pgrep -c -f "^$program\$")" = 1 ] || fail "more than one program runs"

# --- the Options items ----------------------------------------------------------------
# Opens Options from the keyboard and picks its ITEM-th line (1 or 2).
choose_option() {
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  sleep 0.3
  xdotool key --window "$window" alt+o
  sleep 0.5
  local _
  for _ in $(seq 2 "$1"); do xdotool key Down; done
  xdotool key Return
  sleep 0.5
}

[ ! -e "$entry" ] || fail "an autostart entry exists before any choice"
choose_option 1
[ -f "$entry" ] || fail "choosing start with the session wrote no entry"
desktop-file-validate "$entry" || fail "the entry does not validate"
grep -qx "Exec=$program" "$entry" || fail "the entry does not start $program: $(cat "$entry")"
choose_option 2
[ ! -e "$entry" ] || fail "choosing do not start left the entry"
kill -TERM "$app"
wait "$app" 2>/dev/null || true
echo "PASS"
