#!/usr/bin/env bash
# With no tray the window is never out of reach: after the splash it waits minimised in the
# task bar, and minimising keeps it there. A tray that comes up later takes it over: the
# minimised window goes into the tray, a click brings it back, and minimising hides it again.
#   no_tray_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$1
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer
desktop_start 1024x700
start_orvessa "$program"

reachable() { # ID: iconic or normal, and listed in the task bar
  local state
  state=$(window_state "$1")
  [ "$state" = Iconic ] || [ "$state" = Normal ] || return 1
  ! xprop -id "$1" _NET_WM_STATE | grep -q SKIP_TASKBAR
}
iconic() { [ "$(window_state "$1")" = Iconic ]; }
withdrawn() { [ "$(window_state "$1")" = Withdrawn ]; }
main_window() { [ -n "$(window_id "$title")" ]; }

wait_until 15 main_window || fail "the program made no main window"
window=$(window_id "$title")
wait_until 10 iconic "$window" || fail "at start the window is $(window_state "$window"), not minimised"
reachable "$window" || fail "the window is not in the task bar"
echo "start: $(window_state "$window")"

xdotool windowactivate --sync "$window"
wait_until 5 shown "$window" || fail "the window did not come back"
xdotool windowminimize --sync "$window"
sleep 1
reachable "$window" || fail "minimised with no tray, the window is $(window_state "$window")"
echo "minimised without a tray: $(window_state "$window")"

desktop_tray xembed
wait_until 10 withdrawn "$window" || fail "the minimised window did not go into the new tray"
read -r x y < <(tray_icon_xembed) || fail "no icon in the new tray"
echo "tray came: window $(window_state "$window"), icon at $x,$y"
xdotool mousemove --sync "$x" "$y" click 1
wait_until 5 shown "$window" || fail "a click on the icon did not show the window"
xdotool windowminimize --sync "$window"
wait_until 5 withdrawn "$window" || fail "minimised with a tray, the window is $(window_state "$window")"
echo "minimised with a tray: $(window_state "$window")"
end_orvessa
echo "PASS"
