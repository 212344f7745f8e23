#!/usr/bin/env bash
# Starts the window program on a virtual X display with a window manager, as a user
# would, with the language stored as German: its main window comes up titled in German
# and lies wholly on the screen, on a roomy screen, on a 1024x700 one and at scale 2.
# Closing it stores its place, and the next start brings it back there.
#   window_start_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$1
for tool in Xvfb xdotool openbox; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

scratch=$(mktemp -d)
cleanup() {
  for pid in ${app:-} ${wm:-} ${xvfb:-}; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT
title="Orvessa. Automatische Sicherung."

# Waits for the program's window; prints "id x y width height" of it with its frame.
find_window() {
  local window
  for _ in $(seq 100); do
    if window=$(xdotool search --onlyvisible --name "^${title//./\\.}\$" 2>/dev/null | head -1) &&
      [ -n "$window" ]; then
      sleep 0.5 # the window settles once the window manager has framed it
      local info frame
      info=$(xwininfo -id "$window")
      X=$(awk '/Absolute upper-left X/{print $NF}' <<<"$info")
      Y=$(awk '/Absolute upper-left Y/{print $NF}' <<<"$info")
      WIDTH=$(awk '/Width:/{print $NF}' <<<"$info")
      HEIGHT=$(awk '/Height:/{print $NF}' <<<"$info")
      frame=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9, ]*$' || echo "0, 0, 0, 0")
      IFS=', ' read -r left right top bottom <<<"$frame"
      echo "$window $((X - ${left:-0})) $((Y - ${top:-0})) $((WIDTH + ${left:-0} + ${right:-0})) $((HEIGHT + ${top:-0} + ${bottom:-0}))"
      return 0
    fi
    if ! kill -0 "$app" 2>/dev/null; then
      echo "FAIL: the program ended before showing its window:" >&2
      cat "$scratch/out" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "FAIL: no visible window titled \"$title\" within 10 s; the program said:" >&2
  cat "$scratch/out" >&2
  return 1
}

start_display() { # WIDTHxHEIGHT
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$scratch/display")
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
}

stop_display() {
  kill "$wm" "$xvfb" 2>/dev/null || true
  wait "$wm" "$xvfb" 2>/dev/null || true
  rm -f "$scratch/display"
}

export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config \
  XDG_DATA_HOME=$scratch/home/.local/share XDG_RUNTIME_DIR=$scratch/run
unset QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/Orvessa" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

for screen in 1280x800:1 1024x700:1 1024x700:2; do
  size=${screen%%:*} scale=${screen##*:}
  screen_width=${size%x*} screen_height=${size#*x}
  printf '[Language]\nLanguage=328\n' >"$XDG_CONFIG_HOME/Orvessa/Orvessa.conf"
  start_display "$size"
  QT_SCALE_FACTOR=$scale "$program" >"$scratch/out" 2>&1 &
  app=$!
  read -r window x y width height < <(find_window)
  echo "screen $size scale $scale: window $window at $x,$y size ${width}x${height}"
  if ((x < 0 || y < 0 || x + width > screen_width || y + height > screen_height)); then
    echo "FAIL: the window is not wholly on the screen"
    exit 1
  fi
  if [ "$screen" = 1280x800:1 ] && ((width < 1024 || height < 700)); then
    echo "FAIL: the window is smaller than 1024x700 on a screen with room for it"
    exit 1
  fi
  # Moved and closed, it opens where it was left.
  if [ "$screen" = 1280x800:1 ]; then
    xdotool windowmove --sync "$window" 100 60 2>/dev/null || true
    sleep 0.5
    read -r _ moved_x moved_y _ _ < <(find_window)
    # The window manager's close (Alt+F4 in openbox) asks the window to close itself.
    xdotool windowactivate --sync "$window" key alt+F4
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$app" 2>/dev/null; then
      echo "FAIL: the program did not end when its window was closed"
      exit 1
    fi
    "$program" >"$scratch/out" 2>&1 &
    app=$!
    read -r window x y width height < <(find_window)
    echo "started again at $x,$y (left at $moved_x,$moved_y)"
    if ((x != moved_x || y != moved_y)); then
      echo "FAIL: the window did not open where it was left"
      exit 1
    fi
  fi
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  stop_display
done
echo "PASS"
