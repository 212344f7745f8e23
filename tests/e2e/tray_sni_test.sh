#!/usr/bin/env bash
# With a status notifier tray (status-notifier-watcher and gtk-sni-tray-standalone) on the
# private session bus, coming up a second after the program as at a slow log-in: the
# program's item registers with the watcher, the window stays hidden, and the item's
# Activate (what the tray calls on a click) shows the window.
#   tray_sni_test.sh PATH_TO_ORVESSA
set -euo pipefail
program=$1
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home dbus-send status-notifier-watcher gtk-sni-tray-standalone
desktop_start 1024x700
start_orvessa "$program"
sleep 1
desktop_tray sni

items() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems 2>/dev/null | sed -n 's/^ *string "\(.*\)"$/\1/p'
}
registered() { [ -n "$(items)" ]; }
wait_until 15 registered || fail "no item registered with the watcher"
item=$(items | head -1)
service=${item%%/*} path=/StatusNotifierItem
[ "$item" = "$service" ] || path=/${item#*/}
echo "item $service $path"
sleep 0.5
hidden_at_start item

dbus-send --session --print-reply --dest="$service" "$path" org.kde.StatusNotifierItem.Activate \
  int32:0 int32:0 >/dev/null
read -r window _ < <(find_window "$title" "$app")
end_orvessa
echo "PASS"
