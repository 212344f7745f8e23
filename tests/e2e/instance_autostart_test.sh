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

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
active_window() { printf '%d' "$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*')"; }
# The main window of the program, shown or not, in $window; its id in decimal.
found() { window=$(xdotool search --all --pid "$app" --name "$title" 2>/dev/null | head -1) && [ -n "$window" ]; }

# --- a second start brings the first up and ends with status 0 within a second --------
"$program" >"$scratch/first.log" 2>&1 &
app=$!
wait_until 10 found || fail "no main window within 10 s"
sleep 3 # past the splash
xdotool windowminimize "$window" 2>/dev/null || true
wait_until 5 eval '! viewable "$window"' || fail "the window could not be minimised"
started=$(date +%s%N) status=0
DESKTOP_STARTUP_ID="e2e-launcher-1_TIME$(date +%s)" timeout 10 "$program" >"$scratch/second.log" 2>&1 || status=$?
elapsed=$((($(date +%s%N) - started) / 1000000))
echo "second start: status $status after $elapsed ms"
[ "$status" = 0 ] || fail "the second start ended with status $status: $(cat "$scratch/second.log")"
((elapsed < 1000)) || fail "the second start took $elapsed ms"
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
