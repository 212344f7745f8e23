# Sourced after desktop.sh by the scripts that check the program living in the tray.
#   resident_home TOOL..            skips without the tools (the usual X ones and TOOL..),
#                                   then a private home with German settings (ShutDown=none);
#                                   $title is the German window title
#   write_job PATH DEST SRC         a job file: overwrite mode, run by hand, the folder SRC
#   run_now_from_tray               a click on the icon, then "run now" on the copy page
#   start_orvessa PROGRAM           starts it in the background as $app, output in $scratch/out;
#                                   its system bus is $system_bus, else the private session bus
#                                   (never the machine's)
#   store_settings TEXT             the settings file's whole text
#   setting KEY                     a stored value of the Language section
#   tray_icon_xembed                waits for the icon docked in trayer; prints its centre "x y"
#   window_id TITLE                 the window so titled, shown or not (empty if none)
#   window_state ID                 Normal, Iconic or Withdrawn, as the window manager sees it
#   wait_until SECONDS COMMAND..    runs COMMAND every 0.2 s until it succeeds; fails at the end
#   wait_exit PID SECONDS           waits for the process to end; its exit status in $status
#   end_orvessa                     SIGTERM to $app; fails unless it ends in order
#   hidden_at_start WHAT            fails when the window is shown at start-up, not only WHAT

resident_home() {
  desktop_require Xvfb xdotool openbox dbus-daemon xwininfo xprop "$@"
  desktop_home
  title="Orvessa. Automatische Sicherung."
  # German, and a host already met: no first-start message takes the focus.
  store_settings '[Language]\nLanguage=328\nShutDown=none\n'
}

write_job() {
  printf '10:20:30\r\n01/02/2025\r\n%s\r\nFalso\r\nFalso\r\n 3 \r\nVerdadero\r\nFalso\r\nFalso\r\n 4 \r\nMeses\r\n 7 \r\n 45 \r\n 0 \r\n 0 \r\n 1 \r\n%s/*\r\n\r\n' \
    "$2" "$3" >"$1"
}

run_now_from_tray() {
  local x y window
  read -r x y < <(tray_icon_xembed) || fail "no icon in the tray"
  xdotool mousemove --sync "$x" "$y" click 1
  read -r window _ < <(find_window "$title" "$app")
  # To the copy page, then "Sicherung jetzt ausführen" by its Alt letter.
  xdotool windowactivate --sync "$window" key ctrl+Tab ctrl+Tab
  sleep 0.5
  xdotool key alt+s
}

conf() { echo "$XDG_CONFIG_HOME/Orvessa/Orvessa.conf"; }

store_settings() { printf '%b' "$1" >"$(conf)"; }

setting() { sed -n "s/^$1=//p" "$(conf)" | head -1; }

start_orvessa() {
  DBUS_SYSTEM_BUS_ADDRESS=${system_bus:-$DBUS_SESSION_BUS_ADDRESS} "$1" >"$scratch/out" 2>&1 &
  app=$!
}

wait_until() {
  local seconds=$1 _
  shift
  for _ in $(seq $((seconds * 5))); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

# The docked icon's centre, once trayer has given it a real size: while it docks, the
# icon can be listed for a moment without one.
icon_centre() {
  local line screen
  screen=$(xwininfo -root | awk '/Height:/{print $NF}')
  while read -r line; do
    [[ $line =~ \ ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+\ +\+(-?[0-9]+)\+(-?[0-9]+)$ ]] || continue
    local width=${BASH_REMATCH[1]} height=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
    ((width > 1 && width <= 128 && height > 1)) || continue
    # trayer runs on the bottom edge; anywhere else the panel has not been placed yet.
    ((y >= screen - 40)) || continue
    echo "$((x + width / 2)) $((y + height / 2))"
    return 0
  done < <(xwininfo -root -tree 2>/dev/null | grep '"Orvessa": ("orvessa"')
  return 1
}

# The same place twice in a row: trayer lays its icons out again as they dock.
icon_settled() {
  local first second
  first=$(icon_centre) || return 1
  sleep 0.3
  second=$(icon_centre) || return 1
  [ "$first" = "$second" ] && echo "$first"
}

tray_icon_xembed() { wait_until 15 icon_settled; }

window_id() {
  local found
  found=$(xdotool search --name "^${1//./\\.}\$" 2>/dev/null) || true
  head -1 <<<"$found"
}

window_state() {
  local state
  state=$(xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p')
  echo "${state:-Withdrawn}"
}

shown() { [ "$(window_state "$1")" = Normal ] && xwininfo -id "$1" | grep -q IsViewable; }

wait_exit() {
  local pid=$1 seconds=$2
  status=0
  if ! wait_until "$seconds" eval "! kill -0 $pid 2>/dev/null"; then
    echo "FAIL: the program did not end within $seconds s" >&2
    return 1
  fi
  wait "$pid" || status=$?
}

end_orvessa() {
  kill -TERM "$app"
  wait_exit "$app" 10
  [ "$status" = 0 ] || fail "exit status $status"
}

hidden_at_start() {
  local window
  window=$(window_id "$title")
  if [ -n "$window" ] && shown "$window"; then fail "the window is shown at start-up; only the $1 should be"; fi
}
