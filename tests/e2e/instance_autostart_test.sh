#!/usr/bin/env bash
# One program per user and the start-with-the-session items, as a user meets them on a
# virtual X display with a window manager and a private session bus:
#  - a second start brings the first one's window up (active) and exits 0 within a second;
#  - a first start killed with SIGKILL does not stop the next start;
#  - the Options items write a valid autostart entry that starts this program and remove
#    it again, and the check mark read from the entry survives a restart.
#   instance_autostart_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$(realpath "$1")
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
desktop_require Xvfb xdotool openbox dbus-daemon xprop xwininfo import convert
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

# --- a killed first start leaves a stale lock that does not count ----------------------
kill -KILL "$app"
wait "$app" 2>/dev/null || true
ls "$XDG_RUNTIME_DIR"/org.orvessa.Orvessa.lock >/dev/null || fail "no lock left to recover"
start_first
kill -0 "$app" || fail "the start after a killed one did not stay"
start_second
kill -0 "$app" || fail "the first program ended"

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

# Which Options line carries the check mark: 1 or 2. The menu is photographed open and
# the left end of each line, where the mark is drawn, compared: the marked one has more
# near-black pixels.
marked_option() {
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  sleep 0.3
  xdotool key --window "$window" alt+o
  sleep 0.7
  local menu geometry x y width height first second
  menu=$(xdotool search --all --pid "$app" --onlyvisible --name '' 2>/dev/null |
    while read -r id; do
      [ "$id" = "$window" ] && continue
      xwininfo -id "$id" | awk '/Height:/{print $NF, id}' id="$id"
    done | sort -n | head -1 | cut -d' ' -f2)
  [ -n "$menu" ] || fail "the Options menu did not open"
  geometry=$(xwininfo -id "$menu")
  x=$(awk '/Absolute upper-left X/{print $NF}' <<<"$geometry")
  y=$(awk '/Absolute upper-left Y/{print $NF}' <<<"$geometry")
  width=$(awk '/Width:/{print $NF}' <<<"$geometry")
  height=$(awk '/Height:/{print $NF}' <<<"$geometry")
  # Opened again with the pointer on its title, so that no line is highlighted.
  xdotool key Escape
  sleep 0.3
  xdotool mousemove "$((x + 10))" "$((y - 8))" click 1
  sleep 0.7
  import -window root "$scratch/menu.png"
  xdotool key Escape
  local line=$((height / 2)) mark=$((width < 40 ? width : 40))
  first=$(convert "$scratch/menu.png" -crop "${mark}x$((line - 4))+$x+$((y + 2))" -colorspace gray \
    -threshold 25% -negate -format '%[fx:mean]' info:)
  second=$(convert "$scratch/menu.png" -crop "${mark}x$((line - 4))+$x+$((y + line + 2))" \
    -colorspace gray -threshold 25% -negate -format '%[fx:mean]' info:)
  awk -v a="$first" -v b="$second" 'BEGIN { print (a > b ? 1 : a < b ? 2 : "none") }'
}

[ ! -e "$entry" ] || fail "an autostart entry exists before any choice"
[ "$(marked_option)" = 2 ] || fail "with no entry the do-not-start line is not the marked one"
choose_option 1
[ -f "$entry" ] || fail "choosing start with the session wrote no entry"
desktop-file-validate "$entry" || fail "the entry does not validate"
grep -qx "Exec=$program" "$entry" || fail "the entry does not start $program: $(cat "$entry")"
[ "$(marked_option)" = 1 ] || fail "after choosing it the start line is not marked"

# The mark comes back from the entry after a restart.
kill -TERM "$app"
wait "$app" 2>/dev/null || true
start_first
[ "$(marked_option)" = 1 ] || fail "after a restart the start line is not marked"
choose_option 2
[ ! -e "$entry" ] || fail "choosing do not start left the entry"
[ "$(marked_option)" = 2 ] || fail "after removing the entry the do-not-start line is not marked"
kill -TERM "$app"
wait "$app" 2>/dev/null || true
echo "PASS"
