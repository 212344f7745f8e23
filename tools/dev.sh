#!/usr/bin/env bash
# Sets up a Debian 12 machine for Orvessa, builds it, and runs it or its tests.
#   tools/dev.sh run          install what is missing, build, start the program (without a
#                             display: back up the example folder with orvessa-run instead)
#   tools/dev.sh test         install what is missing, build, run every test
#   tools/dev.sh package      install what is missing, build Release, make the Debian package
#                             build/release/orvessa_<version>_<arch>.deb and validate it
#   tools/dev.sh install P..  install the Debian packages P.. that are missing
set -euo pipefail
cd "$(dirname "$0")/.."

# qt6-translations-l10n: Qt's own dialog texts in the program's four languages; libxcb1-dev:
# the X11 tray and window activation; libsm-dev: the X session manager the tests stand up.
build_packages=(cmake ninja-build g++ libgtest-dev qt6-base-dev qt6-qpa-plugins dbus-daemon
  qt6-translations-l10n libxcb1-dev pkg-config libsm-dev)
# The window's end-to-end test runs the program on a virtual display with a window manager;
# the run's tests make stick images (vfat, or exFAT through FUSE where the kernel has no
# vfat), read extended attributes and compare copies with cp -a.
test_packages=(xvfb xdotool openbox x11-utils dosfstools exfat-fuse exfatprogs attr trayer
  haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils desktop-file-utils imagemagick
  procps dbus-bin strace)
# The package: dpkg-shlibdeps and file find the libraries' packages; the validators check
# the desktop entries, the AppStream metadata and the package itself.
package_packages=(dpkg-dev file lintian appstream desktop-file-utils man-db)

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
  install_missing "${build_packages[@]}"
  cmake --preset default
  cmake --build --preset default
}

# Backs up the example folder with orvessa-run, into a folder of the build tree, and
# keeps the user's own settings and data out of it.
run_example() {
  local example=build/default/example here
  here=$(pwd)
  mkdir -p "$example/backup" "$example/home"
  printf '%s\r\n' "00:00:00" "01/01/2026" "$here/$example/backup" Falso Verdadero " 2 " \
    Verdadero Falso Falso " 1 " $'D\xEDas' " 0 " " 0 " " 0 " " 0 " " 3 " \
    "$here/examples/source/Letters/*" "$here/examples/source/Recipes/*" \
    "$here/examples/source/todo.txt" "" >"$example/example.cop"
  echo "Backing up examples/source into $example/backup (job file $example/example.cop):"
  HOME="$here/$example/home" XDG_CONFIG_HOME="$here/$example/home/.config" \
    XDG_DATA_HOME="$here/$example/home/.local/share" \
    build/default/app/orvessa-run "$example/example.cop"
  echo "The backup now holds:"
  (cd "$example/backup" && find . -mindepth 1 | sort)
}

# Starts the window with the user's own settings and job files.
run_window() {
  echo "Starting build/default/app/orvessa"
  exec build/default/app/orvessa
}

# Builds the Release package and fails on any validator error; lintian's warnings are shown.
package() {
  install_missing "${build_packages[@]}" "${package_packages[@]}"
  cmake --preset release
  cmake --build --preset release
  rm -f build/release/orvessa_*.deb
  (cd build/release && cpack -G DEB)
  local deb
  deb=$(ls build/release/orvessa_*.deb)
  desktop-file-validate assets/org.orvessa.Orvessa.desktop assets/autostart/org.orvessa.Orvessa.desktop
  appstreamcli validate --no-net assets/org.orvessa.Orvessa.metainfo.xml
  local page
  for page in assets/man/*.1; do
    if LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null | grep .; then
      echo "$page: warnings from man" >&2
      return 1
    fi
  done
  lintian --fail-on error --info "$deb"
  echo "Package: $deb"
}

case "${1:-}" in
  run)
    build
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
      run_window
    else
      echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the headless example instead."
      run_example
    fi
    ;;
  test)
    build
    install_missing "${test_packages[@]}"
    ctest --preset default
    ;;
  package)
    package
    ;;
  install)
    shift
    install_missing "$@"
    ;;
  *)
    echo "usage: tools/dev.sh run | test | package | install PACKAGE..." >&2
    exit 64
    ;;
esac
