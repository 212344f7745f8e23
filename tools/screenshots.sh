#!/usr/bin/env bash
# Takes pictures of every tab of the window in the four languages under a virtual display,
# with settings and data kept in a scratch folder: screenshots/<lang>_tab<N>.png and
# <lang>_restore_<page>.png in the build tree, and the whole screen once (screen.png) as a
# user would see it.
#   tools/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
tools/dev.sh install xvfb imagemagick >/dev/null
out=$build/screenshots
scratch=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT
Xvfb :57 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=:57 HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config \
  XDG_DATA_HOME=$scratch/home/.local/share XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$build/tools/screenshots/orvessa-screenshots" "$out" examples/source "$scratch/backup"
"$build/app/orvessa" &
program=$!
sleep 2
import -window root "$out/screen.png"
kill $program
echo "Pictures in $out:"
ls "$out"
