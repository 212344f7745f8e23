#!/usr/bin/env bash
# Installs the build into a scratch root as a package would (prefix /usr), checks that
# every file a desktop needs is there, then starts the installed program on a virtual
# display, as a user whose language is German: F1 hands the desktop the German help page
# of the installed data folder, and the Help menu's last entry opens the About box.
#   installed_test.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/desktop.sh"
. "$(dirname "$0")/resident.sh"
resident_home cmake
root=$scratch/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null 2>"$scratch/install.err" ||
  { cat "$scratch/install.err"; echo "FAIL: cmake --install"; exit 1; }

expected="usr/bin/orvessa
usr/bin/orvessa-run
usr/share/applications/org.orvessa.Orvessa.desktop
usr/share/doc/orvessa/changelog.gz
usr/share/doc/orvessa/copyright
usr/share/icons/hicolor/128x128/apps/org.orvessa.Orvessa.png
usr/share/icons/hicolor/256x256/apps/org.orvessa.Orvessa.png
usr/share/icons/hicolor/48x48/apps/org.orvessa.Orvessa.png
usr/share/icons/hicolor/scalable/apps/org.orvessa.Orvessa.svg
usr/share/man/man1/orvessa-run.1.gz
usr/share/man/man1/orvessa.1.gz
usr/share/metainfo/org.orvessa.Orvessa.metainfo.xml
usr/share/orvessa/autostart/org.orvessa.Orvessa.desktop
usr/share/orvessa/copy_cursor.png
usr/share/orvessa/filecopy.gif
usr/share/orvessa/orvessa.png
usr/share/orvessa/splash.png"
for lang in de en es fr; do
  expected+=$'\n'"usr/share/orvessa/help/$lang.html"
  for tab in 1 3; do expected+=$'\n'"usr/share/orvessa/help/${lang}_tab$tab.png"; done
done
expected+=$'\n'"usr/share/orvessa/help/help.css"
missing=$(comm -23 <(sort <<<"$expected") <(cd "$root" && find . -type f | sed 's|^\./||' | sort))
if [ -n "$missing" ]; then
  echo "FAIL: not installed:"
  echo "$missing"
  exit 1
fi
# Every picture a help page shows is installed beside it.
for page in "$root"/usr/share/orvessa/help/*.html; do
  for picture in $(grep -o 'src="[^"]*"' "$page" | sed 's/src="//; s/"$//'); do
    [ -f "$(dirname "$page")/$picture" ] || fail "$page shows a missing $picture"
  done
done
echo "installed: $(wc -l <<<"$expected") files as expected"

# The desktop's opener is a script that notes what it was given.
mkdir -p "$scratch/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$scratch/opened" >"$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
export PATH=$scratch/bin:$PATH

desktop_start 1024x700
start_orvessa "$root/usr/bin/orvessa"
wait_until 15 eval '[ "$(window_state "$(window_id "$title")")" = Iconic ]' ||
  fail "the installed program shows no window"; cat "$scratch/out"
xdotool windowactivate --sync "$(window_id "$title")"
read -r window _ < <(find_window "$title" "$app")

xdotool windowactivate --sync "$window" key F1
page="file://$root/usr/share/orvessa/help/de.html"
if ! wait_until 10 grep -qxF "$page" "$scratch/opened"; then fail "F1 did not open $page; opened: $(cat "$scratch/opened" 2>/dev/null)"; fi

# Help menu by its Alt letter, then its last entry, below Contents and Contact.
xdotool windowactivate --sync "$window" key alt+h
sleep 0.5
xdotool key Down Down Return
read -r about _ < <(find_window "Acerca de Orvessa" "$app") ||
  fail "no About box from the Help menu"
kill "$app"
wait "$app" 2>/dev/null || true
echo "PASS"
