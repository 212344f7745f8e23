#!/usr/bin/env bash
# Starts the window program on a virtual X display as a user would, with the language
# stored as German, and checks that its main window comes up titled in German.
#   window_start_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$1
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

scratch=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config \
  XDG_DATA_HOME=$scratch/home/.local/share XDG_RUNTIME_DIR=$scratch/run
unset QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/Orvessa" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[Language]\nLanguage=328\n' >"$XDG_CONFIG_HOME/Orvessa/Orvessa.conf"

"$program" >"$scratch/out" 2>&1 &
app=$!
title="Orvessa. Automatische Sicherung."
for _ in $(seq 100); do
  if window=$(xdotool search --onlyvisible --name "^${title//./\\.}\$" 2>/dev/null | head -1) &&
    [ -n "$window" ]; then
    read -r width height < <(xdotool getwindowgeometry --shell "$window" |
      awk -F= '/WIDTH/{w=$2} /HEIGHT/{h=$2} END{print w, h}')
    echo "window $window \"$title\" ${width}x${height}"
    if ((width < 1024 || height < 700)); then
      echo "FAIL: the window is smaller than 1024x700"
      exit 1
    fi
    exit 0
  fi
  if ! kill -0 "$app" 2>/dev/null; then
    echo "FAIL: the program ended before showing its window:"
    cat "$scratch/out"
    exit 1
  fi
  sleep 0.1
done
echo "FAIL: no visible window titled \"$title\" within 10 s; the program said:"
cat "$scratch/out"
exit 1
