#!/usr/bin/env bash
# With an XEmbed tray (trayer): after the splash the program leaves only its icon in the
# tray; a click on the icon shows the window, and Exit in the icon's menu ends the program
# with its language kept.
#   tray_xembed_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$1
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home trayer
desktop_start 1024x700 xembed
start_orvessa "$program"

read -r x y < <(tray_icon_xembed) || fail "no icon in the tray"
echo "icon at $x,$y"
hidden_at_start icon

xdotool mousemove --sync "$x" "$y" click 1
read -r window wx wy width height < <(find_window "$title" "$app")
echo "a click shows the window at $wx,$wy size ${width}x${height}"
if ((wx < 0 || wy < 0 || wx + width > 1024 || wy + height > 700)); then fail "the restored window is not wholly on the screen"; fi

# The icon's menu: Restore, a separator, Exit.
xdotool mousemove --sync "$x" "$y" click 3
sleep 0.5
xdotool key Down Down Return
wait_exit "$app" 10
echo "exit status $status, language $(setting Language)"
[ "$status" = 0 ] || fail "exit status $status"
[ "$(setting Language)" = 328 ] || fail "the language was not kept"
echo "PASS"
