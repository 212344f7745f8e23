#!/usr/bin/env bash
# Starts the window program on a virtual X display with a window manager, as a user
# would, with the language stored as German. With no tray the main window waits minimised
# in the task bar; brought up from there it is titled in German and lies wholly on the
# screen, on a roomy screen, on a 1024x700 one and at scale 2. Closing it stores its place,
# and the next start brings it back there. Minimised with no tray it stays in the task bar;
# a tray that comes up later takes it over, a click brings it back, minimising hides it.
#   window_start_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$1
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer

iconic() { [ "$(window_state "$(window_id "$title")")" = Iconic ]; }
# As a click on its task bar entry: the minimised window comes up.
bring_up() {
  wait_until 15 iconic || fail "the window is not waiting minimised in the task bar"
  xdotool windowactivate --sync "$(window_id "$title")"
}

for screen in 1280x800:1 1024x700:2 1024x700:1; do
  size=${screen%%:*} scale=${screen##*:}
  screen_width=${size%x*} screen_height=${size#*x}
  printf '[Language]\nLanguage=328\nShutDown=none\n' >"$XDG_CONFIG_HOME/Orvessa/Orvessa.conf"
  desktop_start "$size"
  export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS # never the machine's
  QT_SCALE_FACTOR=$scale "$program" >"$scratch/out" 2>&1 &
  app=$!
  bring_up
  read -r window x y width height < <(find_window "$title" "$app")
  echo "screen $size scale $scale: window $window at $x,$y size ${width}x${height}"
  if ((x < 0 || y < 0 || x + width > screen_width || y + height > screen_height)); then fail "the window is not wholly on the screen"; fi
  if [ "$screen" = 1280x800:1 ] && ((width < 1024 || height < 700)); then fail "the window is smaller than 1024x700 on a screen with room for it"; fi
  # Moved and closed, it opens where it was left.
  if [ "$screen" = 1280x800:1 ]; then
    xdotool windowmove --sync "$window" 100 60 2>/dev/null || true
    sleep 0.5
    read -r _ moved_x moved_y _ _ < <(find_window "$title" "$app")
    # The window manager's close (Alt+F4 in openbox) asks the window to close itself.
    xdotool windowactivate --sync "$window" key alt+F4
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$app" 2>/dev/null; then fail "the program did not end when its window was closed"; fi
    "$program" >"$scratch/out" 2>&1 &
    app=$!
    bring_up
    read -r window x y width height < <(find_window "$title" "$app")
    echo "started again at $x,$y (left at $moved_x,$moved_y)"
    if ((x != moved_x || y != moved_y)); then fail "the window did not open where it was left"; fi
  fi
  [ "$screen" = 1024x700:1 ] && break # the last one: the tray's part runs on it
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  desktop_stop
done

reachable() { # ID: iconic or normal, and listed in the task bar
  local state
  state=$(window_state "$1")
  [ "$state" = Iconic ] || [ "$state" = Normal ] || return 1
  ! xprop -id "$1" _NET_WM_STATE | grep -q SKIP_TASKBAR
}
withdrawn() { [ "$(window_state "$1")" = Withdrawn ]; }
reachable "$window" || fail "the window is not in the task bar"
xdotool windowminimize --sync "$window"
sleep 1
reachable "$window" || fail "minimised with no tray, the window is $(window_state "$window")"
desktop_tray xembed
wait_until 10 withdrawn "$window" || fail "the minimised window did not go into the new tray"
read -r x y < <(tray_icon_xembed) || fail "no icon in the new tray"
echo "tray came: window $(window_state "$window"), icon at $x,$y"
xdotool mousemove --sync "$x" "$y" click 1
wait_until 5 shown "$window" || fail "a click on the icon did not show the window"
xdotool windowminimize --sync "$window"
wait_until 5 withdrawn "$window" || fail "minimised with a tray, the window is $(window_state "$window")"
end_orvessa
echo "PASS"
