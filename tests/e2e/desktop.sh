# Sourced by the end-to-end scripts: a private desktop for the window program.
#   desktop_require TOOL..          exit 77 (skipped) when a tool is missing
#   fail TEXT                       says what went wrong and ends the test
#   desktop_home                    a private HOME, XDG folders and runtime folder
#   desktop_start WxH [TRAY]        Xvfb, openbox and a private session bus; TRAY is
#                                   none (default), xembed (trayer) or sni (status notifier)
#   desktop_tray xembed|sni         start a tray host later, as at a slow log-in
#   desktop_stop                    end everything desktop_start and desktop_tray started
#   find_window TITLE [PID]         waits for a visible window; prints "id x y width height"
#                                   of it with its frame
# Everything runs in $scratch, removed at exit; no machine bus or user folder is touched.

scratch=$(mktemp -d)
desktop_pids=()
desktop_cleanup() {
  local pid
  for pid in ${app:-} "${desktop_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # The program writes its settings as it ends: the scratch folder goes after it.
  [ -z "${app:-}" ] || wait "$app" 2>/dev/null || true
  rm -rf "$scratch"
}
trap desktop_cleanup EXIT

desktop_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}

fail() {
  echo "FAIL: $*"
  exit 1
}

desktop_home() {
  export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config \
    XDG_DATA_HOME=$scratch/home/.local/share XDG_RUNTIME_DIR=$scratch/run
  unset QT_QPA_PLATFORM SESSION_MANAGER DESKTOP_STARTUP_ID XDG_ACTIVATION_TOKEN
  mkdir -p "$XDG_CONFIG_HOME/Orvessa" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

desktop_start() { # WIDTHxHEIGHT [none|xembed|sni]
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
  desktop_pids+=($!)
  local _
  for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$scratch/display")
  rm -f "$scratch/display"
  DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 \
    3>"$scratch/bus.pid")
  export DBUS_SESSION_BUS_ADDRESS
  desktop_pids+=("$(cat "$scratch/bus.pid")")
  openbox >/dev/null 2>&1 &
  desktop_pids+=($!)
  sleep 0.5
  [ "${2:-none}" = none ] || desktop_tray "$2"
}

desktop_tray() { # xembed|sni
  case $1 in
    xembed)
      desktop_require trayer
      trayer --edge bottom --align right --widthtype pixel --width 200 >/dev/null 2>&1 &
      desktop_pids+=($!)
      ;;
    sni)
      desktop_require status-notifier-watcher gtk-sni-tray-standalone
      status-notifier-watcher >/dev/null 2>&1 &
      desktop_pids+=($!)
      sleep 0.5
      gtk-sni-tray-standalone --bottom >/dev/null 2>&1 &
      desktop_pids+=($!)
      ;;
  esac
  sleep 1
}

desktop_stop() {
  local pid
  for pid in "${desktop_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${desktop_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  desktop_pids=()
}

find_window() { # TITLE [PID]
  local title=$1 pid=${2:-} window _
  for _ in $(seq 100); do
    if window=$(xdotool search --onlyvisible --name "^${title//./\\.}\$" 2>/dev/null | head -1) &&
      [ -n "$window" ]; then
      sleep 0.5 # the window settles once the window manager has framed it
      local frame x y width height left right top bottom
      read -r x y width height < <(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$NF}
        /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}')
      frame=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9, ]*$' || echo "0, 0, 0, 0")
      IFS=', ' read -r left right top bottom <<<"$frame"
      echo "$window $((x - ${left:-0})) $((y - ${top:-0})) $((width + ${left:-0} + ${right:-0})) $((height + ${top:-0} + ${bottom:-0}))"
      return 0
    fi
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      echo "FAIL: the program ended before showing a window titled \"$title\"" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "FAIL: no visible window titled \"$title\" within 10 s" >&2
  return 1
}
