#!/usr/bin/env bash
# Installs the Debian 12 packages Kelvane needs to build, run and test.
# Fast when everything is there: it asks dpkg first and calls apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev qt6-qpa-plugins
  libmpdclient-dev libcurl4-openssl-dev libgtest-dev
  mpd mpc
  dbus playerctl desktop-file-utils appstream man-db file fakeroot
  qtkeychain-qt6-dev gnome-keyring
  python3 curl
  fonts-dejavu-core
)
for option in "$@"; do
  case "$option" in
    --with-screenshots) packages+=(xvfb imagemagick x11-apps) ;;
    # scripts/fuzz.sh: libFuzzer comes with clang; the normal build and tests need neither.
    --with-fuzzing) packages+=(clang libfuzzer-14-dev) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
