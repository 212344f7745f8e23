#!/usr/bin/env bash
# Sets up a Debian 12 machine for Orvessa, builds it, and runs it or its tests.
#   tools/dev.sh run          install what is missing, build, start the program
#   tools/dev.sh test         install what is missing, build, run every test
#   tools/dev.sh install P..  install the Debian packages P.. that are missing
set -euo pipefail
cd "$(dirname "$0")/.."

build_packages=(cmake ninja-build g++ libgtest-dev qt6-base-dev)

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

case "${1:-}" in
  run)
    build
    echo "Built in build/default. The program itself arrives with the window and the backup engine."
    ;;
  test)
    build
    ctest --preset default
    ;;
  install)
    shift
    install_missing "$@"
    ;;
  *)
    echo "usage: tools/dev.sh run | test | install PACKAGE..." >&2
    exit 64
    ;;
esac
